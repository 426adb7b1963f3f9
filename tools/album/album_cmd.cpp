// lntr3tool album: lists what an album file holds, through the engine's own seal.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "screens/album.h"
#include "screens/game_menu.h"
#include "tools/common/tool.h"
#include "tools/groups.h"

namespace {

constexpr const char* kAlbumUsage =
    "usage: lntr3tool album info FILE\n"
    "\n"
    "The album (LNTR3.ALB, beside the save files) holds up to 256 scenes the player kept,\n"
    "sealed like a save file.\n"
    "  info    prints the number of kept scenes, whether their date is shown, and for each\n"
    "          scene its background or event picture, weather, colour filter, day and weekday\n"
    "          and characters; a damaged file is refused\n";

constexpr const char* kWeekdays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

std::string Picture(const AlbumEntry& entry) {
  char text[48];
  if (entry.bg != 255) {
    std::snprintf(text, sizeof text, "background %d", entry.bg);
  } else if (entry.vCg != 255) {
    std::snprintf(text, sizeof text, "V picture 0x%02X", entry.vCg);
  } else if (entry.hCg != 255) {
    std::snprintf(text, sizeof text, "H picture 0x%02X", entry.hCg);
  } else {
    std::snprintf(text, sizeof text, "no picture");
  }
  return text;
}

std::string Day(const AlbumEntry& entry) {
  static constexpr const char* kMonths[] = {"March", "April", "May"};
  int month, day;
  char text[48];
  if (MenuDate(entry.day, month, day)) {
    std::snprintf(text, sizeof text, "day %d (%s %d), weekday %d", entry.day, kMonths[month - 3],
                  day, entry.weekday);
  } else {
    std::snprintf(text, sizeof text, "day %d (no date), weekday %d", entry.day, entry.weekday);
  }
  std::string result = text;
  if (entry.weekday < 7) result += std::string(" (") + kWeekdays[entry.weekday] + ")";
  return result;
}

std::string Characters(const AlbumEntry& entry) {
  std::string text;
  for (int slot = 0; slot < 6; slot++) {
    if (entry.code[slot] == 0xFFFF) continue;
    char one[48];
    std::snprintf(one, sizeof one, "%sslot %d 0x%04X (order %d)", text.empty() ? "" : ", ", slot,
                  entry.code[slot], entry.order[slot]);
    text += one;
  }
  return text.empty() ? "none" : text;
}

int Info(const ToolArgs& args) {
  const std::string& path = args.operands[0];
  std::vector<uint8_t> bytes;
  if (!ToolReadBytes(path, bytes)) return ToolFail("cannot read " + path);
  if (bytes.size() != kAlbumFileSize) {
    return ToolFail(path + ": not an album: " + std::to_string(bytes.size()) +
                    " bytes, an album holds " + std::to_string(kAlbumFileSize));
  }
  if (!AlbumUnseal(bytes.data())) {
    return ToolFail(path + ": a damaged album: the checksum does not hold or the count is past " +
                    std::to_string(kAlbumScenes) + " (the game takes it for empty)");
  }
  AlbumFile album;
  std::memcpy(&album, bytes.data(), kAlbumFileSize);
  std::printf("%s: album of %u kept scene%s (%zu bytes, checksum holds)\n", path.c_str(),
              album.count, album.count == 1 ? "" : "s", kAlbumFileSize);
  std::printf("  captions: %s (switch = %d)\n", album.captionOff ? "off" : "on", album.captionOff);
  for (uint32_t i = 0; i < album.count; i++) {
    const AlbumEntry& entry = album.entries[i];
    std::printf("  %3u: %s, weather %d, filter %d, %s\n       characters: %s\n", i + 1,
                Picture(entry).c_str(), entry.weather, entry.filter, Day(entry).c_str(),
                Characters(entry).c_str());
  }
  return kToolOk;
}

const ToolSubcommand kAlbumCommands[] = {
    {"info", Info, nullptr, {}, 1, 1},
};

}  // namespace

const ToolGroup kAlbumGroup = {"album", "list the scenes an album file holds", kAlbumUsage,
                               kAlbumCommands};
