// PNG reading and writing through libpng's simplified interface.
#include "wce/png.h"

#include <png.h>

namespace wce::host {
namespace {
bool Failed(png_image& image, std::string* error)
{
    if (error) *error = image.message;
    png_image_free(&image);
    return false;
}
}  // namespace

bool WritePng(const std::string& hostPath, const RgbaImage& rgba, std::string* error)
{
    if (rgba.width <= 0 || rgba.height <= 0 ||
        rgba.pixels.size() != static_cast<std::size_t>(rgba.width) * rgba.height * 4) {
        if (error) *error = "the image has no pixels or the wrong number of them";
        return false;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(rgba.width);
    image.height = static_cast<png_uint_32>(rgba.height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, hostPath.c_str(), 0, rgba.pixels.data(), 0, nullptr))
        return Failed(image, error);
    return true;
}

bool ReadPng(const std::string& hostPath, RgbaImage& rgba, std::string* error)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, hostPath.c_str())) return Failed(image, error);
    if (image.width == 0 || image.height == 0 || image.width > kMaxPngSide || image.height > kMaxPngSide) {
        png_image_free(&image);
        if (error) *error = "the image is empty or larger than 32767 pixels on a side";
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    rgba.width = static_cast<int>(image.width);
    rgba.height = static_cast<int>(image.height);
    rgba.pixels.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, rgba.pixels.data(), 0, nullptr)) {
        rgba = RgbaImage();
        return Failed(image, error);
    }
    return true;
}

}  // namespace wce::host
