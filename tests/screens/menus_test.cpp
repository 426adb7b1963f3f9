// The tables behind the title's music room and the game menu's date line.
#include <gtest/gtest.h>

#include "screens/game_menu.h"
#include "screens/main_flow.h"

namespace {

TEST(MusicRoom, EntriesPlayTheirMusic) {
  const std::pair<int, int> entries[] = {{0, 0},   {26, 26}, {27, 32}, {28, 33},
                                         {29, 27}, {32, 30}, {33, 31}};
  for (const auto& [entry, music] : entries) EXPECT_EQ(MusicIndexOfEntry(entry), music) << entry;
}

TEST(GameMenuDate, DaysCountFromTheFirstOfMarchToTheEndOfMay) {
  const struct {
    uint8_t day;
    bool shown;
    int month, dayOfMonth;
  } cases[] = {{0, true, 3, 0},   {1, true, 3, 1},   {31, true, 3, 31},
               {32, true, 4, 1},  {61, true, 4, 30}, {62, true, 5, 1},
               {92, true, 5, 31}, {93, false, 0, 0}, {255, false, 0, 0}};
  for (const auto& c : cases) {
    int month = 0, day = 0;
    EXPECT_EQ(MenuDate(c.day, month, day), c.shown) << int(c.day);
    if (c.shown) {
      EXPECT_EQ(std::make_pair(month, day), std::make_pair(c.month, c.dayOfMonth)) << int(c.day);
    }
  }
}

}  // namespace
