// demogen paint as the demo build runs it: places and figures written as PNGs, pose lists, recipe
// checks, the character palette file built from sprites, and scenes composed as the game does.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/test_data.h"

namespace {

namespace fs = std::filesystem;

const std::string kTool = kGenBinary;

struct Rgba {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> px;
  const uint8_t* At(uint32_t x, uint32_t y) const {
    return &px[(static_cast<size_t>(y) * width + x) * 4];
  }
};

Rgba ReadPng(const fs::path& path) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  Rgba out;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    ADD_FAILURE() << path << ": " << image.message;
    return out;
  }
  image.format = PNG_FORMAT_RGBA;
  out.width = image.width;
  out.height = image.height;
  out.px.resize(PNG_IMAGE_SIZE(image));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, out.px.data(), 0, nullptr)) << path;
  return out;
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PaintTool : public ::testing::Test {
 public:
  // Writes a recipe file and answers its path.
  std::string Recipe(const std::string& name, const std::string& text) {
    const fs::path path = dir.path / name;
    std::ofstream(path) << text;
    return path.string();
  }
  int Run(const std::string& args) { return RunCommand(kTool + " paint " + args, output); }
  std::string Path(const std::string& name) const { return (dir.path / name).string(); }

  TempDir dir;
  std::string output;
};

constexpr const char* kPlace =
    "light outdoor\nsky horizon=300 clouds=2\nsun 500 80\nmoon 100 80\n"
    "rect 0 300 640 480 #7aa858\ntree 320 400 150\n";

constexpr const char* kCharacter =
    "# a test girl\nfigure width=200 height=400 top=-40\nhair #303030 style=bob\n"
    "outfit tee top=#ff0000 bottom=#0000ff accent=#ffffff trim=#ff0000\n"
    "pose 1 smile\npose 0x0A angry body=hips\n";

TEST_F(PaintTool, PlacesUnderEveryMood) {
  const std::string recipe = Recipe("place.txt", kPlace);
  ASSERT_EQ(Run("scene " + recipe + " " + Path("s-%c.png")), 0) << output;
  for (const char m : std::string("DENXZ")) {
    const Rgba image = ReadPng(dir.path / (std::string("s-") + m + ".png"));
    EXPECT_EQ(image.width, 640u);
    EXPECT_EQ(image.height, 480u);
    EXPECT_EQ(image.At(10, 10)[3], 255);
  }
  // Day sky above night sky.
  const Rgba day = ReadPng(dir.path / "s-D.png"), night = ReadPng(dir.path / "s-N.png");
  EXPECT_GT(day.At(320, 20)[2], night.At(320, 20)[2] + 80);
}

TEST_F(PaintTool, ChosenMoodsOnly) {
  const std::string recipe = Recipe("place.txt", kPlace);
  ASSERT_EQ(Run("scene " + recipe + " " + Path("s-%c.png") + " --moods NE"), 0) << output;
  EXPECT_TRUE(fs::exists(dir.path / "s-N.png"));
  EXPECT_TRUE(fs::exists(dir.path / "s-E.png"));
  EXPECT_FALSE(fs::exists(dir.path / "s-D.png"));
  EXPECT_EQ(Run("scene " + recipe + " " + Path("s-%c.png") + " --moods Q"), 1);
  EXPECT_NE(output.find("no mood 'Q'"), std::string::npos) << output;
}

TEST_F(PaintTool, RecipeErrorsNameFileAndLine) {
  const std::string recipe = Recipe("bad.txt", "light outdoor\n\nsky horizon=high\n");
  EXPECT_EQ(Run("scene " + recipe + " " + Path("x%c.png")), 1);
  EXPECT_NE(output.find("bad.txt: line 3: sky: 'horizon' wants a number, got 'high'"),
            std::string::npos)
      << output;
  const std::string later = Recipe("later.txt", "light outdoor\ncherry 1 2 3 stage=autumn\n");
  EXPECT_EQ(Run("check scene " + later), 1);
  EXPECT_NE(output.find("later.txt: line 2: cherry"), std::string::npos) << output;
  EXPECT_EQ(Run("check scene " + Recipe("good.txt", kPlace)), 0) << output;
  EXPECT_EQ(Run("check figure " + Recipe("girl.txt", kCharacter)), 0) << output;
  EXPECT_EQ(Run("scene " + Path("missing.txt") + " x.png"), 1);
  EXPECT_EQ(Run("paint"), 2);
}

TEST_F(PaintTool, FiguresAndTheirPoses) {
  const std::string recipe = Recipe("girl.txt", kCharacter);
  ASSERT_EQ(Run("poses " + recipe), 0);
  EXPECT_EQ(output, "01\n0A\n");
  ASSERT_EQ(Run("figure " + recipe + " " + Path("g-%02X.png")), 0) << output;
  const Rgba a = ReadPng(dir.path / "g-01.png");
  ASSERT_TRUE(fs::exists(dir.path / "g-0A.png"));
  EXPECT_EQ(a.width, 200u);
  EXPECT_EQ(a.height, 400u);
  // Sprites are cut clean: every pixel fully opaque or fully transparent.
  int opaque = 0;
  for (size_t i = 3; i < a.px.size(); i += 4) {
    ASSERT_TRUE(a.px[i] == 0 || a.px[i] == 255) << "pixel " << i / 4;
    opaque += a.px[i] == 255;
  }
  EXPECT_GT(opaque, 200 * 400 / 4);
  EXPECT_EQ(a.At(0, 0)[3], 0);
  ASSERT_EQ(Run("figure " + recipe + " " + Path("only-%02X.png") + " --poses 0x0a"), 0) << output;
  EXPECT_TRUE(fs::exists(dir.path / "only-0A.png"));
  EXPECT_FALSE(fs::exists(dir.path / "only-01.png"));
  EXPECT_EQ(Run("figure " + recipe + " " + Path("x-%02X.png") + " --poses 2"), 1);
  EXPECT_NE(output.find("no picture 2"), std::string::npos) << output;
}

// Paints the test girl and encodes her two pictures for range A; answers the first sprite.
std::string MakeSprites(PaintTool& t, const std::string& recipe, std::string& output) {
  EXPECT_EQ(RunCommand(kTool + " paint figure " + recipe + " " + t.Path("g-%02X.png"), output), 0)
      << output;
  EXPECT_EQ(RunCommand(kToolBinary + " tz2 encode " + t.Path("g-01.png") + " " +
                           t.Path("C0901.TZ2") + " " + t.Path("g-0A.png") + " " +
                           t.Path("C090A.TZ2") + " --colors 48 --first-index 124",
                       output),
            0)
      << output;
  return t.Path("C0901.TZ2");
}

TEST_F(PaintTool, CharacterPaletteFile) {
  const std::string sprite = MakeSprites(*this, Recipe("girl.txt", kCharacter), output);
  ASSERT_EQ(Run("chrpal " + Path("CHR_PAL.DAT") + " --count 12 9=" + sprite + " 0=" + sprite), 0)
      << output;
  const std::vector<uint8_t> file = ReadBytes(dir.path / "CHR_PAL.DAT");
  ASSERT_EQ(file.size(), 12u * 5 * 144);
  const std::vector<uint8_t> tz2 = ReadBytes(sprite);
  const size_t day = 9 * 5 * 144;
  const uint16_t colours = static_cast<uint16_t>(tz2[22] | tz2[23] << 8);
  ASSERT_GT(colours, 8);
  // The day record is the sprite's own palette, blue, green, red as in the file.
  EXPECT_TRUE(std::equal(tz2.begin() + 24, tz2.begin() + 24 + 3 * colours, file.begin() + day));
  EXPECT_TRUE(
      std::equal(file.begin() + day, file.begin() + day + 5 * 144, file.begin()));  // character 0
  // Night (group 2) darkens; an unlisted character gets a grey ramp from black to white.
  EXPECT_NE(file[day + 2 * 144 + 5], file[day + 5]);
  const size_t grey = 4 * 5 * 144;
  EXPECT_EQ(file[grey], 0);
  EXPECT_EQ(file[grey + 47 * 3], 255);
  EXPECT_EQ(file[grey + 47 * 3 + 1], 255);
  EXPECT_EQ(Run("chrpal " + Path("X.DAT") + " --count 5 9=" + sprite), 1);
  EXPECT_NE(output.find("beyond --count"), std::string::npos) << output;
  EXPECT_EQ(Run("chrpal " + Path("X.DAT") + " --count 12 3=" + Path("none.TZ2")), 1);
}

TEST_F(PaintTool, ComposedAsTheGameDoes) {
  const std::string sprite = MakeSprites(*this, Recipe("girl.txt", kCharacter), output);
  ASSERT_EQ(Run("scene " + Recipe("place.txt", kPlace) + " " + Path("bg-%c.png") + " --moods DN"),
            0);
  ASSERT_EQ(RunCommand(kToolBinary + " tz2 encode " + Path("bg-N.png") + " " + Path("S01N.TZ2") +
                           " --colors 124",
                       output),
            0)
      << output;
  ASSERT_EQ(Run("chrpal " + Path("CHR_PAL.DAT") + " --count 12 9=" + sprite), 0) << output;
  ASSERT_EQ(Run("compose " + Path("plain.png") + " " + Path("S01N.TZ2")), 0) << output;
  ASSERT_EQ(Run("compose " + Path("day.png") + " " + Path("S01N.TZ2") + " 1:" + sprite), 0)
      << output;
  ASSERT_EQ(Run("compose " + Path("night.png") + " " + Path("S01N.TZ2") + " --group N --chrpal " +
                Path("CHR_PAL.DAT") + " 1:" + sprite),
            0)
      << output;
  const Rgba plain = ReadPng(dir.path / "plain.png"), day = ReadPng(dir.path / "day.png"),
             night = ReadPng(dir.path / "night.png");
  // Slot 1 stands at x 320; the corner of the sprite is transparent, its middle is the face.
  EXPECT_EQ(std::memcmp(day.At(322, 2), plain.At(322, 2), 3), 0);
  EXPECT_NE(std::memcmp(day.At(420, 150), plain.At(420, 150), 3), 0);
  // The night record darkens the face.
  EXPECT_LT(night.At(420, 150)[0], day.At(420, 150)[0]);
  EXPECT_EQ(Run("compose " + Path("x.png") + " " + Path("S01N.TZ2") + " 7:" + sprite), 1);
}

TEST_F(PaintTool, ContactSheet) {
  ASSERT_EQ(Run("scene " + Recipe("place.txt", kPlace) + " " + Path("s-%c.png") + " --moods DEN"),
            0);
  ASSERT_EQ(Run("sheet " + Path("sheet.png") + " --columns 2 --scale 4 " + Path("s-D.png") + " " +
                Path("s-E.png") + " " + Path("s-N.png")),
            0)
      << output;
  const Rgba sheet = ReadPng(dir.path / "sheet.png");
  EXPECT_EQ(sheet.width, 2u * (160 + 4));
  EXPECT_EQ(sheet.height, 2u * (120 + 4));
}

}  // namespace
