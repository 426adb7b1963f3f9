// Menu shape: labels with access keys, the bar's entries and line wrapping, popup placement and
// keyboard movement. Pure functions; the drawing and the modal loop live in sdl_menu.cpp.
#include "platform/sdl/sdl_menu_layout.h"

#include <algorithm>

namespace {

// Length of the UTF-8 sequence that starts with this byte (1 for stray bytes).
int Utf8Length(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// ASCII lower case; other bytes unchanged.
char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// Letters and digits can be access keys.
bool AsciiKey(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

// Strips the & marks and notes the access key.
SdlLabel SdlMenuParseLabel(std::string_view utf8) {
  SdlLabel label;
  for (size_t i = 0; i < utf8.size();) {
    if (utf8[i] == '&' && i + 1 < utf8.size()) {
      if (utf8[i + 1] == '&') {
        label.text += '&';
        i += 2;
        continue;
      }
      // The first marked character is the access key; later marks only lose their '&'.
      const int length = std::min<int>(Utf8Length(static_cast<unsigned char>(utf8[i + 1])),
                                       static_cast<int>(utf8.size() - i - 1));
      if (label.accessOffset < 0) {
        label.accessOffset = static_cast<int>(label.text.size());
        label.accessLength = length;
        const char key = LowerAscii(utf8[i + 1]);
        label.accessKey = length == 1 && AsciiKey(key) ? key : 0;
      }
      label.text.append(utf8.substr(i + 1, length));
      i += 1 + length;
      continue;
    }
    label.text += utf8[i];
    i++;
  }
  return label;
}

// The bar entries of a menu list with the items of each popup.
std::vector<SdlBarEntry> SdlMenuBarEntries(std::span<const PlatMenuEntry> menu) {
  std::vector<SdlBarEntry> entries;
  for (size_t i = 0; i < menu.size(); i++) {
    if (!menu[i].item.topLevel) {
      // Items before the first top-level entry belong to no popup and are not shown.
      if (!entries.empty() && entries.back().popup) entries.back().itemCount++;
      continue;
    }
    SdlBarEntry entry;
    entry.index = static_cast<int>(i);
    entry.firstItem = static_cast<int>(i) + 1;
    entry.popup = menu[i].item.popup;
    entries.push_back(entry);
  }
  return entries;
}

int SdlMenuLayoutBar(std::span<const int> labelWidths, int barWidth, int lineHeight,
                     std::vector<SdlBox>& boxes) {
  boxes.clear();
  int line = 0;
  int x = kSdlBarMargin;
  for (const int labelWidth : labelWidths) {
    const int w = labelWidth + 2 * kSdlBarPadding;
    if (x > kSdlBarMargin && x + w > barWidth) {
      line++;
      x = kSdlBarMargin;
    }
    boxes.push_back(SdlBox{x, line * lineHeight, w, lineHeight});
    x += w;
  }
  return line + 1;
}

SdlBox SdlMenuLayoutPopup(std::span<const int> labelWidths, const std::vector<bool>& separators,
                          const SdlBox& anchor, int canvasWidth, int canvasHeight,
                          std::vector<SdlBox>& items) {
  int widest = 0;
  int height = 2 * kSdlPopupBorder;
  for (size_t i = 0; i < labelWidths.size(); i++) {
    const bool separator = i < separators.size() && separators[i];
    if (!separator) widest = std::max(widest, labelWidths[i]);
    height += separator ? kSdlSeparatorHeight : kSdlItemHeight;
  }
  SdlBox popup{anchor.x, anchor.y + anchor.h,
               widest + kSdlCheckColumn + kSdlPopupRight + 2 * kSdlPopupBorder, height};
  // Keep it on the canvas: shift left at the right edge, open upwards when there is no room
  // below, and at worst start at the top-left corner.
  if (popup.x + popup.w > canvasWidth) popup.x = canvasWidth - popup.w;
  if (popup.x < 0) popup.x = 0;
  if (popup.y + popup.h > canvasHeight) {
    popup.y = anchor.y - popup.h >= 0 ? anchor.y - popup.h : canvasHeight - popup.h;
  }
  if (popup.y < 0) popup.y = 0;
  items.clear();
  int y = popup.y + kSdlPopupBorder;
  for (size_t i = 0; i < labelWidths.size(); i++) {
    const int h = i < separators.size() && separators[i] ? kSdlSeparatorHeight : kSdlItemHeight;
    items.push_back(SdlBox{popup.x + kSdlPopupBorder, y, popup.w - 2 * kSdlPopupBorder, h});
    y += h;
  }
  return popup;
}

// Keyboard movement through items with wrap-around.
int SdlMenuStep(const std::vector<bool>& usable, int from, int step) {
  const int count = static_cast<int>(usable.size());
  if (count == 0) return -1;
  int index = from;
  if (index < 0 || index >= count) index = step > 0 ? -1 : count;
  for (int tries = 0; tries < count; tries++) {
    index = ((index + step) % count + count) % count;
    if (usable[index]) return index;
  }
  return -1;
}

int SdlMenuFindAccess(std::span<const SdlLabel> labels, const std::vector<bool>& usable, char key,
                      int from) {
  key = LowerAscii(key);
  if (!AsciiKey(key)) return -1;
  const int count = static_cast<int>(labels.size());
  for (int step = 1; step <= count; step++) {
    const int index = ((from + step) % count + count) % count;
    if (index < static_cast<int>(usable.size()) && usable[index] &&
        labels[index].accessKey == key) {
      return index;
    }
  }
  return -1;
}
