// The face table and the FreeType side of text: faces open once per file, fonts per face,
// size and style with their glyph caches, both bounded.
#include "font_engine.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <unordered_map>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include "wce/files.h"
#include "wce/host.h"
#include "wce/wstring.h"

namespace wce::detail {
namespace {

constexpr const char* kDefaultFontFolder = "/usr/share/fonts/truetype/dejavu";
constexpr const char16_t* kDefaultFace = u"dejavu sans";
// Fonts kept at once, and the glyphs and coverage bytes each font keeps; past a bound the
// least recently used font goes, or the font's glyphs are dropped and rendered again.
constexpr std::size_t kMaxFonts = 16;
constexpr std::size_t kMaxGlyphsPerFont = 2048;
constexpr std::size_t kMaxBytesPerFont = 4u << 20;
// Italic as a shear of 0.2 in 16.16.
constexpr FT_Fixed kItalicShear = 13107;

struct FaceFiles {
    std::array<std::string, 2> builtIn;  // regular, bold: file names in the font folder
    std::array<std::string, 2> set;      // host paths from SetFontFile, empty when not set
};

struct OpenFace {
    FT_Face face = nullptr;  // null when the file could not be opened
};

class FontImpl;

struct Engine {
    FT_Library library = nullptr;
    bool libraryFailed = false;
    std::map<std::u16string, FaceFiles> faces;
    std::map<std::string, OpenFace> openFaces;
    std::vector<std::unique_ptr<FontImpl>> fonts;
    std::uint64_t uses = 0;
    // The last description asked for and its font: most calls repeat it.
    LOGFONTW lastDescription{};
    FontImpl* lastFont = nullptr;

    Engine()
    {
        faces[u"dejavu sans"].builtIn = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"};
        faces[u"dejavu sans mono"].builtIn = {"DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf"};
        faces[u"dejavu serif"].builtIn = {"DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf"};
    }
    ~Engine() = delete;  // lives to the end of the process, like the GDI table

    void DropFonts();
};

Engine& GetEngine()
{
    static Engine* engine = new Engine;
    return *engine;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return a <= 0 ? 0 : (a + b - 1) / b; }

class FontImpl : public Font {
public:
    FontImpl(FT_Face f, FT_Size s, int em64, int xem64, bool italicStyle, bool monochrome)
        : face(f), size(s), keyEm64(em64), keyXem64(xem64), italic(italicStyle), mono(monochrome)
    {
    }
    ~FontImpl() override { FT_Done_Size(size); }

    int Advance(char32_t cp) override { return GetGlyph(cp).advance; }

    const Glyph& GetGlyph(char32_t cp) override
    {
        static const Glyph empty;
        if (0x09 == cp) cp = 0x20;  // a tab is a space
        else if (cp < 0x20) return empty;
        if (cp < kAscii && ascii[cp]) return *ascii[cp];
        auto it = glyphs.find(cp);
        if (it != glyphs.end()) return it->second;
        Glyph glyph = Render(cp);
        std::size_t bytes = glyph.coverage.size() + sizeof(Glyph);
        if (glyphs.size() >= kMaxGlyphsPerFont || cacheBytes + bytes > kMaxBytesPerFont) {
            glyphs.clear();
            std::fill(std::begin(ascii), std::end(ascii), nullptr);
            cacheBytes = 0;
        }
        cacheBytes += bytes;
        const Glyph& stored = glyphs.emplace(cp, std::move(glyph)).first->second;
        if (cp < kAscii) ascii[cp] = &stored;
        return stored;
    }

    FT_Face face;
    FT_Size size;
    int keyEm64, keyXem64;
    bool italic, mono;
    std::uint64_t lastUse = 0;

private:
    Glyph Render(char32_t cp)
    {
        Glyph glyph;
        FT_Activate_Size(size);
        FT_UInt index = FT_Get_Char_Index(face, cp);
        // Monochrome glyphs are hinted for their two levels; advances come from the same load.
        const FT_Int32 flags = FT_LOAD_NO_BITMAP | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_DEFAULT);
        if (FT_Load_Glyph(face, index, flags) != 0 && (0 == index || FT_Load_Glyph(face, 0, flags) != 0))
            return glyph;
        FT_GlyphSlot slot = face->glyph;
        glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        if (FT_GLYPH_FORMAT_OUTLINE != slot->format) return glyph;
        if (italic) {
            FT_Matrix shear{0x10000, kItalicShear, 0, 0x10000};
            FT_Outline_Transform(&slot->outline, &shear);
        }
        if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.width = static_cast<int>(bitmap.width);
        glyph.rows = static_cast<int>(bitmap.rows);
        glyph.coverage.assign(static_cast<std::size_t>(glyph.width) * glyph.rows, 0);
        const unsigned char* top =
            bitmap.pitch >= 0 ? bitmap.buffer : bitmap.buffer + static_cast<std::ptrdiff_t>(glyph.rows - 1) * -bitmap.pitch;
        for (int y = 0; y < glyph.rows; ++y) {
            const unsigned char* in = top + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
            std::uint8_t* out = glyph.coverage.data() + static_cast<std::size_t>(y) * glyph.width;
            for (int x = 0; x < glyph.width; ++x)
                out[x] = FT_PIXEL_MODE_MONO == bitmap.pixel_mode ? ((in[x >> 3] >> (7 - (x & 7))) & 1) * 255
                                                                 : in[x];
        }
        return glyph;
    }

    // Map nodes stay put, so the shortcut for ASCII may point into the map.
    static constexpr char32_t kAscii = 128;
    std::unordered_map<char32_t, Glyph> glyphs;
    const Glyph* ascii[kAscii] = {};
    std::size_t cacheBytes = 0;
};

void Engine::DropFonts()
{
    lastFont = nullptr;
    fonts.clear();
    for (auto& entry : openFaces)
        if (entry.second.face) FT_Done_Face(entry.second.face);
    openFaces.clear();
}

std::u16string LowerName(const WCHAR* name, std::size_t maxUnits)
{
    std::u16string lower;
    for (std::size_t i = 0; i < maxUnits && name[i]; ++i) lower += WCharLower(name[i]);
    return lower;
}

std::string FilePath(const FaceFiles& files, bool bold)
{
    if (!files.set[bold].empty()) return files.set[bold];
    if (files.builtIn[bold].empty()) return std::string();
    const char* folder = std::getenv("WCE_FONT_DIR");
    return std::string(folder && *folder ? folder : kDefaultFontFolder) + "/" + files.builtIn[bold];
}

FT_Face Open(Engine& engine, const std::string& path)
{
    auto found = engine.openFaces.find(path);
    if (found != engine.openFaces.end()) return found->second.face;
    OpenFace& entry = engine.openFaces[path];
    if (FT_New_Face(engine.library, path.c_str(), 0, &entry.face) != 0 || !FT_IS_SCALABLE(entry.face)) {
        if (entry.face) FT_Done_Face(entry.face);
        entry.face = nullptr;
        std::fprintf(stderr, "cannot open font file %s\n", path.c_str());
    }
    return entry.face;
}

// The face for a name and weight: the named face's file, else the default face's file of
// that weight, else its regular file.
FT_Face FindFace(Engine& engine, const LOGFONTW& lf)
{
    std::u16string name = LowerName(lf.lfFaceName, LF_FACESIZE - 1);
    auto it = engine.faces.find(name);
    if (it == engine.faces.end()) it = engine.faces.find(kDefaultFace);
    bool bold = lf.lfWeight >= FW_SEMIBOLD;
    const FaceFiles& fallback = engine.faces[kDefaultFace];
    const std::pair<const FaceFiles*, bool> candidates[] = {{&it->second, bold}, {&fallback, bold}, {&fallback, false}};
    for (const auto& [files, weight] : candidates) {
        std::string path = FilePath(*files, weight);
        if (path.empty()) continue;
        if (FT_Face face = Open(engine, path)) return face;
    }
    return nullptr;
}

int CellHeight(FT_Face face, std::int64_t em64)
{
    std::int64_t unit = static_cast<std::int64_t>(face->units_per_EM) * 64;
    return static_cast<int>(CeilDiv(face->ascender * em64, unit) + CeilDiv(-face->descender * em64, unit));
}

// The largest em (26.6) whose cell height does not exceed the asked height.
std::int64_t EmForCellHeight(FT_Face face, std::int64_t height)
{
    std::int64_t span = face->ascender - face->descender;
    if (span <= 0) return height * 64;
    std::int64_t em64 = height * 64 * face->units_per_EM / span;
    while (em64 > 64 && CellHeight(face, em64) > height) --em64;
    return em64 < 64 ? 64 : em64;
}

// The face's average character width in font units.
std::int64_t AverageWidthUnits(FT_Face face)
{
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->xAvgCharWidth > 0) return os2->xAvgCharWidth;
    return face->units_per_EM / 2;
}

FontImpl* FindFontImpl(Engine& engine, const LOGFONTW& lf)
{
    if (!engine.library && !engine.libraryFailed && FT_Init_FreeType(&engine.library) != 0) {
        engine.libraryFailed = true;
        std::fprintf(stderr, "cannot start FreeType: text is not drawn\n");
    }
    FT_Face face = engine.library ? FindFace(engine, lf) : nullptr;
    if (!face) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    std::int64_t height = 0 == lf.lfHeight ? -16 : lf.lfHeight;
    std::int64_t em64 = height < 0 ? -height * 64 : EmForCellHeight(face, height);
    std::int64_t xem64 = em64;
    std::int64_t upem = face->units_per_EM;
    std::int64_t naturalAverage64 = AverageWidthUnits(face) * em64 / upem;
    if (lf.lfWidth > 0 && naturalAverage64 > 0) {
        xem64 = em64 * lf.lfWidth * 64 / naturalAverage64;
        if (xem64 < 64) xem64 = 64;
        if (xem64 > 8 * kMaxFontPixels * 64) xem64 = 8 * kMaxFontPixels * 64;
    }
    bool italic = lf.lfItalic != 0, mono = NONANTIALIASED_QUALITY == lf.lfQuality;

    ++engine.uses;
    for (auto& font : engine.fonts) {
        if (font->face == face && font->keyEm64 == em64 && font->keyXem64 == xem64 && font->italic == italic &&
            font->mono == mono) {
            font->lastUse = engine.uses;
            return font.get();
        }
    }
    FT_Size size = nullptr;
    if (FT_New_Size(face, &size) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    FT_Activate_Size(size);
    if (FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(xem64), static_cast<FT_F26Dot6>(em64), 72, 72) != 0) {
        FT_Done_Size(size);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto font = std::make_unique<FontImpl>(face, size, static_cast<int>(em64), static_cast<int>(xem64), italic, mono);
    std::int64_t unit = upem * 64;
    font->ascent = static_cast<int>(CeilDiv(face->ascender * em64, unit));
    font->descent = static_cast<int>(CeilDiv(-face->descender * em64, unit));
    font->height = font->ascent + font->descent;
    font->em = static_cast<int>((em64 + 32) / 64);
    font->averageWidth =
        lf.lfWidth > 0 ? static_cast<int>(lf.lfWidth) : static_cast<int>((AverageWidthUnits(face) * em64 + unit / 2) / unit);
    font->maxWidth = static_cast<int>((face->max_advance_width * xem64 + unit / 2) / unit);
    font->lastUse = engine.uses;

    if (engine.fonts.size() >= kMaxFonts) {
        auto oldest = engine.fonts.begin();
        for (auto it = engine.fonts.begin(); it != engine.fonts.end(); ++it)
            if ((*it)->lastUse < (*oldest)->lastUse) oldest = it;
        engine.fonts.erase(oldest);
    }
    engine.fonts.push_back(std::move(font));
    return engine.fonts.back().get();
}

}  // namespace

std::mutex& TextLock()
{
    static std::mutex lock;
    return lock;
}

Font* FindFont(const LOGFONTW& lf)
{
    Engine& engine = GetEngine();
    if (engine.lastFont && 0 == std::memcmp(&lf, &engine.lastDescription, sizeof lf)) {
        engine.lastFont->lastUse = ++engine.uses;
        return engine.lastFont;
    }
    FontImpl* font = FindFontImpl(engine, lf);
    if (font) {
        engine.lastDescription = lf;
        engine.lastFont = font;
    }
    return font;
}

}  // namespace wce::detail

namespace wce::host {

void SetFontFile(const std::string& faceName, bool bold, const std::string& hostPath)
{
    using namespace wce::detail;
    std::lock_guard<std::mutex> guard(TextLock());
    Engine& engine = GetEngine();
    std::u16string wide = Utf8ToWide(faceName);
    std::u16string name = LowerName(wide.c_str(), LF_FACESIZE - 1);
    engine.faces[name].set[bold] = hostPath;
    // Fonts made from the old file go with it; the rest open again on their next use.
    engine.DropFonts();
}

}  // namespace wce::host
