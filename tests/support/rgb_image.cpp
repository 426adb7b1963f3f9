// PNG files as RGB images, through libpng's simplified interface.
#include "support/rgb_image.h"

#include <gtest/gtest.h>
#include <png.h>

RgbImage ReadRgbPng(const std::filesystem::path& path) {
  RgbImage picture;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str())) {
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
      picture.width = static_cast<int>(image.width);
      picture.height = static_cast<int>(image.height);
      return picture;
    }
  }
  ADD_FAILURE() << path << ": " << image.message;
  return RgbImage{};
}
