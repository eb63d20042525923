#include "SkinCheck.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>

#include "JXStyleFile.h"
#include "ToolSupport.h"
#include "WceUiCommon.h"
#include "WceUiInit.h"
#include "WceUiCommon.h"
#include "WceUiStyle.h"
#include "WceUiWndAnimate.h"
#include "WceUiXml.h"
#include "wce/wstring.h"

namespace fs = std::filesystem;

namespace skincheck {

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool EndsWith(const std::string& s, const std::string& end)
{
    return s.size() >= end.size() && 0 == s.compare(s.size() - end.size(), end.size(), end);
}

// Files below folder, as paths relative to it with '\\', sorted.
std::vector<std::string> FilesBelow(const fs::path& folder)
{
    std::vector<std::string> files;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return files;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file()) continue;
        std::string relative = fs::relative(it->path(), folder, ec).generic_string();
        std::replace(relative.begin(), relative.end(), '/', '\\');
        files.push_back(relative);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Counts the error lines logged while it lives.
class ErrorCounter {
public:
    ErrorCounter() : m_nPrevious(s_nErrors) {}
    int Count() const { return s_nErrors - m_nPrevious; }
    static void Add(int nLevel)
    {
        if (WCEUI_LOG_ERROR == nLevel) ++s_nErrors;
    }

private:
    int m_nPrevious;
    static int s_nErrors;
};
int ErrorCounter::s_nErrors = 0;

std::string RectText(const RECT& rc)
{
    if (WceUiIsRectLarge(rc)) return "large";
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom);
}

std::string Hex(unsigned v, int digits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "0x%0*X", digits, v);
    return buffer;
}

std::string ColorText(const CWceUiLoadColor& color)
{
    if (CWceUiLoadColor::SOURCE_RES == color.GetSource()) return "id:" + WideToUtf8(color.GetColorID());
    COLORREF cr = color.GetAppColor();
    return Hex((GetRValue(cr) << 16) | (GetGValue(cr) << 8) | GetBValue(cr), 6);
}

std::string OrNone(LPCWSTR p) { return p && *p ? WideToUtf8(p) : std::string("none"); }

const char* const kSpecifiedNames[WCEUI_SPECIFIED_COUNT] = {
    "position", "visibility", "disability", "container", "text.color", "text.res-id", "nodraw", "noinput",
    "reserved", "font", "drawtext", "background", "bgitems", "alpha", "mixcolor"};

// Acquires every resource the style names, so that a missing one logs its holder's message.
void ResolveIds(CWceUiStyle& style)
{
    CWceUiStyleData* p = style.GetData();
    if (CWceUiLoadColor::SOURCE_RES == p->m_TextColor.GetSource()) p->m_TextColor.GetColor();
    if (CWceUiLoadFont::SOURCE_RES == p->m_FontCtrl.GetLoadFont().GetSource()) p->m_FontCtrl.GetFont();
    CWceUiLoadColor& bg = p->m_BgColorCtrl.GetLoadColor();
    if (CWceUiLoadColor::SOURCE_RES == bg.GetSource()) bg.GetColor();
    CWceUiMixColorFilterCtrl copy(p->m_MixColorFilterCtrl);
    COLORREF cr;
    if (CWceUiLoadColor::SOURCE_RES == copy.GetLoadColor().GetSource()) copy.GetFilter(&cr, NULL);
    for (CWceUiBgItem* pItem = p->m_BgItemCtrl.GetHead(); pItem; pItem = p->m_BgItemCtrl.GetNext(pItem))
        if (CWceUiLoadBitmap::SOURCE_RES == pItem->GetLoadBitmap().GetSource()) pItem->GetBitmap();
}

bool IsHex(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

bool IsColorTableValue(const std::u16string& value)
{
    if (value.size() != 8 || value[0] != u'0' || (value[1] != u'x' && value[1] != u'X')) return false;
    return std::all_of(value.begin() + 2, value.end(), IsHex);
}

// A key=value document's entries sorted by key, or false when it does not load.
using Entries = std::vector<std::pair<std::u16string, std::u16string>>;
bool ReadSorted(const std::u16string& devicePath, Entries& entries)
{
    auto add = [](void* pContext, LPCWSTR pKey, LPCWSTR pValue) {
        static_cast<Entries*>(pContext)->emplace_back(pKey, pValue);
    };
    if (!WceUiReadConfFile(devicePath.c_str(), FALSE, add, &entries)) return false;
    std::sort(entries.begin(), entries.end());
    return true;
}

// Creates and initialises every child of the "animate" element as a dialog would; a
// transition that takes longer than 2 s is a warning. One beyond the framework's bound is
// refused by it as a dialog would refuse it, an error.
void CheckAnimations(CJxStyleFile& file, Notes& notes)
{
    CWceUiXmlElem* pRoot = file.GetRootElem();
    CWceUiXmlElem* pAnimate = pRoot ? pRoot->FindChild(u"animate") : nullptr;
    if (!pAnimate) return;
    std::set<std::u16string> seen;
    for (CWceUiXmlElem* pElem = pAnimate->GetFirstChild(); pElem; pElem = pAnimate->GetNextChild(pElem)) {
        if (XML_ELEM_NODE != pElem->GetType() || !pElem->GetTagName()) continue;
        std::u16string lower = pElem->GetTagName();
        for (char16_t& c : lower) c = WCharLower(c);
        if (!seen.insert(lower).second) continue;  // the framework only ever finds the first
        std::unique_ptr<CWceUiWndAnimate> pAni(file.GetWndAnimate(pElem->GetTagName()));
        if (!pAni) continue;
        const DWORD nLength = pAni->GetFrameLength();
        const long long nTotal = (long long)pAni->GetFrameCount() * nLength;
        if (nTotal > 2000)
            notes.push_back({WCEUI_LOG_WARNING, "animate " + WideToUtf8(pElem->GetTagName()) + " takes " +
                                                 std::to_string(nTotal) + " ms (" +
                                                 std::to_string(pAni->GetFrameCount()) + " frames of " +
                                                 std::to_string(nLength) + " ms), more than 2 s"});
    }
}

}  // namespace

void CountLevel(int level) { ErrorCounter::Add(level); }

void UseResFolder(const std::string& hostFolder)
{
    WceUiSetResDir(tool::HostToDevicePath(hostFolder).c_str());
}

bool CheckStyleFile(const std::u16string& devicePath, bool resolveIds, Notes& notes)
{
    ErrorCounter errors;
    CJxStyleFile file;
    if (!file.LoadStyleFile(devicePath.c_str())) return false;
    std::set<std::u16string> built;
    for (int i = 0; i < file.GetStyleCount(); ++i) {
        LPCWSTR pName = file.GetStyleElem(i)->GetTagName();
        if (!built.insert(pName).second) continue;
        CWceUiStyle style;
        if (file.GetStyleData(pName, &style) && resolveIds) ResolveIds(style);
    }
    CheckAnimations(file, notes);
    return 0 == errors.Count();
}

bool CheckResFolder(const std::string& hostFolder, Notes& notes)
{
    ErrorCounter errors;
    int findings = 0;
    fs::path root(hostFolder);
    auto finding = [&](int level, const std::string& text) {
        notes.push_back({level, text});
        if (WCEUI_LOG_ERROR == level) ++findings;
    };

    for (const std::string& id : FilesBelow(root / "bitmap")) {
        if (!EndsWith(Lower(id), ".conf")) continue;
        std::u16string wide = Utf8ToWide(id);
        WceUiCheckBitmap(wide.c_str());
    }

    fs::path colorTable = root / "color" / "wceui.color";
    std::error_code ec;
    if (fs::is_regular_file(colorTable, ec)) {
        Entries entries;
        if (ReadSorted(tool::HostToDevicePath(colorTable.string()), entries)) {
            for (const auto& entry : entries)
                if (!IsColorTableValue(entry.second))
                    finding(WCEUI_LOG_ERROR, "color\\wceui.color: the color " + WideToUtf8(entry.first.c_str()) +
                                              " is not 0x and six hexadecimal digits: " +
                                              WideToUtf8(entry.second.c_str()));
        }
    }

    static const char16_t* const kNumberKeys[] = {u"height",    u"width",        u"escapement",    u"orientation",
                                                  u"weight",    u"italic",       u"underline",     u"strikeout",
                                                  u"charset",   u"outprecision", u"clipprecision", u"quality",
                                                  u"pitchandfamily"};
    for (const std::string& id : FilesBelow(root / "font")) {
        Entries entries;
        if (!ReadSorted(tool::HostToDevicePath((root / "font").string() + "/" + id), entries)) continue;
        std::string where = "font\\" + id + ": ";
        for (const auto& entry : entries) {
            std::string key = WideToUtf8(entry.first.c_str());
            if (entry.first == u"facename") {
                if (entry.second.size() > 31)
                    finding(WCEUI_LOG_WARNING, where + "the face name is longer than 31 characters and is cut");
                continue;
            }
            bool numeric = std::any_of(std::begin(kNumberKeys), std::end(kNumberKeys),
                                       [&](const char16_t* k) { return entry.first == k; });
            if (!numeric) {
                finding(WCEUI_LOG_WARNING, where + "unknown key " + key);
                continue;
            }
            int nValue = 0;
            if (!WceUiParseDecimal(entry.second.c_str(), &nValue)) finding(WCEUI_LOG_WARNING, where + "the value of " + key + " has no digits and counts as 0");
        }
    }
    return 0 == errors.Count() && 0 == findings;
}

bool CheckScreenConf(const std::u16string& devicePath)
{
    ErrorCounter errors;
    int nWidth, nHeight, nBitsPixel;
    int nResult = WceUiReadScreenConf(devicePath.c_str(), &nWidth, &nHeight, &nBitsPixel);
    return WCEUI_SCREEN_CONF_OK == nResult && 0 == errors.Count();
}

bool PrintStyle(const std::u16string& devicePath, const std::u16string& styleName, std::string& out)
{
    CJxStyleFile file;
    CWceUiStyle style;
    if (!file.LoadStyleFile(devicePath.c_str()) || !file.GetStyleData(styleName.c_str(), &style)) return false;
    CWceUiStyleData* p = style.GetData();
    auto line = [&](const std::string& key, const std::string& value) { out += key + "=" + value + "\n"; };
    auto flag = [](BOOL b) { return std::string(b ? "1" : "0"); };
    line("position", RectText(p->m_rcPosition));
    line("relative", flag(p->m_bRelative));
    line("visible", flag(p->m_bVisible));
    line("enabled", flag(p->m_bEnabled));
    line("container", flag(p->m_bContainer));
    line("nodraw", flag(p->m_bNoDraw));
    line("noinput", flag(p->m_bNoInput));
    line("text.color", ColorText(p->m_TextColor));
    line("text.res-id", OrNone(p->m_strTextResID));
    const CWceUiLoadFont& font = p->m_FontCtrl.GetLoadFont();
    line("font", CWceUiLoadFont::SOURCE_RES == font.GetSource() ? "id:" + WideToUtf8(font.GetFontID()) : "none");
    RECT rc;
    p->m_DrawTextCtrl.GetRect(&rc);
    line("drawtext.rect", RectText(rc));
    line("drawtext.format", Hex(p->m_DrawTextCtrl.GetFormat(), 2));
    const CWceUiBgColorCtrl& bg = p->m_BgColorCtrl;
    line("background", !bg.IsHasBgColor() ? "none" : bg.IsTransparent() ? "transparent" : ColorText(bg.GetLoadColor()));
    for (CWceUiBgItem* pItem = p->m_BgItemCtrl.GetHead(); pItem; pItem = p->m_BgItemCtrl.GetNext(pItem)) {
        RECT src, dst;
        pItem->GetSrcRect(&src);
        pItem->GetDstRect(&dst);
        line("bgitem", OrNone(pItem->GetName()) + "|" + OrNone(pItem->GetLoadBitmap().GetBitmapID()) + "|" +
                           RectText(src) + "|" + RectText(dst) + "|" + Hex(pItem->GetAlign(), 2) + "|" +
                           flag(pItem->IsZoom()) + "|" + std::to_string(pItem->GetCommonIndex()));
    }
    int nAlpha = 0;
    line("alpha", p->m_AlphaFilterCtrl.GetFilter(&nAlpha) ? std::to_string(nAlpha) : "off");
    const CWceUiMixColorFilterCtrl& mix = p->m_MixColorFilterCtrl;
    line("mixcolor", mix.IsEnabled() ? ColorText(mix.GetLoadColor()) + "|" + std::to_string(mix.GetAlpha()) : "off");
    std::string specified;
    for (int i = 0; i < WCEUI_SPECIFIED_COUNT; ++i)
        if (style.IsSpecified(i)) specified += (specified.empty() ? "" : ",") + std::string(kSpecifiedNames[i]);
    line("specified", specified.empty() ? "none" : specified);
    return true;
}

}  // namespace skincheck
