// The SDL backend's menu shape: access keys in labels, the bar's entries and their wrapping into
// lines, where popups go on a small canvas, and moving through items by keyboard.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/sdl/sdl_menu_layout.h"

namespace {

TEST(SdlMenuLabelTest, TakesTheMarkOutAndFindsTheAccessKey) {
  const struct {
    std::string label, text;
    int offset, length;
    char key;
  } cases[] = {
      {"画面ｻｲｽﾞ(&D)", "画面ｻｲｽﾞ(D)", 19, 1, 'd'},
      {"Full Screen", "Full Screen", -1, 0, 0},
      // "&&" is a literal ampersand; only the first mark counts; a trailing '&' stays as it is.
      {"A&&B &x&Y&", "A&B xY&", 4, 1, 'x'},
      // A full-width character can be underlined but is no key to press.
      {"&終了", "終了", 0, 3, 0},
      // A cut multi-byte character at the end does not read past the text.
      {std::string("a&\xE7\xB5", 4), "a\xE7\xB5", 1, 2, 0},
  };
  for (const auto& c : cases) {
    const SdlLabel label = SdlMenuParseLabel(c.label);
    EXPECT_EQ(label.text, c.text);
    EXPECT_EQ(label.accessOffset, c.offset) << c.label;
    EXPECT_EQ(label.accessLength, c.length) << c.label;
    EXPECT_EQ(label.accessKey, c.key) << c.label;
  }
}

TEST(SdlMenuBarTest, GroupsItemsUnderTheirPopups) {
  std::vector<PlatMenuEntry> menu;
  auto add = [&](uint32_t id, const char* label, bool top, bool popup) {
    menu.push_back(PlatMenuEntry{PlatMenuItem{id, label, top, popup}});
  };
  add(9, "stray", false, false);  // before any top-level entry: shown nowhere
  add(0, "&Size", true, true);
  add(1, "One", false, false);
  add(0, nullptr, false, false);
  add(2, "Two", false, false);
  add(30, "&Skip", true, false);
  add(0, "&Help", true, true);
  add(40, "Keys", false, false);
  // Each entry as (index, first item, item count, popup).
  std::vector<std::tuple<int, int, int, bool>> bar;
  for (const SdlBarEntry& e : SdlMenuBarEntries(menu)) {
    bar.emplace_back(e.index, e.firstItem, e.itemCount, e.popup);
  }
  EXPECT_EQ(bar, (decltype(bar){{1, 2, 3, true}, {5, 6, 0, false}, {6, 7, 1, true}}));
}

TEST(SdlMenuBarTest, WrapsIntoLinesWhenTheWindowIsNarrow) {
  // Label widths near those of the game's five entries.
  const std::vector<int> widths{79, 79, 121, 44, 51};
  std::vector<SdlBox> boxes;
  EXPECT_EQ(SdlMenuLayoutBar(widths, 640, 22, boxes), 1);
  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_EQ(boxes[0].x, kSdlBarMargin);
  for (size_t i = 1; i < boxes.size(); i++) {
    EXPECT_EQ(boxes[i].x, boxes[i - 1].x + boxes[i - 1].w);
    EXPECT_EQ(boxes[i].y, 0);
  }

  EXPECT_EQ(SdlMenuLayoutBar(widths, 320, 22, boxes), 2);
  // Entries 0 and 1 fit with the margin; the third would pass 320 and starts line two.
  EXPECT_EQ(boxes[1].y, 0);
  EXPECT_EQ(boxes[2].y, 22);
  EXPECT_EQ(boxes[2].x, kSdlBarMargin);
  EXPECT_EQ(boxes[4].y, 22);
  for (const SdlBox& box : boxes) EXPECT_LE(box.x + box.w, 320);

  // An entry wider than the bar takes a line of its own and the next starts a new one; as the
  // first entry it stays on the first line.
  EXPECT_EQ(SdlMenuLayoutBar(std::vector<int>{30, 500, 30}, 200, 22, boxes), 3);
  EXPECT_EQ(boxes[1].y, 22);
  EXPECT_EQ(boxes[2].y, 44);
  EXPECT_EQ(SdlMenuLayoutBar(std::vector<int>{500, 30}, 200, 22, boxes), 2);
  EXPECT_EQ(boxes[0].y, 0);
  EXPECT_EQ(SdlMenuLayoutBar(std::vector<int>{}, 200, 22, boxes), 1);
}

TEST(SdlMenuPopupTest, OpensBelowItsEntryAndStaysOnTheCanvas) {
  const std::vector<int> widths{100, 0, 60};
  const std::vector<bool> separators{false, true, false};
  std::vector<SdlBox> items;
  const SdlBox popup =
      SdlMenuLayoutPopup(widths, separators, SdlBox{10, 0, 80, 22}, 640, 480, items);
  EXPECT_EQ(std::tie(popup.x, popup.y), std::tuple(10, 22));
  EXPECT_EQ(popup.w, 100 + kSdlCheckColumn + kSdlPopupRight + 2 * kSdlPopupBorder);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].y, popup.y + kSdlPopupBorder);
  EXPECT_EQ(items[1].y, items[0].y + kSdlItemHeight);
  EXPECT_EQ(items[2].y, items[1].y + kSdlSeparatorHeight);
  EXPECT_EQ(items[2].y + items[2].h, popup.y + popup.h - kSdlPopupBorder);

  // At the right edge it moves left; with no room below it opens upwards.
  const SdlBox right =
      SdlMenuLayoutPopup(widths, separators, SdlBox{600, 0, 30, 22}, 640, 480, items);
  EXPECT_EQ(right.x + right.w, 640);
  const SdlBox up = SdlMenuLayoutPopup(widths, separators, SdlBox{0, 200, 30, 22}, 320, 240, items);
  EXPECT_EQ(up.y + up.h, 200);
  // On a canvas smaller than the popup it starts at the corner.
  const SdlBox tiny = SdlMenuLayoutPopup(widths, separators, SdlBox{50, 5, 30, 22}, 60, 40, items);
  EXPECT_EQ(std::tie(tiny.x, tiny.y), std::tuple(0, 0));
}

TEST(SdlMenuKeysTest, StepsSkipSeparatorsAndWrap) {
  const std::vector<bool> usable{true, false, true, true, false};
  EXPECT_EQ(SdlMenuStep(usable, -1, 1), 0);
  EXPECT_EQ(SdlMenuStep(usable, -1, -1), 3);
  EXPECT_EQ(SdlMenuStep(usable, 0, 1), 2);
  EXPECT_EQ(SdlMenuStep(usable, 3, 1), 0);
  EXPECT_EQ(SdlMenuStep(usable, 0, -1), 3);
  EXPECT_EQ(SdlMenuStep(std::vector<bool>{false, false}, -1, 1), -1);
  EXPECT_EQ(SdlMenuStep(std::vector<bool>{}, -1, 1), -1);
}

TEST(SdlMenuKeysTest, AccessKeysMatchWithoutCaseAndCycle) {
  const std::vector<SdlLabel> labels{SdlMenuParseLabel("&Keyword"), SdlMenuParseLabel("-"),
                                     SdlMenuParseLabel("&Use"), SdlMenuParseLabel("&knob")};
  const std::vector<bool> usable{true, false, true, true};
  EXPECT_EQ(SdlMenuFindAccess(labels, usable, 'U', -1), 2);
  EXPECT_EQ(SdlMenuFindAccess(labels, usable, 'k', -1), 0);
  // Pressing the same key again goes on to the next label with it.
  EXPECT_EQ(SdlMenuFindAccess(labels, usable, 'k', 0), 3);
  EXPECT_EQ(SdlMenuFindAccess(labels, usable, 'k', 3), 0);
  EXPECT_EQ(SdlMenuFindAccess(labels, usable, 'z', -1), -1);
  EXPECT_EQ(SdlMenuFindAccess(labels, usable, '\xE7', -1), -1);
  EXPECT_EQ(SdlMenuFindAccess(labels, std::vector<bool>{true, false, false, false}, 'u', -1), -1);
}

}  // namespace
