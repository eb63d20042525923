// Feeds bytes to a style file (LoadStyleData: byte-order mark, odd lengths, includes that
// find nothing) and builds every style in file order, twice (the second time from the
// cache), plus the animations' lookups. The same bytes, as UTF-16LE units, go to the value
// readers: rectangles, color literals and table values, numbers, and a font configuration.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "JXGetFont.h"
#include "JXGlobal.h"
#include "JXStyleFile.h"
#include "JxConfDoc.h"
#include "WceUiCommon.h"
#include "WceUiStyle.h"
#include "wce/host.h"

namespace fs = std::filesystem;

namespace {

void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_style: %s\n", what);
    std::abort();
}

// An empty device: includes and resources find nothing.
struct FuzzDevice {
    FuzzDevice()
    {
        std::string pattern = (fs::temp_directory_path() / "fuzz-style-XXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr, "cannot make the device folder");
        root = pattern;
        wce::host::SetDeviceRoot(root);
        // Logging would only slow every run down.
        WceUiCloseLogFile();
    }
    ~FuzzDevice()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    std::string root;
};

void ReadValues(const std::u16string& text)
{
    RECT rc = {1, 2, 3, 4};
    if (ConvertRectStrToRect(text.c_str(), &rc)) {
        // Right and bottom never wrap: they lie on the side the width and height point to.
        RECT again;
        Require(ConvertRectStrToRect(text.c_str(), &again) && EqualRect(&rc, &again), "rectangles differ");
    } else {
        Require(1 == rc.left && 2 == rc.top && 3 == rc.right && 4 == rc.bottom, "a failed rectangle changed");
    }
    COLORREF cr = 0;
    if (JxParseColorLiteral(text.c_str(), &cr)) Require(cr <= 0xFFFFFF, "a literal has a top byte");
    if (JxParseColorValue(text.c_str(), &cr)) Require(cr <= 0xFFFFFF, "a table value has a top byte");
    JxParseDecimal(text.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzDevice device;

    std::u16string units;
    for (size_t i = 0; i + 1 < size; i += 2) {
        char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (c) units += c;
    }
    ReadValues(units);

    CJxConfDoc conf;
    if (conf.LoadData(data, static_cast<DWORD>(size), u"\\font\\f", FALSE)) {
        LOGFONTW lf;
        JxReadFontConf(conf, &lf);
        Require(0 == lf.lfFaceName[LF_FACESIZE - 1], "face name not terminated");
        CWceUiFont font(lf);
        Require(JxIsSameLogFont(font.GetLogFont(), lf), "font description changed");
    }

    CJxStyleFile file;
    if (!file.LoadStyleData(data, static_cast<DWORD>(size), u"\\a.style.xml")) return 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < file.GetStyleCount(); ++i) {
            CWceUiStyle style;
            if (!file.GetStyleData(file.GetStyleElem(i)->GetTagName(), &style)) continue;
            CWceUiStyle merged;
            merged.MergeStyle(style, style);
            Require(merged.GetSpecifiedBits() == style.GetSpecifiedBits(), "merge changed the flags");
            Require(!style.IsSpecified(WCEUI_SPECIFIED_RESERVED), "the reserved flag is set");
        }
    }
    file.DoesHaveAnimate(u"in");
    file.GetAnimateElem(u"in");
    return 0;
}
