// lntr3tool lzss, tz2 and tzg run as a modder would: files in a temporary directory, PNGs
// written and checked through libpng here, exit status and messages of every refusal.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/lzss.h"
#include "resources/tz2.h"
#include "resources/tzg.h"
#include "support/test_data.h"

namespace {

namespace fs = std::filesystem;

// An indexed picture as a PNG holds it: RGBA palette entries, pixels top row first.
struct TestPng {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> pixels;
  std::vector<std::array<uint8_t, 4>> colours;
};

TestPng MakePng(uint32_t w, uint32_t h, int colours) {
  TestPng png{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h), {}};
  for (uint32_t y = 0; y < h; y++) {
    for (uint32_t x = 0; x < w; x++)
      png.pixels[y * w + x] = static_cast<uint8_t>((x * x + 3 * y) % colours);
  }
  for (int i = 0; i < colours; i++) {
    png.colours.push_back({static_cast<uint8_t>(i * 5), static_cast<uint8_t>(255 - i), 17, 255});
  }
  return png;
}

void WritePng(const fs::path& path, const TestPng& png) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png.width;
  image.height = png.height;
  image.format = PNG_FORMAT_RGBA_COLORMAP;
  image.colormap_entries = static_cast<png_uint_32>(png.colours.size());
  ASSERT_TRUE(
      png_image_write_to_file(&image, path.c_str(), 0, png.pixels.data(), 0, png.colours.data()))
      << image.message;
}

void WriteRgbPng(const fs::path& path) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = 8;
  image.height = 2;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(8 * 2 * 3, 90);
  ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr));
}

TestPng ReadPng(const fs::path& path) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
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

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

class ImageToolTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string output;

  fs::path At(const std::string& name) const { return dir.path / name; }
  // Runs lntr3tool with the arguments; file names are relative to the temporary directory.
  int Tool(const std::string& args) {
    const std::string command =
        "cd '" + dir.path.string() + "' && '" + LNTR3_BIN_DIR + "/lntr3tool' " + args;
    return RunCommand(command, output);
  }
  bool Said(const std::string& text) const { return output.find(text) != std::string::npos; }
};

TEST_F(ImageToolTest, Tz2EncodeThenDecodeGivesBackPixelsColoursAndTransparency) {
  TestPng png = MakePng(50, 30, 40);
  png.colours[7][3] = 0;  // the transparent entry
  WritePng(At("in.png"), png);
  ASSERT_EQ(Tool("tz2 encode in.png PIC.TZ2 --pos 12,34 --first-index 124"), 0) << output;
  Tz2Header h;
  ASSERT_TRUE(Tz2ParseHeader(ReadBytes(At("PIC.TZ2")), h));
  EXPECT_EQ(std::string(h.magic), "TAZU256");
  EXPECT_EQ(h.x, 12);
  EXPECT_EQ(h.y, 34);
  EXPECT_EQ(h.transparent, 7);
  EXPECT_EQ(h.firstIndex, 124);
  EXPECT_EQ(h.colourCount, 40);

  ASSERT_EQ(Tool("tz2 decode PIC.TZ2 out.png"), 0) << output;
  EXPECT_TRUE(Said("--pos 12,34 --transparent 7 --first-index 124")) << output;
  const TestPng back = ReadPng(At("out.png"));
  EXPECT_EQ(back.width, 50u);
  EXPECT_EQ(back.height, 30u);
  EXPECT_EQ(back.pixels, png.pixels);
  ASSERT_EQ(back.colours.size(), 40u);
  EXPECT_EQ(back.colours, png.colours);
}

TEST_F(ImageToolTest, Tz2DecodeFrameDrawsAsTheGameDoes) {
  const TestPng png = MakePng(20, 10, 5);
  WritePng(At("in.png"), png);
  ASSERT_EQ(Tool("tz2 encode in.png PIC.TZ2 --pos 600,5 --transparent 0 --first-index 124"), 0)
      << output;
  ASSERT_EQ(Tool("tz2 decode PIC.TZ2 frame.png --frame"), 0) << output;
  const TestPng frame = ReadPng(At("frame.png"));
  ASSERT_EQ(frame.width, 640u);
  ASSERT_EQ(frame.height, 480u);
  ASSERT_EQ(frame.colours.size(), 236u);
  // Colour 0 is transparent: the black frame shows; others are placed from entry 124 on.
  EXPECT_EQ(frame.pixels[5 * 640 + 600], 228);
  EXPECT_EQ(frame.pixels[5 * 640 + 601], png.pixels[1] + 124);
  EXPECT_EQ(frame.pixels[14 * 640 + 619], png.pixels[9 * 20 + 19] + 124);
  EXPECT_EQ(frame.pixels[0], 228);
  EXPECT_EQ(frame.colours[124 + 3], png.colours[3]);
  EXPECT_EQ(frame.colours[229], (std::array<uint8_t, 4>{255, 255, 255, 255}));
}

TEST_F(ImageToolTest, Tz2RefusesWhatItCannotStoreOrRead) {
  WritePng(At("many.png"), MakePng(4, 4, 237));
  EXPECT_EQ(Tool("tz2 encode many.png OUT.TZ2"), 1);
  EXPECT_TRUE(Said("237 palette colours")) << output;
  WritePng(At("wide.png"), MakePng(641, 2, 3));
  EXPECT_EQ(Tool("tz2 encode wide.png OUT.TZ2"), 1);
  EXPECT_TRUE(Said("640 x 480")) << output;
  WritePng(At("some.png"), MakePng(4, 4, 40));
  EXPECT_EQ(Tool("tz2 encode some.png OUT.TZ2 --first-index 200"), 1);
  WriteRgbPng(At("rgb.png"));
  EXPECT_EQ(Tool("tz2 encode rgb.png OUT.TZ2"), 1);
  EXPECT_TRUE(Said("indexed-colour")) << output;
  EXPECT_FALSE(fs::exists(At("OUT.TZ2")));

  WritePng(At("ok.png"), MakePng(64, 64, 30));
  ASSERT_EQ(Tool("tz2 encode ok.png OK.TZ2"), 0) << output;
  std::vector<uint8_t> file = ReadBytes(At("OK.TZ2"));
  file.resize(file.size() - 3);
  WriteBytes(At("CUT.TZ2"), file);
  EXPECT_EQ(Tool("tz2 decode CUT.TZ2 cut.png"), 1);
  EXPECT_TRUE(Said("データ異常です")) << output;
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
  EXPECT_EQ(Tool("tz2 decode missing.TZ2 x.png"), 1);
  EXPECT_EQ(Tool("tz2 encode ok.png"), 2);
  EXPECT_EQ(Tool("tz2 encode ok.png X.TZ2 --pos 1"), 2);
  EXPECT_EQ(Tool("tz2 --help"), 0);
  EXPECT_TRUE(Said("--first-index"));
}

TEST_F(ImageToolTest, TzgRoundTripsInBothLayouts) {
  TestPng png = MakePng(24, 10, 16);
  for (auto& c : png.colours) c = {static_cast<uint8_t>(c[0] / 17 * 17), 0, 255, 255};
  png.colours[3][3] = 0;
  WritePng(At("in.png"), png);
  for (const char* layout : {"rows", "strips"}) {
    ASSERT_EQ(Tool(std::string("tzg encode in.png OVER.TZG --pos 16,5 --layout ") + layout), 0)
        << output;
    TzgHeader h;
    ASSERT_TRUE(TzgReadHeader(ReadBytes(At("OVER.TZG")), h));
    EXPECT_EQ(h.x0, 2);
    EXPECT_EQ(h.y1, 14);
    EXPECT_EQ(h.transparent, 3);
    ASSERT_EQ(Tool("tzg decode OVER.TZG out.png"), 0) << output;
    EXPECT_TRUE(Said(std::string("--pos 16,5 --layout ") + layout + " --transparent 3"));
    const TestPng back = ReadPng(At("out.png"));
    EXPECT_EQ(back.pixels, png.pixels);
    EXPECT_EQ(back.colours, png.colours);
  }
  ASSERT_EQ(Tool("tzg decode OVER.TZG frame.png --frame"), 0) << output;
  const TestPng frame = ReadPng(At("frame.png"));
  ASSERT_EQ(frame.width, 640u);
  EXPECT_EQ(frame.pixels[5 * 640 + 17], png.pixels[1]);
  EXPECT_EQ(frame.colours[15], (std::array<uint8_t, 4>{255, 255, 255, 255}));
}

TEST_F(ImageToolTest, TzgRefusesWhatItCannotStore) {
  WritePng(At("many.png"), MakePng(16, 2, 17));
  EXPECT_EQ(Tool("tzg encode many.png X.TZG"), 1);
  EXPECT_TRUE(Said("at most 16")) << output;
  WritePng(At("odd.png"), MakePng(12, 2, 4));
  EXPECT_EQ(Tool("tzg encode odd.png X.TZG"), 1);
  EXPECT_TRUE(Said("multiple of 8")) << output;
  WritePng(At("ok.png"), MakePng(16, 2, 4));
  EXPECT_EQ(Tool("tzg encode ok.png X.TZG --pos 3,0"), 2);
  EXPECT_EQ(Tool("tzg encode ok.png X.TZG --layout diagonal"), 2);
  WriteBytes(At("BAD.TZG"), {'T', 'A', 'Z', 'U', 'C', 'O', 'D', 'E', 1, 2});
  EXPECT_EQ(Tool("tzg decode BAD.TZG x.png"), 1);
  EXPECT_EQ(Tool("tzg --help"), 0);
}

TEST_F(ImageToolTest, LzssPacksAndUnpacksFiles) {
  std::vector<uint8_t> data;
  for (int i = 0; i < 20000; i++) data.push_back(static_cast<uint8_t>(i % 251 ^ (i / 97)));
  WriteBytes(At("data.bin"), data);
  ASSERT_EQ(Tool("lzss pack data.bin data.lz"), 0) << output;
  const std::vector<uint8_t> block = ReadBytes(At("data.lz"));
  EXPECT_EQ(LzssBlockSize(block), data.size());
  EXPECT_LT(block.size(), data.size());
  ASSERT_EQ(Tool("lzss unpack data.lz back.bin"), 0) << output;
  EXPECT_EQ(ReadBytes(At("back.bin")), data);

  WriteBytes(At("cut.lz"), std::vector<uint8_t>(block.begin(), block.begin() + 100));
  EXPECT_EQ(Tool("lzss unpack cut.lz x.bin"), 1);
  EXPECT_TRUE(Said("damaged")) << output;
  WriteBytes(At("empty.lz"), {0, 0, 0, 0});
  ASSERT_EQ(Tool("lzss unpack empty.lz empty.bin"), 0) << output;
  EXPECT_EQ(fs::file_size(At("empty.bin")), 0u);
  EXPECT_EQ(Tool("lzss squash a b"), 2);
  EXPECT_EQ(Tool("lzss --help"), 0);
}

}  // namespace
