// Pictures for the decoder and tool tests.
#include "support/pictures.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>

std::vector<uint8_t> PatternPixels(int w, int h, int colours) {
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++)
      pixels[static_cast<size_t>(y) * w + x] =
          static_cast<uint8_t>((x * 3 + y * 5 + x * y) % colours);
  }
  return pixels;
}

std::vector<PalEntry> PatternColours(int count) {
  std::vector<PalEntry> colours(count);
  for (int i = 0; i < count; i++) {
    colours[i] = PalEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(100 + i),
                          static_cast<uint8_t>(200 - i), 0};
  }
  return colours;
}

TestPng PatternPng(uint32_t w, uint32_t h, int colours) {
  TestPng png{w, h, PatternPixels(static_cast<int>(w), static_cast<int>(h), colours), {}};
  for (int i = 0; i < colours; i++) {
    png.colours.push_back({static_cast<uint8_t>(i * 5), static_cast<uint8_t>(255 - i), 17, 255});
  }
  return png;
}

namespace {

png_image NewImage(uint32_t w, uint32_t h, png_uint_32 format) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = format;
  return image;
}

}  // namespace

void WritePng(const std::filesystem::path& path, const TestPng& png) {
  png_image image = NewImage(png.width, png.height, PNG_FORMAT_RGBA_COLORMAP);
  image.colormap_entries = static_cast<png_uint_32>(png.colours.size());
  ASSERT_TRUE(
      png_image_write_to_file(&image, path.c_str(), 0, png.pixels.data(), 0, png.colours.data()))
      << image.message;
}

void WriteRgbaPng(const std::filesystem::path& path, uint32_t w, uint32_t h,
                  const std::vector<uint8_t>& rgba) {
  png_image image = NewImage(w, h, PNG_FORMAT_RGBA);
  ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr))
      << image.message;
}

TestPng ReadPng(const std::filesystem::path& path) {
  png_image image = NewImage(0, 0, 0);
  TestPng png;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    ADD_FAILURE() << path << ": " << image.message;
    return png;
  }
  EXPECT_TRUE(image.format & PNG_FORMAT_FLAG_COLORMAP) << path << " is not indexed";
  image.format = PNG_FORMAT_RGBA_COLORMAP;
  png.width = image.width;
  png.height = image.height;
  png.pixels.resize(PNG_IMAGE_SIZE(image));
  png.colours.resize(256);
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, png.pixels.data(), 0, png.colours.data()));
  png.colours.resize(image.colormap_entries);
  return png;
}

std::string TestCanvas::Differs(const std::vector<uint8_t>& pixels, int x0, int y0, int w, int h,
                                int offset, int transparent,
                                const std::vector<uint8_t>* before) const {
  for (int y = 0; y < kFrameHeight; y++) {
    for (int x = 0; x < kFrameWidth; x++) {
      const size_t at = FramePixelOffset(x, y) - kFramePixelsOffset;
      const bool inside = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
      const int v = inside ? pixels[static_cast<size_t>(y - y0) * w + (x - x0)] : transparent;
      const uint8_t want =
          v == transparent ? (before ? (*before)[at] : kBlank) : static_cast<uint8_t>(v + offset);
      if (frame[at] != want) return std::to_string(x) + "," + std::to_string(y);
    }
  }
  return "";
}
