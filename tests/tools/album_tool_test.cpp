// lntr3tool album info: what it tells of an album, and the files it refuses.
#include <cstring>

#include "screens/album.h"
#include "support/tool_run.h"

namespace {

using AlbumTool = ToolRunTest;

TEST_F(AlbumTool, InfoListsTheKeptScenesAndRefusesADamagedAlbum) {
  AlbumFile album{};
  album.count = 2;
  album.captionOff = 1;
  album.entries[0] = {53, 255, 255, 4, 2, 32, 3, 0, {}, {}};
  album.entries[1] = {255, 0x10, 255, 0, 0, 255, 9, 0, {}, {}};
  for (AlbumEntry& entry : album.entries) {
    std::fill(std::begin(entry.code), std::end(entry.code), 0xFFFF);
    std::fill(std::begin(entry.order), std::end(entry.order), 0xFFFF);
  }
  album.entries[0].code[2] = 0x0184;
  album.entries[0].order[2] = 5;
  AlbumSeal(reinterpret_cast<uint8_t*>(&album));
  std::string bytes(reinterpret_cast<const char*>(&album), kAlbumFileSize);
  WriteFileBytes(At("LNTR3.ALB"), bytes);

  ASSERT_EQ(Tool("album info LNTR3.ALB"), 0) << output;
  EXPECT_TRUE(
      Said("LNTR3.ALB: album of 2 kept scenes (8448 bytes, checksum holds)\n"
           "  captions: off (switch = 1)\n"
           "    1: background 53, weather 4, filter 2, day 32 (April 1), weekday 3 (Wed)\n"
           "       characters: slot 2 0x0184 (order 5)\n"
           "    2: V picture 0x10, weather 0, filter 0, day 255 (no date), weekday 9\n"
           "       characters: none\n"))
      << output;

  bytes[5000] ^= 8;
  WriteFileBytes(At("BAD.ALB"), bytes);
  WriteFileBytes(At("SHORT.ALB"), bytes.substr(1));
  ExpectRefused("album info BAD.ALB", "BAD.ALB: a damaged album");
  ExpectRefused("album info SHORT.ALB", "SHORT.ALB: not an album: 8447 bytes, an album holds 8448");
  ExpectRefused("album info NONE.ALB", "cannot read NONE.ALB");
}

}  // namespace
