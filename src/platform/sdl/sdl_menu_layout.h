// The menu's shape without any drawing: labels and their access keys, the bar's entries and how
// they wrap into lines, where a popup and its items go, and moving through items by key.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform_local.h"

// A label with its '&' taken out. "&&" stands for a plain '&'.
struct SdlLabel {
  std::string text;       // UTF-8, as drawn
  int accessOffset = -1;  // byte offset of the access character in `text`, -1 when none
  int accessLength = 0;   // its length in bytes
  char accessKey = 0;     // lower-case ASCII letter or digit, 0 when the label has none
};
SdlLabel SdlMenuParseLabel(std::string_view utf8);

struct SdlBox {
  int x = 0, y = 0, w = 0, h = 0;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// One entry of the bar: a popup title with its items, or a command on the bar itself.
struct SdlBarEntry {
  int index = 0;      // in the menu list
  int firstItem = 0;  // popup items are menu[firstItem .. firstItem + itemCount)
  int itemCount = 0;
  bool popup = false;
};
std::vector<SdlBarEntry> SdlMenuBarEntries(std::span<const PlatMenuEntry> menu);

// Bar metrics, in pixels.
constexpr int kSdlBarMargin = 2;    // left end of the bar
constexpr int kSdlBarPadding = 7;   // blank on each side of an entry's label
constexpr int kSdlItemHeight = 20;  // one popup item
constexpr int kSdlSeparatorHeight = 9;
constexpr int kSdlPopupBorder = 3;
constexpr int kSdlCheckColumn = 20;  // room left of the labels for the check mark
constexpr int kSdlPopupRight = 22;   // blank right of the widest label

// Places entries of the given label widths from the left, starting a new line when an entry
// does not fit on the current one (an entry wider than the bar gets a line of its own).
// Answers the number of lines, at least 1.
int SdlMenuLayoutBar(std::span<const int> labelWidths, int barWidth, int lineHeight,
                     std::vector<SdlBox>& boxes);

// Places a popup under its bar entry, kept on the canvas; fills the item boxes (canvas
// coordinates) and answers the popup's outer box. `separators[i]` marks separator items.
SdlBox SdlMenuLayoutPopup(std::span<const int> labelWidths, const std::vector<bool>& separators,
                          const SdlBox& anchor, int canvasWidth, int canvasHeight,
                          std::vector<SdlBox>& items);

// The next index after `from` going by `step` (+1 or -1) whose `usable` flag is set, wrapping
// round; `from` -1 starts before the first (or after the last). -1 when none is usable.
int SdlMenuStep(const std::vector<bool>& usable, int from, int step);

// The first index after `from` (wrapping round) whose label has `key` as access key, or -1.
int SdlMenuFindAccess(std::span<const SdlLabel> labels, const std::vector<bool>& usable, char key,
                      int from);
