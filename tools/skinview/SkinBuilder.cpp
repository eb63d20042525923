#include "SkinBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "JXPackCommon.h"
#include "PackBuilder.h"
#include "wce/wstring.h"

namespace fs = std::filesystem;

namespace skinbuild {

namespace {

void Le16(std::string& s, std::uint32_t v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Le32(std::string& s, std::uint32_t v)
{
    Le16(s, v & 0xFFFF);
    Le16(s, v >> 16);
}

std::uint16_t To565(std::uint32_t rgb)
{
    return static_cast<std::uint16_t>((((rgb >> 16) & 0xF8) << 8) | (((rgb >> 8) & 0xFC) << 3) | ((rgb & 0xFF) >> 3));
}

}  // namespace

std::string Utf16File(const std::string& utf8)
{
    std::u16string text = Utf8ToWide(utf8);
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) Le16(bytes, c);
    return bytes;
}

void SkinBuilder::Text(const std::string& path, const std::string& utf8) { m_files[path] = Utf16File(utf8); }

void SkinBuilder::Bitmap565(const std::string& set, const std::string& name, int width, int height,
                            const PixelFn& pixel, const BitmapOptions& options)
{
    const int rowBytes = ((width * 16 + 31) >> 5) * 4;
    const int alphaRow = (width + 1) & ~1;
    std::string pixels(static_cast<size_t>(rowBytes) * height, '\0');
    std::string alpha(static_cast<size_t>(alphaRow) * height, '\0');
    for (int y = 0; y < height; ++y) {
        int row = height - 1 - y;  // bottom-up
        for (int x = 0; x < width; ++x) {
            std::uint32_t argb = pixel(x, y);
            std::uint32_t a = argb >> 24;
            std::uint32_t rgb = argb & 0xFFFFFF;
            if (options.perPixelAlpha) {
                // Premultiplied, as the framework keeps pixels with alpha.
                std::uint32_t r = ((rgb >> 16) & 0xFF) * a / 255, g = ((rgb >> 8) & 0xFF) * a / 255,
                              b = (rgb & 0xFF) * a / 255;
                rgb = (r << 16) | (g << 8) | b;
                alpha[static_cast<size_t>(row) * alphaRow + x] = static_cast<char>(a >> 2);
            }
            std::uint16_t p = To565(rgb);
            pixels[static_cast<size_t>(row) * rowBytes + 2 * x] = static_cast<char>(p & 0xFF);
            pixels[static_cast<size_t>(row) * rowBytes + 2 * x + 1] = static_cast<char>(p >> 8);
        }
    }
    std::string bmp = "BM";
    Le32(bmp, 70 + static_cast<std::uint32_t>(pixels.size()));
    Le32(bmp, 0);
    Le32(bmp, 70);
    Le32(bmp, 40);
    Le32(bmp, width);
    Le32(bmp, height);
    Le16(bmp, 1);
    Le16(bmp, 16);
    Le32(bmp, 3);
    Le32(bmp, static_cast<std::uint32_t>(pixels.size()));
    for (int i = 0; i < 4; ++i) Le32(bmp, 0);
    Le32(bmp, 0xF800);
    Le32(bmp, 0x07E0);
    Le32(bmp, 0x001F);
    Le32(bmp, 0);
    bmp += pixels;
    const std::string base = set + "/res/bitmap/" + name;
    m_files[base + ".bmp"] = bmp;
    std::string conf = "src=" + fs::path(name).filename().string() + ".bmp\r\n";
    if (options.perPixelAlpha) {
        m_files[base + ".alpha"] = alpha;
        conf += "pa=true\r\n";
    }
    if (!options.transColor.empty()) conf += "tc=" + options.transColor + "\r\n";
    if (options.constantAlpha >= 0) conf += "ca=" + std::to_string(options.constantAlpha) + "\r\n";
    Text(base + ".565a.conf", conf);
}

void SkinBuilder::Color(const std::string& set, const std::string& id, const std::string& rrggbb)
{
    m_colors[set].emplace_back(id, rrggbb);
}

void SkinBuilder::Font(const std::string& set, const std::string& id, int height, int weight, const std::string& face)
{
    std::string conf = "height=" + std::to_string(height) + "\r\nweight=" + std::to_string(weight) + "\r\n";
    if (!face.empty()) conf += "facename=" + face + "\r\n";
    Text(set + "/res/font/" + id, conf);
}

void SkinBuilder::Language(const std::string& set, const std::string& key, const std::string& utf8)
{
    m_language[set].emplace_back(key, utf8);
}

void SkinBuilder::Dialog(const std::string& set, const std::string& path, const std::string& dlgXml,
                         const std::string& styleXml)
{
    Text(set + "/wnd/" + path + ".dlg.xml", dlgXml);
    Text(set + "/wnd/" + path + ".style.xml", styleXml);
}

std::map<std::string, std::string> SkinBuilder::Files() const
{
    std::map<std::string, std::string> files = m_files;
    for (const auto& set : m_colors) {
        std::string text;
        for (const auto& kv : set.second) text += kv.first + "=0x" + kv.second + "\r\n";
        files[set.first + "/res/color/wceui.color"] = Utf16File(text);
    }
    for (const auto& set : m_language) {
        std::string text = "[strings]\r\n";
        for (const auto& kv : set.second) text += kv.first + "=" + kv.second + "\r\n";
        files[set.first + "/language/english.ini"] = Utf16File(text);
    }
    return files;
}

bool SkinBuilder::WriteFolder(const std::string& hostDir, std::string& error) const
{
    for (const auto& file : Files()) {
        fs::path path = fs::path(hostDir) / file.first;
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(file.second.data(), static_cast<std::streamsize>(file.second.size()));
        if (!out) {
            error = "cannot write " + path.string();
            return false;
        }
    }
    return true;
}

bool SkinBuilder::WritePack(const std::string& hostPath, const std::u16string& password, std::string& error) const
{
    std::vector<PackBuildEntry> entries;
    for (const auto& file : Files()) entries.push_back({PackEntryName(Utf8ToWide(file.first)), file.second});
    SortPackEntries(entries);
    PackImage image = BuildPackImage(entries, Utf8ToWide(fs::path(hostPath).filename().string()));
    std::vector<std::uint8_t> bytes = image.Assemble(GetPackKey(password.c_str()));
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        error = "cannot write " + hostPath;
        return false;
    }
    return true;
}

bool SetSize(const std::string& set, int& width, int& height)
{
    if (set == "800x480") {
        width = 800;
        height = 480;
        return true;
    }
    if (set == "480X272") {
        width = 480;
        height = 272;
        return true;
    }
    return false;
}

namespace {

std::string RectAttr(int x, int y, int w, int h)
{
    return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," + std::to_string(h);
}

void AddMainLikeSet(SkinBuilder& b, const std::string& set)
{
    int W = 0, H = 0;
    SetSize(set, W, H);
    const int title = H / 8, rowH = H / 10, listTop = title + 4, icon = rowH - 8;
    const int listW = W * 3 / 4, buttonsTop = listTop + 6 * rowH + 8;
    const int buttonW = (W - 50) / 4, buttonH = H - buttonsTop - title / 2 - 8;

    b.Bitmap565(set, "main/bg", W, H, [W, H](int x, int y) {
        return 0xFF000000u | (static_cast<std::uint32_t>(x * 255 / W) << 16) | (static_cast<std::uint32_t>(y * 255 / H) << 8) | 0x60u;
    });
    b.Bitmap565(set, "main/file_icon", icon, icon, [icon](int x, int y) {
        int dx = 2 * x - icon + 1, dy = 2 * y - icon + 1;
        bool inside = dx * dx + dy * dy < icon * icon;
        return inside ? 0xFFF0C020u : 0x00000000u;
    }, BitmapOptions{true, "", -1});
    b.Bitmap565(set, "main/button", 40, 20, [](int x, int y) { return (x + y) % 7 ? 0xFF3060A0u : 0xFF4070B0u; });
    b.Bitmap565(set, "main/thumb", 16, 16, [](int, int) { return 0xFFFFFFFFu; }, BitmapOptions{false, "", 160});
    b.Color(set, "title_bg", "203040");
    b.Color(set, "text", "F0F0F0");
    b.Color(set, "row_a", "304050");
    b.Font(set, "title.font", -(title * 2 / 3), 700);
    b.Font(set, "row.font", -(rowH / 2), 400);
    b.Language(set, "title", "Software update");
    b.Language(set, "status", "Ready: choose a package");
    b.Language(set, "ok", "OK");
    b.Language(set, "cancel", "Cancel");
    b.Language(set, "msg", "The package does not fit this unit. Please choose another one.");

    std::string dlg = "<dialog>\n<body name=\"main\" windowrect=\"" + RectAttr(0, 0, W, H) + "\">\n";
    std::string style = "<skin>\n<style>\n";
    auto layer = [&](const std::string& name, const std::string& styleName, const std::string& extra = "") {
        dlg += "<layer type=\"CWceUiLayer\" name=\"" + name + "\" style=\"" + styleName + "\"" + extra + "/>\n";
    };
    style += "<bg><position rect=\"" + RectAttr(0, 0, W, H) + "\"/><background><i id=\"main/bg.565a.conf\"/></background></bg>\n";
    style += "<title><position rect=\"" + RectAttr(0, 0, W, title) +
             "\"/><background color=\"title_bg\"/><text res-id=\"title\" color=\"text\"><font id=\"title.font\"/>"
             "<drawtext align=\"center\" valign=\"center\"/></text></title>\n";
    style += "<list><position rect=\"" + RectAttr(10, listTop, listW, 6 * rowH) + "\"/><layout container=\"true\"/></list>\n";
    style += "<row><position way=\"relative\" rect=\"" + RectAttr(0, 0, listW, rowH - 2) +
             "\"/><background color=\"row_a\"/></row>\n";
    style += "<row_icon><position way=\"relative\" rect=\"" + RectAttr(4, 3, icon, icon) +
             "\"/><background><i id=\"main/file_icon.565a.conf\"/></background></row_icon>\n";
    style += "<row_text><position way=\"relative\" rect=\"" + RectAttr(icon + 12, 0, listW - icon - 16, rowH - 2) +
             "\"/><background color=\"transparent\"/><text color=\"text\"><font id=\"row.font\"/>"
             "<drawtext valign=\"center\"/></text></row_text>\n";
    style += "<slider_track><position rect=\"" + RectAttr(listW + 30, listTop, 12, 6 * rowH) +
             "\"/><background color=\"0x101820\"/></slider_track>\n";
    style += "<slider_thumb><position way=\"relative\" rect=\"" + RectAttr(-2, 40, 16, 16) +
             "\"/><background color=\"transparent\"><i id=\"main/thumb.565a.conf\"/></background></slider_thumb>\n";
    style += "<button><background><i id=\"main/button.565a.conf\" zoom=\"true\"/></background>"
             "<text color=\"text\"><font id=\"row.font\"/></text></button>\n";
    style += "<status><position rect=\"" + RectAttr(10, H - title / 2, W - 20, title / 2) +
             "\"/><background color=\"0x000000\"/><text res-id=\"status\" color=\"0x80FF80\"><font id=\"row.font\"/>"
             "<drawtext valign=\"center\"/></text></status>\n";

    layer("bg", "bg");
    layer("title", "title");
    dlg += "<layer type=\"CWceUiLayer\" name=\"list\" style=\"list\">\n";
    static const char* kFiles[6] = {"gpsApp.msk", "kptApp.msk", "maps_2026.msk", "R&D build.msk",
                                   "a rather long package name that will not fit in its row.msk", "voice.msk"};
    for (int i = 0; i < 6; ++i) {
        std::string n = std::to_string(i);
        style += "<row" + n + " overwrite=\"row\"><position way=\"relative\" rect=\"" + RectAttr(0, i * rowH, listW, rowH - 2) +
                 "\"/></row" + n + ">\n";
        dlg += "<layer type=\"CWceUiLayer\" name=\"row" + n + "\" style=\"row" + n + "\">";
        dlg += "<layer type=\"CWceUiLayer\" name=\"icon" + n + "\" style=\"row_icon\"/>";
        dlg += "<layer type=\"CWceUiLayer\" name=\"text" + n + "\" style=\"text" + n + "\"/>";
        dlg += "</layer>\n";
        style += "<text" + n + " overwrite=\"row_text\"><text res-id=\"file" + n + "\"/></text" + n + ">\n";
        b.Language(set, "file" + n, kFiles[i]);
    }
    dlg += "</layer>\n";
    dlg += "<layer type=\"CWceUiLayer\" name=\"slider\" style=\"slider_track\">"
           "<layer type=\"CWceUiLayer\" name=\"thumb\" style=\"slider_thumb\"/></layer>\n";
    static const char* kButtons[4] = {"ok", "cancel", "ok", "cancel"};
    for (int i = 0; i < 4; ++i) {
        std::string n = std::to_string(i);
        style += "<button" + n + " overwrite=\"button\"><position rect=\"" +
                 RectAttr(10 + i * (buttonW + 10), buttonsTop, buttonW, buttonH) + "\"/><text res-id=\"" + kButtons[i] +
                 "\"/></button" + n + ">\n";
        layer("button" + n, "button" + n);
    }
    layer("status", "status");
    dlg += "</body>\n</dialog>\n";
    style += "</style>\n</skin>\n";
    b.Dialog(set, "CMainDlg", dlg, style);

    const int bw = 400 < W ? 400 : W - 20, bh = 200 < H ? 200 : H - 20;
    const int bx = (W - bw) / 2, by = (H - bh) / 2;
    std::string boxDlg = "<dialog>\n<body name=\"box\" style=\"box\" windowrect=\"" + RectAttr(0, 0, W, H) +
                         "\">\n"
                         "<layer type=\"CWceUiLayer\" name=\"msg\" style=\"msg\"/>\n"
                         "<layer type=\"CWceUiLayer\" name=\"yes\" style=\"yes\"/>\n"
                         "<layer type=\"CWceUiLayer\" name=\"no\" style=\"no\"/>\n"
                         "</body>\n</dialog>\n";
    std::string boxStyle = "<skin>\n<style>\n<box><position rect=\"" + RectAttr(bx, by, bw, bh) +
                           "\"/><background color=\"0x405060\"/></box>\n"
                           "<msg><position way=\"relative\" rect=\"" + RectAttr(10, 10, bw - 20, bh - 70) +
                           "\"/><background color=\"transparent\"/><text res-id=\"msg\" color=\"text\"><font id=\"row.font\"/>"
                           "<drawtext multiline=\"true\"/></text></msg>\n"
                           "<yes><position way=\"relative\" rect=\"" + RectAttr(10, bh - 50, bw / 2 - 15, 40) +
                           "\"/><background color=\"0x2060C0\"/><text res-id=\"ok\" color=\"text\"><font id=\"row.font\"/></text></yes>\n"
                           "<no><position way=\"relative\" rect=\"" + RectAttr(bw / 2 + 5, bh - 50, bw / 2 - 15, 40) +
                           "\"/><background color=\"0x2060C0\"/><text res-id=\"cancel\" color=\"text\"><font id=\"row.font\"/></text></no>\n"
                           "</style>\n</skin>\n";
    b.Dialog(set, "CMsgBoxDlg", boxDlg, boxStyle);
}

}  // namespace

void AddMainLikeSkin(SkinBuilder& builder)
{
    AddMainLikeSet(builder, "800x480");
    AddMainLikeSet(builder, "480X272");
}

}  // namespace skinbuild
