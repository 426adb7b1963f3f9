// The album of kept scenes: its file, keeping a scene, composing one again, and the extras
// menu of the title with the viewer, the picker, tidying, clearing, the caption setting and
// the picture counts.
#include "screens/album.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <span>
#include <string>

#include "app/input.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "graphics/transition.h"
#include "graphics/weather.h"
#include "platform/atomic_file.h"
#include "resources/text_format.h"
#include "scenario/choice.h"
#include "scenario/game_state.h"
#include "scenario/message.h"
#include "scenario/message_code.h"
#include "screens/background.h"
#include "screens/event_picture.h"
#include "screens/game_menu.h"
#include "screens/save_data.h"
#include "screens/screen_texts.h"

AlbumFile AlbumData;

namespace {

constexpr size_t kChecksumAt = offsetof(AlbumFile, checksum);
constexpr uint8_t kVarCharVariant = 1;  // bit 0: character 0 wears the second set of pictures
constexpr uint16_t kCaptionColour = 232;
constexpr uint8_t kExtrasBackground = 49;
constexpr uint8_t kExtrasMusic = 29;
constexpr int kCatScene = 39;           // the garden behind the shop, where the cat may come in
constexpr uint16_t kCatFirst = 0x1701;  // the cat's pictures 0x01..0x0A
constexpr int kCatPoses = 10;
constexpr int kLastDay = 122;
constexpr int kOthers = 8;  // the group of scenes without one of the eight friends

uint8_t* Bytes(AlbumFile& file) {
  return reinterpret_cast<uint8_t*>(&file);
}

// [SECTION] Drawing helpers

const uint8_t* Code(const std::string& text) {
  return reinterpret_cast<const uint8_t*>(text.data());
}

void Say(uint16_t x, uint16_t y, const uint8_t* text, uint16_t colour = kTextWhite) {
  RunMessage(x, y, text, colour, kTextBlack, false, false);
}

// A number in message-font digits; `format` is the conversion, "%!3d" and the like.
std::string Number(const char* format, int value) {
  const std::string conversion = std::string("%c%c") + format + "%c";
  return FormatText(conversion.c_str(), {uint8_t{kMsgClickCompletes}, 0, value, uint8_t{kMsgEnd}});
}

// Month and day with their signs; 999 for both when the day gives no date.
std::string DateText(uint8_t day, const char* digits) {
  int month = 999, dayOfMonth = 999;
  MenuDate(day, month, dayOfMonth);
  const std::string format = std::string("%c%c") + digits + "%c%c" + digits + "%c%c%c";
  return FormatText(format.c_str(), {uint8_t{kMsgClickCompletes}, 0, month, 0x02, 0xE6, dayOfMonth,
                                     0x06, 0xCD, uint8_t{kMsgEnd}});
}

const uint8_t* WeekdayText(uint8_t weekday) {
  return kTextWeekday[weekday >= 7 ? 0 : weekday];
}

const uint8_t* GroupName(int group) {
  return group < kOthers ? kTextStatusLabel[group] : kTextGroupOthers;
}

// Takes the text off: the back frame shown again.
void ClearText() {
  ShowBackFrame();
  DirtyRect = kEmptyRect;
}

// Shows what was drawn unless the weather's next step repaints it anyway.
void UpdateUnlessWeather() {
  if (WeatherMode == 0 || WeatherOn != 1) ScreenUpdate(DirtyRect);
}

// A yes/no list from the text position, `initial` highlighted; 0 yes, 1 no, -1 cancelled.
int16_t YesNo(int16_t initial) {
  const uint8_t* answers[] = {kAskYes, kAskNo};
  const uint8_t enabled[] = {1, 1};
  return SelectItem(answers, 2, enabled, initial, true, false, true);
}

// [SECTION] Kept scenes

// The code a slot's character is kept under: character 0 as character 1 in the set that
// variable 1 chooses, as the picture is drawn.
uint16_t KeptCode(uint16_t code) {
  if (code >> 8 != 0) return code;
  return static_cast<uint16_t>(0x0100 | (code & 0x7F) | (ScriptVar(kVarCharVariant) & 1) << 7);
}

AlbumEntry CurrentScene() {
  AlbumEntry entry{};
  entry.bg = BgShown;
  entry.vCg = VCgShown;
  entry.hCg = HCgShown;
  entry.weather = WeatherMode;
  entry.filter = FilterMode;
  entry.day = ScriptVar(kVarCalendarDay);
  entry.weekday = ScriptVar(kVarWeekday);
  for (int slot = 0; slot < kCharSlots; slot++) {
    entry.code[slot] = KeptCode(CharCode[slot]);
    entry.order[slot] = CharOrder[slot];
  }
  return entry;
}

// The same pictures and the same characters in the same order.
bool SamePictures(const AlbumEntry& a, const AlbumEntry& b) {
  return a.bg == b.bg && a.vCg == b.vCg && a.hCg == b.hCg &&
         std::equal(a.code, a.code + kCharSlots, b.code) &&
         std::equal(a.order, a.order + kCharSlots, b.order);
}

// Characters of different kinds among a scene's slots.
int CharacterKinds(const AlbumEntry& entry) {
  int kinds[kCharSlots];
  int count = 0;
  for (uint16_t code : entry.code) {
    if (code == kEmptyCode) continue;
    if (std::find(kinds, kinds + count, code >> 8) == kinds + count) kinds[count++] = code >> 8;
  }
  return count;
}

void DrawCaption(const AlbumEntry& entry) {
  int month, day;
  Say(400, 450, Code(DateText(entry.day, "%!02d")), kCaptionColour);
  if (MenuDate(entry.day, month, day)) {
    Say(528, 450, WeekdayText(entry.weekday), kCaptionColour);
  } else {
    Say(528, 450, Code(Number("%!03d", 9999)), kCaptionColour);
  }
}

void RemoveScene(int index) {
  AlbumEntry* entries = AlbumData.entries;
  std::copy(entries + index + 1, entries + AlbumData.count, entries + index);
  AlbumData.count--;
}

// [SECTION] The extras

// Asks whether kept scenes show their date; true when the answer changed it.
bool CaptionSetting() {
  ClearText();
  Say(208, 180, kTextCaptionQuestion);
  ScreenUpdate(DirtyRect);
  TextX = 288;
  TextY += 8;
  const int16_t answer = YesNo(AlbumData.captionOff);
  bool changed = false;
  if (answer >= 0) {
    changed = answer != AlbumData.captionOff;
    AlbumData.captionOff = static_cast<uint8_t>(answer);
    AlbumSave();
  }
  ClearText();
  return changed;
}

void PictureCounts() {
  ClearText();
  Say(264, 40, kTextCountsTitle);
  for (int group = 0; group <= kOthers; group++) {
    const uint16_t y = static_cast<uint16_t>(90 + 36 * group);
    Say(208, y, GroupName(group));
    Say(352, y, Code(Number("%!3d", AlbumPictureCount(group))));
  }
  ScreenUpdate(DirtyRect);
  WaitAnyInput();
  ClearText();
}

void DrawPickPage(int index) {
  const AlbumEntry& entry = AlbumData.entries[index];
  ScreenBusy = 1;
  FrameCopy(ScreenFrame, BackFrame);
  Say(272, 80, kTextPickHeading);
  Say(192, 120, Code(Number("%!3d", index + 1)));
  Say(TextX, TextY, kTextPickPosition);
  Say(TextX, TextY, Code(Number("%!d", static_cast<int>(AlbumData.count))));
  Say(TextX, TextY, kTextPickCount);
  Say(192, 170, kTextPickDate);
  int month, day;
  const bool dated = MenuDate(entry.day, month, day);
  Say(TextX, TextY, Code(DateText(entry.day, dated ? "%!d" : "%!2d")));
  if (dated) Say(TextX, TextY, WeekdayText(entry.weekday));
  Say(192, 210, kTextPickPerson);
  Say(TextX, TextY, GroupName(AlbumGroup(entry)));
  Say(192, 250, kTextPickKindLabel);
  const int kind = entry.vCg != kNoPicture ? 0 : (entry.hCg >= 1 && entry.hCg <= 254 ? 1 : 2);
  Say(TextX, TextY, kTextPickKind[kind]);
  if (WeatherMode != 0) WeatherOverlayOn(WeatherMode);
  ScreenUpdate();
  ScreenBusy = 0;
}

// The scenes one by one: OK goes on, cancel (or OK at the last) opens the viewer's menu.
void KeptSceneViewer() {
  static int16_t lastItem = 0;
  int index = 0;
  bool onScreen = false;
  while (AlbumData.count > 0) {
    const int count = static_cast<int>(AlbumData.count);
    index = std::min(index, count - 1);
    if (!onScreen) {
      ScreenHide(0);
      WeatherStop();
      AlbumShowScene(AlbumData.entries[index]);
      ScreenShow(0);
      onScreen = true;
    }
    ClearInput();
    bool menu = false;
    for (;;) {
      if (InputTriggers & InputOk) {
        ClearInput();
        menu = index == count - 1;
        if (!menu) {
          index++;
          onScreen = false;
        }
        break;
      }
      if (InputTriggers & InputCancel) {
        ClearInput();
        menu = true;
        break;
      }
      PumpMessagesForInput();
    }
    if (!menu) continue;

    PalDim();
    for (;;) {
      ClearText();
      const uint8_t enabled[6] = {index != 0, index < count - 1, 1, 1, 1, 1};
      TextX = 240;
      TextY = 140;
      const int16_t item = SelectItem(kTextViewerItem, 6, enabled, lastItem, true, false, true);
      if (item < 0) {
        ClearText();
        PalUndim();
        break;
      }
      lastItem = item;
      if (item == 0) index--;
      if (item == 1) index++;
      if (item == 2 && !AlbumPickScene(index)) continue;
      if (item == 3 && !CaptionSetting()) continue;
      if (item == 4) {
        if (!AskYesNo(kTextRemoveQuestion)) continue;
        RemoveScene(index);
        AlbumSave();
        ClearText();
        Say(192, 200, kTextRemovedNotice);
        UpdateUnlessWeather();
        WaitClick();
        ClearText();
      }
      if (item == 5) {
        ScreenHide(0);
        WeatherStop();
        return;
      }
      onScreen = false;
      break;
    }
  }
  ScreenHide(0);
  WeatherStop();
}

void EnterExtras() {
  BgLoad(kExtrasBackground);
  ScreenShow(0);
  WaitClickOrTimeout(30);
  PalDim();
}

}  // namespace

// [SECTION] The file

void AlbumSeal(uint8_t* image) {
  SealRandomField(image, kAlbumSaltBytes);
  SealRandomField(image + offsetof(AlbumFile, random233), 3);
  SealRandomField(image + offsetof(AlbumFile, random8428), 5);
  SealRandomField(image + offsetof(AlbumFile, random8440), 6);
  SealScramble({image, kAlbumFileSize}, kAlbumSaltBytes, kChecksumAt);
}

bool AlbumUnseal(uint8_t* image) {
  if (!SealUnscramble({image, kAlbumFileSize}, kAlbumSaltBytes, kChecksumAt)) return false;
  uint32_t count;
  std::memcpy(&count, image + offsetof(AlbumFile, count), sizeof count);
  return count <= kAlbumScenes;
}

void AlbumLoad() {
  const std::string path = SavePath(kAlbumFileName);
  AtomicFileRemoveStale(path);
  AlbumData = AlbumFile{};
  // Non-blocking: a pipe in the file's place must not hang the start.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno != ENOENT) {
      SaveShowBox("アルバムを読み込めませんでした。\n" + path + "\n" + SaveErrorReason(errno) +
                  "\n空のアルバムとして始めます。");
    }
    return;
  }
  struct stat info {};
  AlbumFile file;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == kAlbumFileSize &&
      read(fd, &file, kAlbumFileSize) == static_cast<ssize_t>(kAlbumFileSize) &&
      AlbumUnseal(Bytes(file))) {
    AlbumData = file;
  }
  close(fd);
}

void AlbumSave() {
  AlbumFile sealed = AlbumData;
  AlbumSeal(Bytes(sealed));
  const std::string path = SavePath(kAlbumFileName);
  AtomicFileOptions options;
  options.makeFolders = true;
  if (!AtomicFileWrite(path, std::span<const uint8_t>(Bytes(sealed), kAlbumFileSize), options)) {
    SaveShowBox("アルバムを保存できませんでした。\n" + path + "\n" + SaveErrorReason(errno) +
                "\nゲームはこのまま続きます。");
  }
}

// [SECTION] Kept scenes

bool AlbumAdd(bool withDate) {
  if (AlbumData.count >= kAlbumScenes) return false;
  const AlbumEntry now = CurrentScene();
  for (uint32_t i = 0; i < AlbumData.count; i++) {
    const AlbumEntry& kept = AlbumData.entries[i];
    if (SamePictures(kept, now) &&
        (!withDate || (kept.day == now.day && kept.weekday == now.weekday))) {
      return false;
    }
  }
  AlbumData.entries[AlbumData.count++] = now;
  return true;
}

void AlbumClear() {
  ClearText();
  Say(184, 180, kTextAlbumClearQuestion);
  Say(224, 212, kAskSecondLine);
  ScreenUpdate(DirtyRect);
  TextX = 288;
  TextY += 8;
  if (YesNo(kNoItem) == 0) {
    AlbumData.count = 0;
    AlbumData.captionOff = 0;
    AlbumSave();
    ClearText();
    Say(184, 180, kTextAlbumCleared);
    UpdateUnlessWeather();
    WaitClick();
  }
  ClearText();
}

void AlbumShowScene(const AlbumEntry& entry) {
  static int catPose = 0;
  if (entry.bg != kNoPicture) {
    BgLoad(entry.bg);
    // The cat wanders in now and then; only where it takes no colours a kept character needs.
    if (entry.bg % kBgScenesPerGroup == kCatScene && Random(2) < 128 && CharacterKinds(entry) < 2) {
      catPose = (catPose + 1) % kCatPoses;
      CharShow(0, static_cast<uint16_t>(kCatFirst + catPose));
    }
    for (uint16_t position = 0; position < kCharSlots; position++) {
      for (uint8_t slot = 0; slot < kCharSlots; slot++) {
        if (entry.order[slot] == position && entry.code[slot] != kEmptyCode) {
          CharShow(slot, entry.code[slot]);
        }
      }
    }
  } else if (entry.vCg != kNoPicture) {
    ShowVPicture(entry.vCg);
  } else if (entry.hCg != kNoPicture) {
    ShowHPicture(entry.hCg);
  }
  if (entry.filter != 0) ColourFilter(entry.filter, false);
  if (AlbumData.captionOff == 0) {
    FrameCopy(ScreenFrame, BackFrame);
    DrawCaption(entry);
    FrameCopy(BackFrame, ScreenFrame);
  }
  if (entry.bg != kNoPicture) WeatherSet(entry.weather);
}

// [SECTION] Tidying

int AlbumGroup(const AlbumEntry& entry) {
  if (entry.bg == kNoPicture) {
    const int number = entry.hCg != kNoPicture ? entry.hCg : entry.vCg;
    const int group = (number >> 4) - 1;
    return group >= 0 && group <= kOthers ? group : kOthers;
  }
  for (uint16_t code : entry.code) {
    if (code == kEmptyCode) continue;
    int c = code >> 8;
    if (c == 18 || c == 26 || c == 29) c = 1;
    if (c == 19) c = 2;
    if (c == 22) c = 6;
    if (c == 10 || c == 17) c = 8;
    if (c >= 1 && c <= 8) return c - 1;
  }
  return kOthers;
}

void AlbumReorder(int order, bool dropDuplicates) {
  static AlbumFile work;
  work = AlbumData;
  const uint32_t oldCount = AlbumData.count;
  AlbumEntry* entries = work.entries;
  for (uint32_t i = 0; i < oldCount; i++) entries[i].pending = 1;
  if (dropDuplicates) {
    for (uint32_t i = 0; i < oldCount; i++) {
      if (!entries[i].pending) continue;
      for (uint32_t j = i + 1; j < oldCount; j++) {
        if (SamePictures(entries[i], entries[j])) entries[j].pending = 0;
      }
    }
  }
  AlbumData.count = 0;
  // Takes every pending entry that `wanted` accepts, in album order.
  const auto take = [&](auto wanted) {
    for (uint32_t i = 0; i < oldCount && AlbumData.count < oldCount; i++) {
      if (!entries[i].pending || !wanted(entries[i])) continue;
      entries[i].pending = 0;
      AlbumData.entries[AlbumData.count++] = entries[i];
    }
  };
  const auto any = [](const AlbumEntry&) { return true; };
  if (order == 0) {
    for (int d = 0; d <= kLastDay; d++) take([d](const AlbumEntry& e) { return e.day == d; });
  } else if (order == 1) {
    for (int g = 0; g <= kOthers; g++)
      take([g](const AlbumEntry& e) { return AlbumGroup(e) == g; });
  } else {
    take([](const AlbumEntry& e) { return e.bg != kNoPicture; });
    take([](const AlbumEntry& e) { return e.vCg != kNoPicture; });
    take([](const AlbumEntry& e) { return e.hCg != kNoPicture; });
  }
  // Whatever no rule placed (a scene without any picture) keeps its place after the rest.
  take(any);
}

void AlbumTidy() {
  static constexpr uint8_t kAllEnabled[3] = {1, 1, 1};
  for (;;) {
    ClearText();
    Say(232, 128, kTextTidyQuestion);
    ScreenUpdate(DirtyRect);
    TextX = 240;
    TextY = 180;
    const int16_t order = SelectItem(kTextTidyOrder, 3, kAllEnabled, kNoItem, true, false, true);
    if (order < 0) {
      ClearText();
      return;
    }
    ClearText();
    Say(200, 180, kTextTidyDuplicates);
    ScreenUpdate(DirtyRect);
    TextX = 288;
    TextY = 220;
    const int16_t answer = YesNo(kNoItem);
    if (answer < 0) continue;
    AlbumReorder(order, answer == 0);
    AlbumSave();
    ClearText();
    Say(200, 200, kTextTidyDone);
    ScreenUpdate(DirtyRect);
    WaitClick();
    ClearText();
    return;
  }
}

// [SECTION] The picker

int AlbumPickStep(int index, int item, int count) {
  const int last = count - 1;
  switch (item) {
    case 0:
      return std::max(0, index - 10);
    case 1:
      return index >= 1 ? index - 1 : index;
    case 3:
      return index < last ? index + 1 : index;
    case 4:
      return index + 10 < last ? index + 10 : std::max(last, 0);
  }
  return index;
}

bool AlbumPickScene(int& index) {
  static constexpr uint8_t kAllEnabled[5] = {1, 1, 1, 1, 1};
  static int16_t lastItem = 2;
  const int count = static_cast<int>(AlbumData.count);
  if (count == 0) return false;
  const int given = index;
  index = std::clamp(index, 0, count - 1);
  bool draw = true;
  for (;;) {
    if (draw) DrawPickPage(index);
    draw = false;
    const int16_t item = SelectItem(kTextPickButton, 5, kAllEnabled, lastItem, true, false, true);
    if (item < 0) {
      ClearText();
      index = given;
      return false;
    }
    lastItem = item;
    if (item == 2) {
      ClearText();
      return true;
    }
    const int next = AlbumPickStep(index, item, count);
    draw = next != index;
    index = next;
  }
}

// [SECTION] Picture counts

int AlbumPictureCount(int group) {
  // Group g holds the pictures 0x10 (g + 1) .. 0x10 (g + 1) + 15; the others 0x90 .. 0xFE.
  const int first = group < kOthers ? 0x10 * (group + 1) : 0x90;
  const int last = group < kOthers ? first + 15 : 0xFE;
  bool seenV[256] = {}, seenH[256] = {};
  for (uint32_t i = 0; i < AlbumData.count; i++) {
    seenV[AlbumData.entries[i].vCg] = true;
    seenH[AlbumData.entries[i].hCg] = true;
  }
  int count = 0;
  for (int n = first; n <= last; n++) count += seenV[n] + seenH[n];
  return count;
}

// [SECTION] The extras menu

void ExtrasMenu() {
  CdPlay(kExtrasMusic, true);
  EnterExtras();
  int16_t last = 0;
  for (;;) {
    DirtyRect = kEmptyRect;
    Say(232, 128, kTextExtrasTitle);
    ScreenUpdate(DirtyRect);
    const uint8_t kept = AlbumData.count > 0;
    const uint8_t enabled[6] = {kept, kept, 1, 1, 1, 1};
    TextX = 240;
    TextY = 180;
    const int16_t item = SelectItem(kTextExtrasItem, 6, enabled, last, true, false, true);
    if (item < 0 || item == 5) break;
    last = item;
    switch (item) {
      case 0:
        KeptSceneViewer();
        EnterExtras();
        break;
      case 1:
        AlbumTidy();
        break;
      case 2:
        AlbumClear();
        break;
      case 3:
        CaptionSetting();
        break;
      case 4:
        PictureCounts();
        break;
    }
  }
  ScreenHide(0);
  CdFadeOut();
}
