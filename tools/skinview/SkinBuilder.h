// Writes small skins for skinview's tests, the compose benchmark and the fuzz corpus: the
// files of one or both screen sets, kept in memory and written as a folder or a .pack.
//
// Paths are relative to the skin's top, '/'-separated: "800x480/wnd/CMainDlg.dlg.xml".
// Within a set, resources live below "res/" (bitmaps in "res/bitmap/", the colour table in
// "res/color/wceui.color", fonts in "res/font/") and the language in "language/english.ini".
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace skinbuild {

// 0xAARRGGBB, straight alpha.
using PixelFn = std::function<std::uint32_t(int x, int y)>;

struct BitmapOptions {
    bool perPixelAlpha = false;  // writes the ".alpha" plane from the pixels' alpha
    std::string transColor;      // "RRGGBB" for "tc", empty for none
    int constantAlpha = -1;      // 0..255 for "ca", -1 for none
};

class SkinBuilder {
public:
    // Any file, as bytes.
    void File(const std::string& path, const std::string& bytes) { m_files[path] = bytes; }
    // A UTF-16LE text file with its byte-order mark, from UTF-8.
    void Text(const std::string& path, const std::string& utf8);

    // A 565 bitmap: "SET/res/bitmap/NAME.bmp" (and ".alpha") with "SET/res/bitmap/NAME.565a.conf".
    // Its id in styles is "NAME.565a.conf".
    void Bitmap565(const std::string& set, const std::string& name, int width, int height, const PixelFn& pixel,
                   const BitmapOptions& options = {});
    // One colour of the set's colour table; "RRGGBB".
    void Color(const std::string& set, const std::string& id, const std::string& rrggbb);
    // A font conf "SET/res/font/ID".
    void Font(const std::string& set, const std::string& id, int height, int weight, const std::string& face = "");
    // One text of the set's language file.
    void Language(const std::string& set, const std::string& key, const std::string& utf8);
    // A dialog's two files, "SET/wnd/PATH.dlg.xml" and ".style.xml", from UTF-8 XML.
    void Dialog(const std::string& set, const std::string& path, const std::string& dlgXml, const std::string& styleXml);

    // Every file, the colour tables and language files included.
    std::map<std::string, std::string> Files() const;
    bool WriteFolder(const std::string& hostDir, std::string& error) const;
    bool WritePack(const std::string& hostPath, const std::u16string& password, std::string& error) const;

private:
    std::map<std::string, std::string> m_files;
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> m_colors;    // by set
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> m_language;  // by set
};

// The UTF-16LE bytes (with mark) of a UTF-8 text.
std::string Utf16File(const std::string& utf8);

// A skin shaped like the updater's main screen, for both sets: dialog "CMainDlg" (full-window
// background image, title bar, a container of six list rows with icon and text, a slider,
// four buttons and a status text: 30 layers) and dialog "CMsgBoxDlg" (a box of 400 x 200
// in the middle with a text and two buttons). Sizes follow the set.
void AddMainLikeSkin(SkinBuilder& builder);
// The screen size of a set name ("800x480", "480X272").
bool SetSize(const std::string& set, int& width, int& height);

}  // namespace skinbuild
