// png2skin: turns a PNG with alpha into the BMP, ".alpha" and ".565a.conf" files of a skin.
//
//   png2skin [--32] [--alpha] [--dither] [--tc RRGGBB] [--ca N] INPUT.png OUTPUT.bmp
//
// Writes OUTPUT.bmp (RGB565, or 32 bits with --32), premultiplied by the image's alpha;
// OUTPUT.alpha beside it (the alpha scaled to 0..63) when a 565 image is not opaque or
// --alpha asks for it; and
// OUTPUT.565a.conf naming them ("pa=true" when the image has alpha).
#include <cstdio>
#include <cstring>
#include <string>

#include "PngToSkin.h"
#include "ToolSupport.h"

namespace {

const char kProgram[] = "png2skin";

void PrintUsage()
{
    std::printf(
        "usage: png2skin [--32] [--alpha] [--dither] [--tc RRGGBB] [--ca N] INPUT.png OUTPUT.bmp\n"
        "  Writes OUTPUT.bmp (RGB565, premultiplied), OUTPUT.alpha (0..63) when the image\n"
        "  has alpha, and OUTPUT.565a.conf naming them.\n"
        "  --32         write a 32-bit premultiplied BMP instead (no .alpha file)\n"
        "  --alpha      keep per-pixel alpha (\"pa=true\") even when the image is opaque,\n"
        "               for images that are only ever alpha-blended\n"
        "  --dither     ordered dither of the opaque pixels of a 565 image, against bands\n"
        "               in gradients (colors on the 565 grid stay exact)\n"
        "  --tc RRGGBB  transparent color for the conf\n"
        "  --ca N       constant alpha 0..255 for the conf\n");
}

bool IsHexColor(const std::string& text)
{
    if (text.size() != 6) return false;
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    tool::SkinOptions options;
    std::string input, output;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if ("--help" == arg || "-h" == arg) {
            PrintUsage();
            return 0;
        } else if ("--32" == arg) {
            options.thirtyTwoBits = true;
        } else if ("--alpha" == arg) {
            options.keepAlpha = true;
        } else if ("--dither" == arg) {
            options.dither = true;
        } else if ("--tc" == arg && i + 1 < argc) {
            options.transColor = argv[++i];
            if (!IsHexColor(options.transColor)) return tool::UsageError(kProgram, "--tc takes six hex digits RRGGBB");
        } else if ("--ca" == arg && i + 1 < argc) {
            char* end = nullptr;
            long value = std::strtol(argv[++i], &end, 10);
            if (!end || *end || value < 0 || value > 255) return tool::UsageError(kProgram, "--ca takes 0..255");
            options.constantAlpha = static_cast<int>(value);
        } else if (!arg.empty() && '-' == arg[0]) {
            return tool::UsageError(kProgram, "unknown option " + arg);
        } else if (input.empty()) {
            input = arg;
        } else if (output.empty()) {
            output = arg;
        } else {
            return tool::UsageError(kProgram, "too many arguments");
        }
    }
    if (input.empty() || output.empty()) return tool::UsageError(kProgram, "INPUT.png and OUTPUT.bmp are needed");

    tool::UseHostFileSystem();
    std::string error;
    if (!tool::ConvertPngToSkin(input, output, options, error)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return 1;
    }
    return 0;
}
