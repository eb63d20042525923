// A resource folder on a fresh device for the cache, style and entry-point tests: UTF-16
// key=value files, BMP files with their configurations, and the messages logged meanwhile.
#pragma once

#include <string>

#include "WceUiInit.h"
#include "bitmap_helpers.h"
#include "doc_test_helpers.h"

class SkinTest : public DocTest {
protected:
    // A key=value or XML text below the device root, UTF-16 with its mark.
    void Text(const std::string& relative, const std::u16string& text) const
    {
        m_device.WriteHostFile(relative, Utf16File(text, true));
    }
    // A one-colour bitmap "SDMMC/<res>/bitmap/<name>.bmp" and its configuration
    // "<name>.conf" (the id), with extra lines such as u"tc=102030\n".
    void Bitmap(const std::string& res, const std::string& name, int bits, unsigned pixel,
                const std::u16string& extra = u"", int w = 3, int h = 2) const
    {
        m_device.WriteHostFile("SDMMC/" + res + "/bitmap/" + name + ".bmp",
                               BmpFile(w, h, bits, PixelArray(w, h, bits, [&](int, int) { return pixel; })));
        std::string base = name.substr(name.find_last_of('/') + 1);
        Text("SDMMC/" + res + "/bitmap/" + name + ".conf", u"src=" + Utf8ToWide(base) + u".bmp\n" + extra);
    }
    // Makes "\\SDMMC\\<res>" the resource directory, reloading whatever is cached.
    bool UseRes(const std::string& res) const { return WceUiChangeResDir(Utf8ToWide("\\SDMMC\\" + res).c_str()); }
};
