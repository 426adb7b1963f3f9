// Palette PNG and full-colour PNG input and output of the toolchain, through
// libpng's simplified interface (errors come back as values; its jumps stay out of ours).
#include "tools/common/image_png.h"

#include <png.h>

#include <algorithm>
#include <cstring>

#include "tools/common/tool.h"

namespace {

// Encodes in memory and replaces the file in one step, so a failed run leaves no half picture.
bool WritePng(const std::string& path, png_image& png, const void* pixels, const void* colormap,
              std::string& error) {
  png_alloc_size_t size = 0;
  std::vector<uint8_t> bytes;
  if (png_image_write_to_memory(&png, nullptr, &size, 0, pixels, 0, colormap)) {
    bytes.resize(size);
    if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, pixels, 0, colormap)) size = 0;
  }
  if (size == 0) {
    error = path + ": " + png.message;
    png_image_free(&png);
    return false;
  }
  bytes.resize(size);
  if (!ToolWriteBytes(path, bytes)) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

// Opens a PNG for libpng's simplified reader.
bool BeginRead(const std::string& path, png_image& png, std::string& error) {
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str())) return true;
  error = path + ": " + png.message;
  return false;
}

}  // namespace

bool PngReadIndexed(const std::string& path, PngIndexed& image, std::string& error) {
  png_image png;
  if (!BeginRead(path, png, error)) return false;
  if (!(png.format & PNG_FORMAT_FLAG_COLORMAP) || png.colormap_entries == 0) {
    png_image_free(&png);
    error = path + ": not an indexed-colour PNG; save it with a palette";
    return false;
  }
  // Asking for RGBA colour-map output keeps a palette file's own indices and its tRNS.
  png.format = PNG_FORMAT_RGBA_COLORMAP;
  const uint32_t colours = png.colormap_entries;
  std::vector<uint8_t> colormap(4 * 256);
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, colormap.data())) {
    error = path + ": " + png.message;
    png_image_free(&png);
    return false;
  }
  image.width = png.width;
  image.height = png.height;
  image.palette.assign(colours, PalEntry{});
  image.transparent = -1;
  for (uint32_t i = 0; i < colours; i++) {
    const uint8_t* c = &colormap[4 * i];
    image.palette[i] = PalEntry{c[0], c[1], c[2], 0};
    if (c[3] == 0 && image.transparent < 0) image.transparent = static_cast<int>(i);
  }
  for (uint8_t v : pixels) {
    if (v >= colours) {
      error = path + ": a pixel uses colour " + std::to_string(v) + " beyond the palette";
      return false;
    }
  }
  image.pixels = std::move(pixels);
  return true;
}

bool PngWriteIndexed(const std::string& path, const PngIndexed& image, std::string& error) {
  const size_t colours = image.palette.size();
  if (colours == 0 || colours > 256 || image.width == 0 || image.height == 0 ||
      image.pixels.size() != static_cast<size_t>(image.width) * image.height) {
    error = path + ": nothing sensible to write";
    return false;
  }
  for (uint8_t v : image.pixels) {
    if (v >= colours) {
      error = path + ": a pixel uses colour " + std::to_string(v) + " beyond the palette";
      return false;
    }
  }
  std::vector<uint8_t> colormap(4 * colours);
  for (size_t i = 0; i < colours; i++) {
    colormap[4 * i] = image.palette[i].red;
    colormap[4 * i + 1] = image.palette[i].green;
    colormap[4 * i + 2] = image.palette[i].blue;
    colormap[4 * i + 3] = static_cast<int>(i) == image.transparent ? 0 : 255;
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = image.width;
  png.height = image.height;
  png.format = image.transparent >= 0 ? PNG_FORMAT_RGBA_COLORMAP : PNG_FORMAT_RGB_COLORMAP;
  png.colormap_entries = static_cast<png_uint_32>(colours);
  if (image.transparent < 0) {
    // Without alpha the colour map is three bytes an entry.
    for (size_t i = 0; i < colours; i++) std::memmove(&colormap[3 * i], &colormap[4 * i], 3);
  }
  return WritePng(path, png, image.pixels.data(), colormap.data(), error);
}

bool PngWriteIndexedBottomUp(const std::string& path, PngIndexed image, std::string& error) {
  const size_t stride = image.width;
  for (size_t top = 0, bottom = image.height - 1; top < bottom; top++, bottom--) {
    std::swap_ranges(image.pixels.begin() + top * stride, image.pixels.begin() + (top + 1) * stride,
                     image.pixels.begin() + bottom * stride);
  }
  return PngWriteIndexed(path, image, error);
}

// Any PNG through libpng's converting reader, as RGBA.
bool PngReadRgba(const std::string& path, PngRgba& image, std::string& error) {
  png_image png;
  if (!BeginRead(path, png, error)) return false;
  png.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
    error = path + ": " + png.message;
    png_image_free(&png);
    return false;
  }
  image.width = png.width;
  image.height = png.height;
  image.rgba = std::move(pixels);
  return true;
}

// An RGBA or (all opaque) RGB PNG.
bool PngWriteRgba(const std::string& path, const PngRgba& image, std::string& error, bool fast) {
  const size_t count = static_cast<size_t>(image.width) * image.height;
  if (count == 0 || image.rgba.size() != count * 4) {
    error = path + ": nothing sensible to write";
    return false;
  }
  bool opaque = true;
  for (size_t i = 3; i < image.rgba.size() && opaque; i += 4) opaque = image.rgba[i] == 255;
  std::vector<uint8_t> rgb;
  if (opaque) {
    rgb.resize(count * 3);
    const uint8_t* src = image.rgba.data();
    uint8_t* dst = rgb.data();
    for (size_t i = 0; i < count; i++, src += 4, dst += 3) std::memcpy(dst, src, 3);
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = image.width;
  png.height = image.height;
  png.format = opaque ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
  png.flags = fast ? PNG_IMAGE_FLAG_FAST : 0;
  const void* data = opaque ? static_cast<const void*>(rgb.data()) : image.rgba.data();
  return WritePng(path, png, data, nullptr, error);
}
