// lntr3tool lzss, tz2 and tzg run as a modder would: files in a temporary directory, PNGs
// written and checked through libpng here, exit status and messages of every refusal.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/tz2.h"
#include "support/pictures.h"
#include "support/tool_run.h"

namespace {

namespace fs = std::filesystem;

using ImageToolTest = ToolRunTest;

TEST_F(ImageToolTest, Tz2EncodeThenDecodeGivesBackPixelsColoursAndTransparency) {
  TestPng png = PatternPng(50, 30, 40);
  png.colours[7][3] = 0;  // the transparent entry
  WritePng(At("in.png"), png);
  ASSERT_EQ(Tool("tz2 encode in.png PIC.TZ2 --pos 12,34 --first-index 124"), 0) << output;
  // The decoder reads the header back and says how to encode the picture again.
  ASSERT_EQ(Tool("tz2 decode PIC.TZ2 out.png"), 0) << output;
  EXPECT_TRUE(Said("--pos 12,34 --transparent 7 --first-index 124")) << output;
  const TestPng back = ReadPng(At("out.png"));
  EXPECT_EQ((std::array{back.width, back.height}), (std::array{50u, 30u}));
  EXPECT_EQ(back.pixels, png.pixels);
  EXPECT_EQ(back.colours, png.colours);
}

TEST_F(ImageToolTest, Tz2DecodeFrameDrawsAsTheGameDoes) {
  const TestPng png = PatternPng(20, 10, 5);
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
  EXPECT_EQ(frame.colours[229], (PngColour{255, 255, 255, 255}));
}

TEST_F(ImageToolTest, Tz2AndTzgRefuseWhatTheyCannotStoreOrRead) {
  WritePng(At("many.png"), PatternPng(4, 4, 237));
  WritePng(At("wide.png"), PatternPng(641, 2, 3));
  WritePng(At("some.png"), PatternPng(4, 4, 40));
  WriteRgbaPng(At("rgb.png"), 8, 2, std::vector<uint8_t>(8 * 2 * 4, 90));
  WritePng(At("many16.png"), PatternPng(16, 2, 17));
  WritePng(At("odd.png"), PatternPng(12, 2, 4));
  std::vector<uint8_t> file = Tz2Encode({PatternPixels(64, 64, 30), 64, 64, PatternColours(30)});
  file.resize(file.size() - 3);
  WriteFileBytes(At("CUT.TZ2"), file);
  WriteFileBytes(At("BAD.TZG"), "TAZUCODE\1\2");
  const std::pair<const char*, const char*> cases[] = {
      {"tz2 encode many.png OUT.TZ2", "237 palette colours"},
      {"tz2 encode wide.png OUT.TZ2", "640 x 480"},
      {"tz2 encode some.png OUT.TZ2 --first-index 200", "some.png: "},
      {"tz2 encode rgb.png OUT.TZ2", "indexed-colour"},
      {"tz2 decode CUT.TZ2 cut.png", "データ異常です"},
      {"tz2 decode missing.TZ2 x.png", "missing.TZ2"},
      {"tzg encode many16.png OUT.TZG", "at most 16"},
      {"tzg encode odd.png OUT.TZG", "multiple of 8"},
      {"tzg decode BAD.TZG x.png", "BAD.TZG"},
  };
  for (const auto& [args, reason] : cases) ExpectRefused(args, reason);
  EXPECT_FALSE(fs::exists(At("OUT.TZ2")));
  EXPECT_FALSE(fs::exists(At("OUT.TZG")));
}

TEST_F(ImageToolTest, TzgRoundTripsInBothLayouts) {
  TestPng png = PatternPng(24, 10, 16);
  for (auto& c : png.colours) c = {static_cast<uint8_t>(c[0] / 17 * 17), 0, 255, 255};
  png.colours[3][3] = 0;
  WritePng(At("in.png"), png);
  for (const char* layout : {"rows", "strips"}) {
    ASSERT_EQ(Tool(std::string("tzg encode in.png OVER.TZG --pos 16,5 --layout ") + layout), 0)
        << output;
    ASSERT_EQ(Tool("tzg decode OVER.TZG out.png"), 0) << output;
    EXPECT_TRUE(Said(std::string("--pos 16,5 --layout ") + layout + " --transparent 3"));
    const TestPng back = ReadPng(At("out.png"));
    EXPECT_EQ(back.pixels, png.pixels);
    EXPECT_EQ(back.colours, png.colours);
  }
  ASSERT_EQ(Tool("tzg decode OVER.TZG frame.png --frame"), 0) << output;
  const TestPng frame = ReadPng(At("frame.png"));
  ASSERT_EQ(frame.width, 640u);
  ASSERT_NE(png.pixels[2], 3);
  EXPECT_EQ(frame.pixels[5 * 640 + 18], png.pixels[2]);
  EXPECT_EQ(frame.colours[15], (PngColour{255, 255, 255, 255}));
}

TEST_F(ImageToolTest, LzssPacksAndUnpacksFiles) {
  std::vector<uint8_t> data;
  for (int i = 0; i < 20000; i++) data.push_back(static_cast<uint8_t>(i % 251 ^ (i / 97)));
  WriteFileBytes(At("data.bin"), data);
  ASSERT_EQ(Tool("lzss pack data.bin data.lz"), 0) << output;
  const std::vector<uint8_t> block = ReadFileBytes(At("data.lz"));
  EXPECT_LT(block.size(), data.size());
  ASSERT_EQ(Tool("lzss unpack data.lz back.bin"), 0) << output;
  EXPECT_EQ(ReadFileBytes(At("back.bin")), data);

  WriteFileBytes(At("cut.lz"), std::vector<uint8_t>(block.begin(), block.begin() + 100));
  EXPECT_EQ(Tool("lzss unpack cut.lz x.bin"), 1);
  EXPECT_TRUE(Said("damaged")) << output;
  WriteFileBytes(At("empty.lz"), std::string(4, '\0'));
  ASSERT_EQ(Tool("lzss unpack empty.lz empty.bin"), 0) << output;
  EXPECT_EQ(fs::file_size(At("empty.bin")), 0u);
}

}  // namespace
