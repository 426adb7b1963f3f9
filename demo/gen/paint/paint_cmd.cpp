// demogen paint: paints place and character recipes into full-colour PNGs, builds the
// character palette file from encoded sprites, and lays pictures out on contact sheets.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "demo/gen/groups.h"
#include "demo/gen/paint/paint.h"
#include "resources/tz2.h"
#include "tools/common/image_png.h"
#include "tools/common/tool.h"
#include "tools/tz2/quantise.h"

// In calendar_cmd.cpp.
int PaintCalendar(const ToolArgs& args);
// In maker_cmd.cpp.
int PaintMaker(const ToolArgs& args);
// In opening_cmd.cpp.
int PaintVignette(const ToolArgs& args);
int PaintSky(const ToolArgs& args);

namespace {

constexpr const char* kPaintUsage =
    "usage: demogen paint scene RECIPE.txt OUT.png [--moods LETTERS]\n"
    "       demogen paint figure RECIPE.txt OUT.png [--poses N,N,...]\n"
    "       demogen paint poses RECIPE.txt\n"
    "       demogen paint check scene|figure RECIPE.txt...\n"
    "       demogen paint chrpal OUT.DAT --count N C=SPRITE.TZ2...\n"
    "       demogen paint sheet OUT.png [--columns N] [--scale N] IN.png...\n"
    "       demogen paint compose OUT.png BACKGROUND.TZ2 [--group G] [--chrpal FILE]\n"
    "                               [SLOT:SPRITE.TZ2[:CHARACTER]...]\n"
    "       demogen paint icon RECIPE.txt OUT.png [--size N] [--mood LETTER]\n"
    "       demogen paint calendar CALENDAR.txt DESK.txt DIR\n"
    "       demogen paint overlay RECIPE.txt OUT.png\n"
    "       demogen paint maker RECIPE.txt OUT.TZ2\n"
    "       demogen paint event RECIPE.txt OUT.png\n"
    "       demogen paint vignette PLACE.png OUT.png --size W,H [--mat N] [--colour #rrggbb]\n"
    "       demogen paint sky SKY.png SKY.TZ2 [PLACE.png PLACE.TZ2...] --ink #rrggbb\n"
    "\n"
    "scene   paints a place recipe under each mood of LETTERS (default DENXZ: day, evening,\n"
    "        night, rain, midnight), 640 x 480; '%c' in OUT becomes the mood's letter.\n"
    "figure  paints a character recipe's pictures (default: all it defines) on a transparent\n"
    "        ground; '%02X' in OUT becomes the picture number.\n"
    "poses   prints the picture numbers a character recipe defines, in hexadecimal.\n"
    "check   parses recipes and paints them once, reporting the first bad line.\n"
    "chrpal  writes the character palette file: records C x 5 + group for characters 0..N-1,\n"
    "        each the first 48 colours of character C's sprite, lit for the five groups;\n"
    "        characters without a sprite get a grey ramp.\n"
    "sheet   lays pictures side by side, each shrunk by SCALE (default 4), for a quick look.\n"
    "compose shows a scene as the game builds it: the background, then up to two sprites in\n"
    "        slots 0..5 (colour ranges A and B), their colours taken from the character palette\n"
    "        file for background group G (D, E, N, X or Z; default D). The character number\n"
    "        comes from a sprite name C%02X..., or is given after it.\n"
    "icon    paints a place recipe (in mood N unless --mood says otherwise) and shrinks its\n"
    "        middle 480 x 480 to a SIZE x SIZE icon (default 256) with rounded corners.\n"
    "calendar writes the calendar and clock pictures into DIR as TZ2 files: the desk (a place\n"
    "        recipe) as cbak.tz2, the eight tear-off frames, month, digit and weekday pieces\n"
    "        lettered in the page colours of CALENDAR.txt, and the clock faces oc_00..oc_23.\n"
    "overlay paints an overlay recipe (claw marks, blood, lights) into a palette PNG of its\n"
    "        16 colours, ready for 'lntr3tool tzg encode'.\n"
    "maker   paints the maker's picture of the endings (a place recipe by day) as a TZ2 file:\n"
    "        its ground colour becomes the transparent 124 and entry 0, the rest 1..123.\n"
    "event   paints an event picture recipe, 640 x 480: a place under one light, framed\n"
    "        closer, with characters (recipes named relative to it) painted large. A figure\n"
    "        with 'tint=' makes a palette PNG: its own colours in entries 0..209, that outfit\n"
    "        colour in 210..216 (the colours V pictures 128..134 take from the engine).\n"
    "vignette cuts the middle W x H of a painted place into a paper mat N pixels wide (default\n"
    "        10) with rounded corners, transparent outside them: an opening picture.\n"
    "sky     writes the opening's sky and the places shown with it in one palette: 0 the\n"
    "        name's ink, 1 white, 2..44 the sky's colours from the brightest down (the sky's\n"
    "        pixels use 1..44 only), then 79 colours the places share.\n";

// Replaces the first `token` of `pattern` with `value`.
std::string Substitute(std::string pattern, const std::string& token, const std::string& value) {
  const size_t at = pattern.find(token);
  if (at != std::string::npos) pattern.replace(at, token.size(), value);
  return pattern;
}

bool LoadRecipe(const std::string& path, std::span<const PaintCommandSpec> specs,
                PaintRecipe& recipe, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ToolReadBytes(path, bytes)) {
    error = "cannot read " + path;
    return false;
  }
  const std::string text(bytes.begin(), bytes.end());
  if (!PaintRecipeParse(text, specs, recipe, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

bool WriteCanvas(const std::string& path, const PaintCanvas& canvas, bool sprite,
                 std::string& error) {
  PngRgba image;
  image.width = static_cast<uint32_t>(canvas.width);
  image.height = static_cast<uint32_t>(canvas.height);
  image.rgba = PaintCanvasRgba8(canvas, sprite ? 0.5f : 0);
  if (!sprite) {
    for (size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = 255;
  }
  return PngWriteRgba(path, image, error, true);
}

// paint scene: a place recipe under each mood asked for.
int PaintScenes(const ToolArgs& args) {
  const std::vector<std::string>& files = args.operands;
  const std::string moods = args.Has("--moods") ? *args.Value("--moods") : kPaintMoodLetters;
  if (moods.empty()) return ToolUsageError(args, "--moods wants letters of DENXZ");
  PaintRecipe recipe;
  std::string error;
  if (!LoadRecipe(files[0], PaintSceneSpecs(), recipe, error)) return ToolFail(error);
  for (char letter : moods) {
    PaintMood mood;
    if (!PaintMoodFromLetter(letter, mood))
      return ToolFail(std::string("no mood '") + letter + "'; moods are DENXZ");
    PaintCanvas canvas;
    if (!PaintScene(recipe, mood, canvas, error)) return ToolFail(files[0] + ": " + error);
    const std::string out = Substitute(files[1], "%c", std::string(1, letter));
    if (!WriteCanvas(out, canvas, false, error)) return ToolFail(error);
  }
  return 0;
}

// "1,2,0x81" as numbers; false on anything else.
bool ParsePoseList(const std::string& text, std::vector<int>& poses) {
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = text.find(',', start);
    const std::string item =
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    char* end = nullptr;
    const long v = std::strtol(item.c_str(), &end, 0);
    if (item.empty() || *end || v < 0 || v > 255) return false;
    poses.push_back(static_cast<int>(v));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return !poses.empty();
}

// paint figure: a character recipe's pictures.
int PaintFigures(const ToolArgs& args) {
  const std::vector<std::string>& files = args.operands;
  std::vector<int> poses;
  if (args.Has("--poses") && !ParsePoseList(*args.Value("--poses"), poses)) {
    return ToolUsageError(args, "--poses wants numbers 0..255, comma separated");
  }
  PaintRecipe recipe;
  std::string error;
  if (!LoadRecipe(files[0], PaintFigureSpecs(), recipe, error)) return ToolFail(error);
  if (poses.empty()) poses = PaintFigurePoses(recipe);
  for (int pose : poses) {
    PaintCanvas canvas;
    if (!PaintFigure(recipe, pose, canvas, error)) return ToolFail(files[0] + ": " + error);
    char number[8];
    std::snprintf(number, sizeof number, "%02X", pose);
    if (!WriteCanvas(Substitute(files[1], "%02X", number), canvas, true, error))
      return ToolFail(error);
  }
  return 0;
}

// paint poses: the picture numbers of a character recipe.
int PrintPoses(const ToolArgs& args) {
  PaintRecipe recipe;
  std::string error;
  if (!LoadRecipe(args.operands[0], PaintFigureSpecs(), recipe, error)) return ToolFail(error);
  for (int pose : PaintFigurePoses(recipe)) std::printf("%02X\n", pose);
  return 0;
}

// paint check: parses and paints recipes, writing nothing.
int CheckRecipes(const ToolArgs& args) {
  const std::string& kind = args.operands[0];
  const bool scene = kind == "scene";
  if (!scene && kind != "figure") return ToolUsageError(args, "check scene|figure RECIPE...");
  for (size_t i = 1; i < args.operands.size(); i++) {
    const std::string& path = args.operands[i];
    PaintRecipe recipe;
    std::string error;
    if (!LoadRecipe(path, scene ? PaintSceneSpecs() : PaintFigureSpecs(), recipe, error)) {
      return ToolFail(error);
    }
    PaintCanvas canvas;
    if (scene) {
      for (int m = 0; m < kPaintMoods; m++) {
        if (!PaintScene(recipe, static_cast<PaintMood>(m), canvas, error))
          return ToolFail(path + ": " + error);
      }
    } else {
      for (int pose : PaintFigurePoses(recipe)) {
        if (!PaintFigure(recipe, pose, canvas, error)) return ToolFail(path + ": " + error);
      }
    }
  }
  return 0;
}

// paint chrpal: the character palette file from each character's first sprite.
int WriteCharacterPalettes(const ToolArgs& args) {
  const std::string& out = args.operands[0];
  int32_t count = 0;
  if (!args.Has("--count") || !ToolOptionNumber(args, "--count", 1, 256, count)) {
    return ToolUsageError(args, "--count wants the number of characters, 1..256");
  }
  std::vector<std::pair<int, std::string>> sprites;
  for (size_t i = 1; i < args.operands.size(); i++) {
    const std::string& item = args.operands[i];
    const size_t eq = item.find('=');
    int32_t c = 0;
    if (eq == std::string::npos || !ToolParseNumber(item.substr(0, eq).c_str(), 0, 255, c)) {
      return ToolUsageError(args, "'" + item + "' is not CHARACTER=SPRITE.TZ2");
    }
    sprites.emplace_back(c, item.substr(eq + 1));
  }
  constexpr int kColours = 48, kRecord = kColours * 3;
  // Characters without a sprite: a grey ramp, so a stray code still shows something.
  std::vector<uint8_t> file(static_cast<size_t>(count) * kPaintMoods * kRecord);
  for (size_t r = 0; r < file.size() / kRecord; r++) {
    for (int i = 0; i < kColours; i++) {
      const uint8_t v = static_cast<uint8_t>((i * 255 + 23) / 47);
      std::fill_n(&file[r * kRecord + i * 3], 3, v);
    }
  }
  for (const auto& [character, path] : sprites) {
    if (character >= count)
      return ToolFail("character " + std::to_string(character) + " is beyond --count");
    std::vector<uint8_t> bytes;
    if (!ToolReadBytes(path, bytes)) return ToolFail("cannot read " + path);
    Tz2Header h;
    if (!Tz2ParseHeader(bytes, h) || std::memcmp(h.magic, kTz2Magic, sizeof kTz2Magic) ||
        bytes.size() < kTz2HeaderSize + 3u * h.colourCount) {
      return ToolFail(path + ": not a TZ2 picture");
    }
    for (int g = 0; g < kPaintMoods; g++) {
      uint8_t* record = &file[(static_cast<size_t>(character) * kPaintMoods + g) * kRecord];
      for (int i = 0; i < std::min<int>(kColours, h.colourCount); i++) {
        const uint8_t* bgr = &bytes[kTz2HeaderSize + 3 * i];
        const PaintRgb lit = PaintCharacterLight(
            static_cast<PaintMood>(g), {bgr[2] / 255.0f, bgr[1] / 255.0f, bgr[0] / 255.0f});
        record[3 * i] = static_cast<uint8_t>(lit.b * 255 + 0.5f);
        record[3 * i + 1] = static_cast<uint8_t>(lit.g * 255 + 0.5f);
        record[3 * i + 2] = static_cast<uint8_t>(lit.r * 255 + 0.5f);
      }
    }
  }
  if (!ToolWriteBytes(out, file)) return ToolFail("cannot write " + out);
  return 0;
}

// paint sheet: pictures shrunk and laid out on a grid over a checker.
int ContactSheet(const ToolArgs& args) {
  const std::vector<std::string>& files = args.operands;
  int32_t columns = 4, scale = 4;
  if (!ToolOptionNumber(args, "--columns", 1, 64, columns) ||
      !ToolOptionNumber(args, "--scale", 1, 64, scale)) {
    return ToolUsageError(args, "--columns and --scale want 1..64");
  }
  std::vector<PngRgba> images(files.size() - 1);
  uint32_t cellW = 1, cellH = 1;
  std::string error;
  for (size_t i = 1; i < files.size(); i++) {
    if (!PngReadRgba(files[i], images[i - 1], error)) return ToolFail(error);
    cellW = std::max(cellW, images[i - 1].width / scale);
    cellH = std::max(cellH, images[i - 1].height / scale);
  }
  const uint32_t cols = static_cast<uint32_t>(std::min<size_t>(columns, images.size()));
  const uint32_t rows = static_cast<uint32_t>((images.size() + cols - 1) / cols);
  PngRgba sheet;
  sheet.width = cols * (cellW + 4);
  sheet.height = rows * (cellH + 4);
  sheet.rgba.assign(static_cast<size_t>(sheet.width) * sheet.height * 4, 255);
  for (uint32_t y = 0; y < sheet.height; y++) {
    for (uint32_t x = 0; x < sheet.width; x++) {
      const uint8_t v = ((x / 8) + (y / 8)) % 2 ? 150 : 110;  // a checker shows transparency
      std::fill_n(&sheet.rgba[(static_cast<size_t>(y) * sheet.width + x) * 4], 3, v);
    }
  }
  for (size_t n = 0; n < images.size(); n++) {
    const PngRgba& img = images[n];
    const uint32_t ox = static_cast<uint32_t>(n % cols) * (cellW + 4) + 2,
                   oy = static_cast<uint32_t>(n / cols) * (cellH + 4) + 2;
    for (uint32_t y = 0; y < img.height / scale; y++) {
      for (uint32_t x = 0; x < img.width / scale; x++) {
        uint32_t sum[4] = {};
        for (int dy = 0; dy < scale; dy++) {
          for (int dx = 0; dx < scale; dx++) {
            const uint8_t* p =
                &img.rgba[((static_cast<size_t>(y) * scale + dy) * img.width + x * scale + dx) * 4];
            for (int k = 0; k < 3; k++) sum[k] += p[k] * p[3];
            sum[3] += p[3];
          }
        }
        if (sum[3] == 0) continue;
        uint8_t* d = &sheet.rgba[(static_cast<size_t>(oy + y) * sheet.width + ox + x) * 4];
        const float a = static_cast<float>(sum[3]) / (255.0f * scale * scale);
        for (int k = 0; k < 3; k++)
          d[k] = static_cast<uint8_t>(sum[k] / static_cast<float>(sum[3]) * a + d[k] * (1 - a));
      }
    }
  }
  if (!PngWriteRgba(files[0], sheet, error)) return ToolFail(error);
  return 0;
}

// paint icon: the middle square of a place, shrunk to SIZE pixels by averaging, with rounded
// corners: the game's icon on the desktop.
int PaintIcon(const ToolArgs& args) {
  int32_t size = 256;
  if (!ToolOptionNumber(args, "--size", 16, 480, size)) {
    return ToolUsageError(args, "--size wants 16..480");
  }
  const char letter = args.Has("--mood") ? (*args.Value("--mood"))[0] : 'N';
  PaintMood mood;
  if (!PaintMoodFromLetter(letter, mood))
    return ToolUsageError(args, "--mood wants D, E, N, X or Z");
  PaintRecipe recipe;
  PaintCanvas canvas;
  std::string error;
  if (!LoadRecipe(args.operands[0], PaintSceneSpecs(), recipe, error)) return ToolFail(error);
  if (!PaintScene(recipe, mood, canvas, error)) return ToolFail(args.operands[0] + ": " + error);
  const std::vector<uint8_t> rgba = PaintCanvasRgba8(canvas, 0);
  constexpr int kSide = 480, kLeft = (640 - kSide) / 2;
  PngRgba icon;
  icon.width = icon.height = static_cast<uint32_t>(size);
  icon.rgba.resize(static_cast<size_t>(size) * size * 4);
  const float radius = size / 6.0f;
  for (int oy = 0; oy < size; oy++) {
    for (int ox = 0; ox < size; ox++) {
      const int x0 = ox * kSide / size, x1 = (ox + 1) * kSide / size;
      const int y0 = oy * kSide / size, y1 = (oy + 1) * kSide / size;
      uint32_t sum[3] = {};
      for (int y = y0; y < y1; y++) {
        for (int x = x0; x < x1; x++) {
          const uint8_t* p = &rgba[(static_cast<size_t>(y) * 640 + kLeft + x) * 4];
          for (int k = 0; k < 3; k++) sum[k] += p[k];
        }
      }
      uint8_t* d = &icon.rgba[(static_cast<size_t>(oy) * size + ox) * 4];
      const uint32_t count = static_cast<uint32_t>((x1 - x0) * (y1 - y0));
      for (int k = 0; k < 3; k++) d[k] = static_cast<uint8_t>((sum[k] + count / 2) / count);
      // Outside the rounded corners the icon is transparent, with a pixel of soft edge.
      const float cx = std::clamp(ox + 0.5f, radius, size - radius);
      const float cy = std::clamp(oy + 0.5f, radius, size - radius);
      const float outside = std::hypot(ox + 0.5f - cx, oy + 0.5f - cy) - radius;
      d[3] = static_cast<uint8_t>(255 * std::clamp(0.5f - outside, 0.0f, 1.0f));
    }
  }
  if (!PngWriteRgba(args.operands[1], icon, error)) return ToolFail(error);
  return 0;
}

// Draws one picture file into a bottom-up 640 x 480 frame; false, with `error`, when refused.
bool ComposeDraw(const std::string& path, std::vector<uint8_t>& frame, PalEntry* palette, int x,
                 uint32_t offset, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ToolReadBytes(path, bytes)) {
    error = "cannot read " + path;
    return false;
  }
  const PicError result = Tz2DecodeQuiet(frame, std::span<PalEntry>(palette, kPaletteSize), bytes,
                                         640, 480, static_cast<int16_t>(x), 0, -1, offset, true);
  if (result != PicError::None) {
    error = path + ": not a picture the game can draw";
    return false;
  }
  return true;
}

// paint compose: a background and sprites put together as the game does.
int Compose(const ToolArgs& args) {
  const std::vector<std::string>& files = args.operands;
  const char group = args.Has("--group") ? (*args.Value("--group"))[0] : 'D';
  const std::string chrpal = args.Has("--chrpal") ? *args.Value("--chrpal") : std::string();
  PaintMood mood;
  if (!PaintMoodFromLetter(group, mood))
    return ToolUsageError(args, "--group wants D, E, N, X or Z");
  std::vector<uint8_t> frame(640 * 480, 0);
  PalEntry palette[kPaletteSize] = {};
  std::string error;
  if (!ComposeDraw(files[1], frame, palette, 0, 0, error)) return ToolFail(error);
  std::vector<uint8_t> records;
  if (!chrpal.empty() && !ToolReadBytes(chrpal, records)) return ToolFail("cannot read " + chrpal);
  constexpr int kSlotX[] = {0, 320, 160};
  for (size_t i = 2; i < files.size(); i++) {
    // SLOT:SPRITE[:CHARACTER]
    const std::string& item = files[i];
    const size_t colon = item.find(':');
    if (colon == std::string::npos || colon == 0)
      return ToolFail("'" + item + "' is not SLOT:SPRITE.TZ2");
    const int slot = std::atoi(item.substr(0, colon).c_str());
    std::string sprite = item.substr(colon + 1);
    int character = -1;
    const size_t second = sprite.rfind(':');
    if (second != std::string::npos) {
      character = std::atoi(sprite.substr(second + 1).c_str());
      sprite.resize(second);
    } else {
      const size_t slash = sprite.find_last_of('/');
      const std::string base = sprite.substr(slash == std::string::npos ? 0 : slash + 1);
      if (base.size() >= 5 && (base[0] == 'C' || base[0] == 'c'))
        character = static_cast<int>(std::strtol(base.substr(1, 2).c_str(), nullptr, 16));
    }
    if (slot < 0 || slot > 5 || character < 0)
      return ToolFail("'" + item + "': slot 0..5 and a character number are needed");
    std::vector<uint8_t> bytes;
    Tz2Header h;
    if (!ToolReadBytes(sprite, bytes) || !Tz2ParseHeader(bytes, h))
      return ToolFail("cannot read " + sprite);
    // As the game does: a sprite that would pass the right edge is moved back inside.
    int x = kSlotX[slot % 3];
    if (x + h.x + h.width > 640) x = 640 - h.x - h.width;
    const uint32_t offset = i == 2 ? 124 : 172;
    if (!ComposeDraw(sprite, frame, palette, x, offset, error)) return ToolFail(error);
    const size_t record =
        (static_cast<size_t>(character) * kPaintMoods + static_cast<size_t>(mood)) * 144;
    if (record + 144 <= records.size()) {
      for (int k = 0; k < 48; k++) {
        PalEntry& e = palette[offset + k];
        e.blue = records[record + 3 * k];
        e.green = records[record + 3 * k + 1];
        e.red = records[record + 3 * k + 2];
      }
    }
  }
  PngRgba image;
  image.width = 640;
  image.height = 480;
  image.rgba.resize(640 * 480 * 4);
  for (int y = 0; y < 480; y++) {
    for (int x = 0; x < 640; x++) {
      const PalEntry& e = palette[frame[static_cast<size_t>(479 - y) * 640 + x] % kPaletteSize];
      uint8_t* p = &image.rgba[(static_cast<size_t>(y) * 640 + x) * 4];
      p[0] = e.red;
      p[1] = e.green;
      p[2] = e.blue;
      p[3] = 255;
    }
  }
  if (!PngWriteRgba(files[0], image, error)) return ToolFail(error);
  return 0;
}

// paint overlay: an overlay recipe as a palette PNG of its colours.
int PaintOverlays(const ToolArgs& args) {
  const std::vector<std::string>& files = args.operands;
  PaintRecipe recipe;
  std::string error;
  if (!LoadRecipe(files[0], PaintOverlaySpecs(), recipe, error)) return ToolFail(error);
  PaintOverlayPicture picture;
  if (!PaintOverlay(recipe, picture, error)) return ToolFail(files[0] + ": " + error);
  PngIndexed image;
  image.width = static_cast<uint32_t>(picture.width);
  image.height = static_cast<uint32_t>(picture.height);
  image.pixels = picture.pixels;
  auto byte = [](float v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
  };
  for (int i = 0; i < picture.colours; i++) {
    const PaintRgb& c = picture.palette[static_cast<size_t>(i)];
    image.palette.push_back(PalEntry{byte(c.r), byte(c.g), byte(c.b), 0});
  }
  if (!PngWriteIndexed(files[1], image, error)) return ToolFail(error);
  return 0;
}

// A tinted event picture (V pictures 128..134 share one) keeps its own colours in entries
// 0..209; the engine gives entries 210..216 the colours of the number shown. The picture is
// made with those of 128, a grey ramp, 216 its darkest (the ink).
constexpr int kTintFirst = 210, kTintColours = 7;
constexpr PalEntry kTintRamp[kTintColours] = {
    {150, 146, 142, 0}, {174, 174, 174, 0}, {203, 201, 202, 0}, {215, 218, 211, 0},
    {239, 239, 231, 0}, {255, 255, 255, 0}, {138, 113, 101, 0}};

int Luma(int r, int g, int b) {
  return (30 * r + 59 * g + 11 * b + 50) / 100;
}

// Writes a tinted event picture as a palette PNG: the untinted pixels reduced to entries
// 0..209, each tinted pixel the entry of the ramp nearest its brightness.
bool WriteTinted(const std::string& path, const PaintCanvas& canvas, const std::vector<float>& tint,
                 std::string& error) {
  const std::vector<uint8_t> rgba = PaintCanvasRgba8(canvas, 0);
  const QuantPicture picture{static_cast<uint32_t>(canvas.width),
                             static_cast<uint32_t>(canvas.height), rgba};
  QuantResult reduced;
  if (!QuantReduce({&picture, 1}, kTintFirst, 1, reduced, error)) return false;
  PngIndexed image;
  image.width = picture.width;
  image.height = picture.height;
  image.palette = reduced.palette;
  image.palette.resize(kTintFirst);
  image.palette.insert(image.palette.end(), std::begin(kTintRamp), std::end(kTintRamp));
  image.pixels = std::move(reduced.pixels[0]);
  for (size_t i = 0; i < image.pixels.size(); i++) {
    if (tint[i] < 0.5f) continue;
    const int y = Luma(rgba[i * 4], rgba[i * 4 + 1], rgba[i * 4 + 2]);
    int best = 0;
    for (int k = 1; k < kTintColours; k++) {
      const PalEntry& a = kTintRamp[k];
      const PalEntry& b = kTintRamp[best];
      if (std::abs(Luma(a.red, a.green, a.blue) - y) < std::abs(Luma(b.red, b.green, b.blue) - y))
        best = k;
    }
    image.pixels[i] = static_cast<uint8_t>(kTintFirst + best);
  }
  return PngWriteIndexed(path, image, error);
}

// paint event: an event picture recipe; a palette PNG when a figure is tinted.
int PaintEventPicture(const ToolArgs& args) {
  const std::vector<std::string>& files = args.operands;
  PaintRecipe recipe;
  std::string error;
  if (!LoadRecipe(files[0], PaintEventSpecs(), recipe, error)) return ToolFail(error);
  const size_t slash = files[0].find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : files[0].substr(0, slash);
  PaintCanvas canvas;
  std::vector<float> tint;
  if (!PaintEvent(recipe, folder, canvas, tint, error)) return ToolFail(files[0] + ": " + error);
  const bool tinted = std::any_of(tint.begin(), tint.end(), [](float t) { return t >= 0.5f; });
  if (!(tinted ? WriteTinted(files[1], canvas, tint, error)
               : WriteCanvas(files[1], canvas, false, error)))
    return ToolFail(error);
  return 0;
}

constexpr ToolOption kSceneOptions[] = {{"--moods", true}};
constexpr ToolOption kFigureOptions[] = {{"--poses", true}};
constexpr ToolOption kChrpalOptions[] = {{"--count", true}};
constexpr ToolOption kSheetOptions[] = {{"--columns", true}, {"--scale", true}};
constexpr ToolOption kComposeOptions[] = {{"--group", true}, {"--chrpal", true}};
constexpr ToolOption kIconOptions[] = {{"--size", true}, {"--mood", true}};
constexpr ToolOption kVignetteOptions[] = {{"--size", true}, {"--mat", true}, {"--colour", true}};
constexpr ToolOption kSkyOptions[] = {{"--ink", true}};

const ToolSubcommand kPaintCommands[] = {
    {"scene", PaintScenes, nullptr, kSceneOptions, 2, 2},
    {"figure", PaintFigures, nullptr, kFigureOptions, 2, 2},
    {"poses", PrintPoses, nullptr, {}, 1, 1},
    {"check", CheckRecipes, nullptr, {}, 2},
    {"chrpal", WriteCharacterPalettes, nullptr, kChrpalOptions, 1},
    {"sheet", ContactSheet, nullptr, kSheetOptions, 2},
    {"compose", Compose, nullptr, kComposeOptions, 2, 4},
    {"icon", PaintIcon, nullptr, kIconOptions, 2, 2},
    {"calendar", PaintCalendar, nullptr, {}, 3, 3},
    {"overlay", PaintOverlays, nullptr, {}, 2, 2},
    {"maker", PaintMaker, nullptr, {}, 2, 2},
    {"event", PaintEventPicture, nullptr, {}, 2, 2},
    {"vignette", PaintVignette, nullptr, kVignetteOptions, 2, 2},
    {"sky", PaintSky, nullptr, kSkyOptions, 2},
};

}  // namespace

const ToolGroup kPaintGroup = {"paint", "paint the demo's places and characters from recipes",
                               kPaintUsage, kPaintCommands};
