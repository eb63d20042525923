// The updater's skin as built into brantel.pack: everything its dialogs name is in the archive
// and loads, and the layout keeps the rules the updater's code relies on (layer names and
// kinds, backgrounds, images drawn unscaled, the kpt variant's moves).
#include <cstdio>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "JxConfDoc.h"
#include "WceUiGenericBitmap.h"
#include "WceUiXml.h"
#include "doc_test_helpers.h"
#include "wce/wstring.h"

namespace {

struct ScreenSet {
    const char* folder;
    int width, height;
    int kptShift;    // how far the kpt variant moves the slider up
    RECT kptStatus;  // where the kpt variant puts the status text
};
const ScreenSet kSets[] = {
    {"800x480", 800, 480, 200, {630, 200, 797, 270}},
    {"480X272", 480, 272, 100, {390, 135, 494, 155}},
};
const char* const kDialogs[] = {"CBrantelDlg", "CFileListDlg", "CMsgBoxDlg"};

// Layer attributes that name bitmaps, and those of them drawn only by per-pixel blending.
const char* const kBitmapAttributes[] = {"uplevel_image", "folder_image", "linebg_normal", "linebg_select",
                                         "default_item_image", "item_check", "scrollbar_top", "scrollbar_middle",
                                         "scrollbar_bottom", "bg_bmp", "bg_sel_bmp", "thumb_bmp"};
const std::set<std::string> kBlendedAttributes = {"item_check", "scrollbar_top", "scrollbar_middle",
                                                  "scrollbar_bottom", "bg_bmp", "bg_sel_bmp", "thumb_bmp"};

std::string Attr(const CWceUiXmlElem* e, const char* name)
{
    LPCWSTR v = e ? e->GetAttribute(Utf8ToWide(name).c_str()) : nullptr;
    return v ? WideToUtf8(v) : std::string();
}

bool ParseRect(const std::string& text, RECT& rc)
{
    int x, y, w, h;
    if (4 != std::sscanf(text.c_str(), "%d,%d,%d,%d", &x, &y, &w, &h)) return false;
    rc = {x, y, x + w, y + h};
    return true;
}

struct Layer {
    std::string name, type;
    const CWceUiXmlElem* elem;
    const Layer* parent;
};

// One screen set of the archive, copied onto a fresh device.
class SkinTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        std::ifstream in(SKIN_PACK_PATH, std::ios::binary);
        ASSERT_TRUE(in) << "no " << SKIN_PACK_PATH << ": build the skin target";
        m_device.WriteHostFile("SDMMC/brantel.pack", std::string(std::istreambuf_iterator<char>(in), {}));
    }

    // Loads the set's dialog files, language and colors; false (with a failure) when one does not load.
    bool Open(const ScreenSet& set, const char* dialog)
    {
        m_set = &set;
        m_dlg.Clean();
        m_style.Clean();
        m_language.Clean();
        m_colors.Clean();
        m_layers.clear();
        const std::u16string wnd = Path(std::string("wnd\\") + dialog);
        EXPECT_TRUE(m_dlg.LoadXmlFile((wnd + u".dlg.xml").c_str())) << Joined();
        EXPECT_TRUE(m_style.LoadXmlFile((wnd + u".style.xml").c_str())) << Joined();
        EXPECT_TRUE(m_language.LoadFile(Path("language\\english.ini").c_str(), FALSE)) << Joined();
        EXPECT_TRUE(m_colors.LoadFile(Path("res\\color\\wceui.color").c_str(), FALSE)) << Joined();
        if (!m_dlg.IsLoaded() || !m_style.IsLoaded() || !m_dlg.GetRootElem()) return false;
        const CWceUiXmlElem* body = m_dlg.GetRootElem()->FindChild(u"body");
        EXPECT_NE(nullptr, body);
        if (!body) return false;
        m_layers.push_back({"body", "", body, nullptr});
        Collect(body, &m_layers.front());
        return true;
    }

    std::u16string Path(const std::string& relative) const
    {
        return u"\\SDMMC\\brantel.pack\\" + Utf8ToWide(std::string(m_set->folder) + "\\" + relative);
    }

    const Layer* Find(const std::string& name) const
    {
        for (const Layer& l : m_layers)
            if (l.name == name) return &l;
        return nullptr;
    }

    // The style element of that name (exact case), or null.
    const CWceUiXmlElem* Style(const std::string& name) const
    {
        const CWceUiXmlElem* styles = m_style.GetRootElem() ? m_style.GetRootElem()->FindChild(u"style") : nullptr;
        for (auto* s = styles ? styles->GetFirstChild() : nullptr; s; s = s->GetNextSibling())
            if (WideToUtf8(s->GetTagName()) == name) return s;
        return nullptr;
    }
    // A group of a named style, through its "overwrite" chain.
    const CWceUiXmlElem* Group(const std::string& styleName, const char* group) const
    {
        for (const CWceUiXmlElem* s = Style(styleName); s; s = Style(Attr(s, "overwrite")))
            if (const CWceUiXmlElem* g = s->FindChild(Utf8ToWide(group).c_str())) return g;
        return nullptr;
    }
    // A group of a layer as its merged style has it: the common style's, else the look's.
    const CWceUiXmlElem* LayerGroup(const Layer& layer, const char* group) const
    {
        const CWceUiXmlElem* g = Group(Attr(layer.elem, "common.style"), group);
        return g ? g : Group(Attr(layer.elem, "style"), group);
    }
    // The layer's window rectangle, its "relative" positions added up.
    RECT WindowRect(const Layer& layer) const
    {
        RECT rc{};
        const CWceUiXmlElem* pos = LayerGroup(layer, "position");
        EXPECT_TRUE(pos && ParseRect(Attr(pos, "rect"), rc)) << layer.name << " has no valid position";
        if (pos && layer.parent && Attr(pos, "way") == "relative") {
            RECT parent = WindowRect(*layer.parent);
            OffsetRect(&rc, parent.left, parent.top);
        }
        return rc;
    }

    // Loaded once per set and id: the checks ask for the same images many times.
    const CWceUiGenericBitmap* Bitmap(const std::string& id)
    {
        auto& slot = m_bitmaps[std::string(m_set->folder) + "|" + id];
        if (!slot) slot.reset(JxLoadBitmapFromConfFile(Path("res\\bitmap\\" + id).c_str()));
        return slot.get();
    }

    std::string Joined() const
    {
        std::string all;
        for (const std::string& m : m_log.Messages()) all += m + "\n";
        return all;
    }

    const ScreenSet* m_set = nullptr;
    CWceUiXmlDoc m_dlg, m_style;
    CJxConfDoc m_language, m_colors;
    std::deque<Layer> m_layers;  // grows without moving the parents its entries point to
    std::map<std::string, std::unique_ptr<CWceUiGenericBitmap>> m_bitmaps;
    LogCapture m_log;

private:
    // Pre-order, so that parents come first.
    void Collect(const CWceUiXmlElem* elem, const Layer* parent)
    {
        for (auto* c = elem->GetFirstChild(); c; c = c->GetNextSibling()) {
            m_layers.push_back({Attr(c, "name"), Attr(c, "type"), c, parent});
            Collect(c, &m_layers.back());
        }
    }
};

}  // namespace

// The screens fill the window, which the main screen's window rectangle sets, and the main
// screen's decorations go with "background" when the kpt variant hides it.
TEST_F(SkinTest, DialogsHoldTheLayersTheCodeUsesWithTheirKindsAndFillTheWindow)
{
    const std::pair<const char*, std::string> uses[] = {
        {"CBrantelDlg", "listbox:CWceUiListBox progress:CWceUiSlider status:CWceUiLayer update:CWceUiButton "
                        "reboot:CWceUiButton calibrate:CWceUiButton back:CWceUiButton background:CWceUiLayer "},
        {"CFileListDlg", "listbox:CWceUiListBox back:CWceUiButton title:CWceUiLayer "},
        {"CMsgBoxDlg", "yes:CWceUiButton no:CWceUiButton ok:CWceUiButton msg:CWceUiLayer detail:CWceUiLayer "
                       "info_icon:CWceUiLayer question_icon:CWceUiLayer warning_icon:CWceUiLayer "
                       "error_icon:CWceUiLayer "},
    };
    for (const ScreenSet& set : kSets)
        for (const auto& [dialog, expected] : uses) {
            ASSERT_TRUE(Open(set, dialog));
            std::string found;
            for (size_t at = 0, end; (end = expected.find(':', at)) != std::string::npos; at = expected.find(' ', end) + 1) {
                const Layer* layer = Find(expected.substr(at, end - at));
                found += expected.substr(at, end - at) + ":" + (layer ? layer->type : "none") + " ";
            }
            EXPECT_EQ(expected, found) << set.folder << " " << dialog;
            if (std::string("CMsgBoxDlg") == dialog) continue;
            const std::string full = "0,0," + std::to_string(set.width) + "," + std::to_string(set.height);
            EXPECT_EQ(full, Attr(m_layers.front().elem, "windowrect")) << dialog;
            const Layer* title = Find("title");
            ASSERT_TRUE(title && title->parent) << dialog;
            EXPECT_EQ("background", title->parent->name) << dialog;
        }
}

TEST_F(SkinTest, EveryNameInTheFilesResolvesAndLoads)
{
    for (const ScreenSet& set : kSets)
        for (const char* dialog : kDialogs) {
            SCOPED_TRACE(std::string(set.folder) + " " + dialog);
            ASSERT_TRUE(Open(set, dialog));
            std::set<std::string> styles, bitmaps;
            for (const Layer& layer : m_layers) {
                for (const char* a : {"style", "common.style", "down.style", "focus.style"})
                    if (!Attr(layer.elem, a).empty()) styles.insert(Attr(layer.elem, a));
                for (const char* a : kBitmapAttributes)
                    if (!Attr(layer.elem, a).empty()) bitmaps.insert(Attr(layer.elem, a));
            }
            for (const std::string& s : styles) EXPECT_NE(nullptr, Style(s)) << "no style " << s;

            const CWceUiXmlElem* all = m_style.GetRootElem()->FindChild(u"style");
            ASSERT_NE(nullptr, all);
            std::set<std::string> earlier;
            for (auto* s = all->GetFirstChild(); s; s = s->GetNextSibling()) {
                const std::string name = WideToUtf8(s->GetTagName()), base = Attr(s, "overwrite");
                EXPECT_TRUE(base.empty() || earlier.count(base)) << name << " overwrites " << base;
                earlier.insert(name);
                if (const CWceUiXmlElem* text = s->FindChild(u"text")) {
                    const std::string id = Attr(text, "res-id");
                    EXPECT_TRUE(id.empty() || m_language.GetValue(Utf8ToWide(id).c_str())) << "no text " << id;
                    const std::string font = Attr(text->FindChild(u"font"), "id");
                    if (!font.empty()) {
                        CJxConfDoc conf;
                        EXPECT_TRUE(conf.LoadFile(Path("res\\font\\" + font).c_str(), FALSE)) << font;
                        EXPECT_EQ("DejaVu Sans", Utf8(conf.IsLoaded() ? conf.GetValue(u"facename") : nullptr)) << font;
                    }
                }
                for (const char* group : {"text", "background"}) {
                    const std::string color = Attr(s->FindChild(Utf8ToWide(group).c_str()), "color");
                    if (color.empty() || color == "transparent" || 0 == color.rfind("0x", 0)) continue;
                    EXPECT_NE(nullptr, m_colors.GetValue(Utf8ToWide(color).c_str())) << "no color " << color;
                }
                if (const CWceUiXmlElem* bg = s->FindChild(u"background"))
                    for (auto* item = bg->GetFirstChild(); item; item = item->GetNextSibling()) bitmaps.insert(Attr(item, "id"));
            }
            for (const std::string& id : bitmaps) EXPECT_NE(nullptr, Bitmap(id)) << id << "\n" << Joined();
        }
    // Names the code itself uses.
    for (const ScreenSet& set : kSets) {
        ASSERT_TRUE(Open(set, "CBrantelDlg"));
        EXPECT_NE(nullptr, m_language.GetValue(u"uplevel_folder")) << set.folder;
        for (const char* id : {"listbox\\file.565a.conf", "messagebox\\button_down.565a.conf"})
            EXPECT_NE(nullptr, Bitmap(id)) << set.folder << " " << id;
    }
}

// Images with alpha are never stretched: each is drawn at the size of what it fills, and the
// ones drawn by per-pixel blending carry an alpha plane. A layer with no background colour
// counts as opaque and, repainted alone, would paint over its own old pixels: every layer says
// what lies below it.
TEST_F(SkinTest, ImagesAreDrawnAtTheirOwnSizeAndEveryLayerDeclaresItsBackground)
{
    auto size = [](const RECT& rc) { return std::to_string(rc.right - rc.left) + "x" + std::to_string(rc.bottom - rc.top); };
    auto bitmapSize = [](const CWceUiGenericBitmap* b) {
        return b ? std::to_string(b->GetWidth()) + "x" + std::to_string(b->GetHeight()) : std::string("none");
    };
    for (const ScreenSet& set : kSets)
        for (const char* dialog : kDialogs) {
            SCOPED_TRACE(std::string(set.folder) + " " + dialog);
            ASSERT_TRUE(Open(set, dialog));
            for (const Layer& layer : m_layers) {
                EXPECT_FALSE(Attr(LayerGroup(layer, "background"), "color").empty()) << layer.name;
                for (const char* look : {"style", "down.style", "focus.style"}) {
                    const CWceUiXmlElem* bg = Group(Attr(layer.elem, look), "background");
                    for (auto* item = bg ? bg->GetFirstChild() : nullptr; item; item = item->GetNextSibling())
                        EXPECT_EQ(size(WindowRect(layer)), bitmapSize(Bitmap(Attr(item, "id"))))
                            << layer.name << " " << look;
                }
                for (const char* a : kBitmapAttributes) {
                    const CWceUiGenericBitmap* bitmap = Bitmap(Attr(layer.elem, a));
                    if (bitmap && kBlendedAttributes.count(a)) {
                        EXPECT_TRUE(bitmap->HasPerPixelAlpha()) << a;
                    }
                }
                if ("CWceUiListBox" == layer.type) {
                    const RECT rc = WindowRect(layer);
                    const std::string row = std::to_string(rc.right - rc.left) + "x" + Attr(layer.elem, "item_height");
                    EXPECT_EQ(row, bitmapSize(Bitmap(Attr(layer.elem, "linebg_normal"))));
                    EXPECT_EQ(row, bitmapSize(Bitmap(Attr(layer.elem, "linebg_select"))));
                    const CWceUiGenericBitmap* middle = Bitmap(Attr(layer.elem, "scrollbar_middle"));
                    ASSERT_NE(nullptr, middle);
                    EXPECT_GE(middle->GetHeight(), rc.bottom - rc.top);
                }
                if ("CWceUiSlider" == layer.type) {
                    const RECT rc = WindowRect(layer);
                    for (const char* a : {"bg_bmp", "bg_sel_bmp", "thumb_bmp"}) {
                        const CWceUiGenericBitmap* bitmap = Bitmap(Attr(layer.elem, a));
                        ASSERT_NE(nullptr, bitmap) << a;
                        EXPECT_EQ(rc.bottom - rc.top, bitmap->GetHeight()) << a;
                    }
                }
            }
        }
}

// The kpt variant hides the list, the buttons and "background", moves the slider up and puts
// the status text, in white, beside it: the slider must stay on screen and clear of the
// status, their middles must meet, and the body's own color must be dark.
TEST_F(SkinTest, KptLayoutLinesTheSliderUpWithTheStatus)
{
    for (const ScreenSet& set : kSets) {
        SCOPED_TRACE(set.folder);
        ASSERT_TRUE(Open(set, "CBrantelDlg"));
        const Layer* slider = Find("progress");
        ASSERT_NE(nullptr, slider);
        const RECT rc = WindowRect(*slider);
        const CWceUiGenericBitmap* bg = Bitmap(Attr(slider->elem, "bg_bmp"));
        const CWceUiGenericBitmap* thumb = Bitmap(Attr(slider->elem, "thumb_bmp"));
        ASSERT_TRUE(bg && thumb);
        const int right = rc.left + bg->GetWidth() + thumb->GetWidth();  // the width the slider takes on
        EXPECT_EQ(right, rc.right);
        EXPECT_LT(right, set.kptStatus.left);
        EXPECT_GE(rc.top, set.kptShift);
        EXPECT_EQ((set.kptStatus.top + set.kptStatus.bottom) / 2, (rc.top + rc.bottom) / 2 - set.kptShift);

        LPCWSTR body = m_colors.GetValue(Utf8ToWide(Attr(LayerGroup(m_layers.front(), "background"), "color")).c_str());
        ASSERT_NE(nullptr, body);
        unsigned value = 0;
        ASSERT_EQ(1, std::sscanf(WideToUtf8(body).c_str(), "0x%x", &value));
        const unsigned r = value >> 16 & 0xFF, g = value >> 8 & 0xFF, b = value & 0xFF;
        EXPECT_LT((r * 299 + g * 587 + b * 114) / 1000, 64u) << "white text on the body color";
    }
}

// Message texts and their details wrap: both must be multi-line (so top-aligned). Both looks
// of "ok" are applied by the box, so both are named.
TEST_F(SkinTest, MessageBoxTextWrapsAndOkHasBothLooks)
{
    for (const ScreenSet& set : kSets) {
        SCOPED_TRACE(set.folder);
        ASSERT_TRUE(Open(set, "CMsgBoxDlg"));
        for (const char* name : {"msg", "detail"}) {
            const Layer* msg = Find(name);
            ASSERT_NE(nullptr, msg) << name;
            const CWceUiXmlElem* text = LayerGroup(*msg, "text");
            const CWceUiXmlElem* draw = text ? text->FindChild(u"drawtext") : nullptr;
            ASSERT_NE(nullptr, draw) << name << ": without drawtext the text is single-line";
            EXPECT_EQ("", Attr(draw, "multiline")) << name;
            EXPECT_TRUE(Attr(draw, "valign").empty() || "top" == Attr(draw, "valign")) << name;
        }
        const Layer* ok = Find("ok");
        ASSERT_NE(nullptr, ok);
        EXPECT_FALSE(Attr(ok->elem, "style").empty());
        EXPECT_FALSE(Attr(ok->elem, "down.style").empty());
    }
}
