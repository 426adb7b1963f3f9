// The main game flow: the title and its menu, starting, continuing and ending a game, the reset
// of the saved data, the music room, and a game started directly at one scenario for
// developers and scripted runs.
#include "screens/main_flow.h"

#include <cstring>

#include "app/app.h"
#include "app/input.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "graphics/transition.h"
#include "graphics/weather.h"
#include "platform/platform.h"
#include "resources/pack.h"
#include "resources/tz2.h"
#include "scenario/choice.h"
#include "scenario/event_script.h"
#include "scenario/font.h"
#include "scenario/game_state.h"
#include "scenario/message.h"
#include "scenario/message_code.h"
#include "scenario/scenario.h"
#include "screens/album.h"
#include "screens/background.h"
#include "screens/name_entry.h"
#include "screens/opening.h"
#include "screens/save_data.h"
#include "screens/save_screen.h"
#include "screens/screen_texts.h"

uint16_t PlayMode;
uint8_t FirstRunFlag;
int StartScenario = -1;
bool SkipOpening = false;
std::string StateDumpPath;

namespace {

constexpr uint8_t kTitleBackground = 17;  // the cherry slope: its colours under the title
constexpr uint8_t kOpeningBackground = 11;
constexpr uint8_t kPetals = 4;  // the weather of the title and the music room
constexpr uint16_t kAfterStoryScenario = 114;
constexpr uint8_t kFreshStartMusic = 2;
constexpr uint16_t kTitleMenuX = 240, kTitleMenuY = 280;
constexpr uint16_t kSlotListX = 260, kSlotListY = 120;
constexpr uint16_t kContinueX = 236, kContinueY = 280;
constexpr uint16_t kResetDoneX = 216, kResetDoneY = 300;
// Variables of a saved game that open the after-story: 80 all set and the low bits of 81.
constexpr uint8_t kVarStoryDone = 80, kVarEndingsSeen = 81;

// How a game begins.
enum class Begin { Fresh, NewKeepingProgress, Continue, AfterStory };

// A list of `count` items, all enabled, at (x, y).
int16_t Menu(uint16_t x, uint16_t y, const uint8_t* const* items, int16_t count, int16_t initial) {
  static constexpr uint8_t kAllEnabled[kMaxItems] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  TextX = x;
  TextY = y;
  return SelectItem(items, count, kAllEnabled, initial, true, false, true);
}

// The slot choice and what to do with the game found there; false when the player backed out.
bool ChooseBeginning(Begin& begin) {
  for (;;) {
    ShowBackFrame();
    TextX = kSlotListX;
    TextY = kSlotListY;
    if (SlotScreen(kSlotsToBegin) < 0) return false;
    ShowBackFrame();
    const bool loaded = SlotLoad(CurrentSlot);
    ProgressLoad();
    if (!loaded || StateVar(CheckpointState, kVarGameFinished) == 1) {
      if (loaded) PersistentRestore();
      begin = Begin::Fresh;
      return true;
    }
    const bool afterStory = StateVar(CheckpointState, kVarStoryDone) == 0xFF &&
                            (StateVar(CheckpointState, kVarEndingsSeen) & 3) == 3;
    const int16_t item = Menu(kContinueX, kContinueY, kTextContinue, afterStory ? 3 : 2, 0);
    if (item < 0) continue;
    if (item == 0) {
      begin = Begin::Continue;
      return true;
    }
    PersistentRestore();
    begin = item == 2 ? Begin::AfterStory : Begin::NewKeepingProgress;
    return true;
  }
}

// The names first: the petals over the opening's place, then the name entry.
void FreshStartSteps() {
  CdPlay(kFreshStartMusic, true);
  const uint16_t skipAllowed = SkipAllowed;
  SkipAllowed = 0;
  BgLoad(kOpeningBackground);
  SkipAllowed = skipAllowed;
  WeatherSet(kPetals);
  ScreenShow(0);
  Wait(30);
  PalDim();
  NameEntry();
  ScreenHide(0);
  WeatherStop();
  FrameClear(BackFrame);
  FrameClearAndShow(ScreenFrame);
  PalShow();
  CdFadeOut();
}

// A new game at entry 0 of `scenario`: not finished, no history, nothing resident yet.
void BeginAt(uint16_t scenario) {
  ScriptVars[kVarGameFinished] = 0;
  HistoryCount = 0;
  UnloadScenario(kNoScenario);
  LoadScenario(scenario, true);
  PalFadeIn(1);
}

// Runs the event script until the game ends, then takes the scene away.
void RunGame() {
  while (ScriptExit != kScriptEnded) {
    PlayMode = PlayModeEventScript;
    ScriptExit = kScriptRunning;
    RunEventScript();
  }
  WeatherStop();
  PlatMenuEnable(kMenuSkipToChoice, false);
  PlatDrawMenuBar();
  SkipToChoice = 0;
  SkipAllowed = 0;
  if (PaletteState == PalStateNormal) {
    PalFadeOut(1);
  } else {
    PalFadeOutDimmed(1);
  }
}

// Takes the title or the music room off the screen.
void LeaveTitle(int16_t transition) {
  ScreenHide(transition);
  WeatherStop();
}

}  // namespace

// [SECTION] The flow

void MainFlow() {
  PlayMode = PlayModeOpening;
  SkipToChoice = 0;
  FindFonts();
  UnloadScenario(kNoScenario);
  FrameClear(BackFrame);
  FrameClearAndShow(ScreenFrame);
  PalBlack();
  bool titleShown = false;
  if (!SkipOpening) {
    ShowLogo();
    titleShown = PlayOpening();
  }
  PlayMode = PlayModeTitle;
  SkipToChoice = 0;
  int16_t previous = 0;

  for (;;) {
    if (!titleShown) {
      titleShown = true;
      ShowTitleScreen();
    }
    previous = TitleMenu(previous);
    FirstRunFlag = static_cast<uint8_t>(ReadFirstRunFlag());
    switch (previous) {
      case kNoItem:
        // Cancel replays the opening, which hands back to the title.
        PlayMode = PlayModeOpening;
        LeaveTitle(0);
        CdStop();
        PcmStop();
        titleShown = !SkipOpening && PlayOpening();
        PlayMode = PlayModeTitle;
        break;
      case kTitleStart: {
        CdStop();
        PlayMode = PlayModeStarting;
        SkipToChoice = 0;
        ScriptExit = kScriptRunning;
        const int16_t backedOut = StartGame();
        PlayMode = PlayModeTitle;
        SkipToChoice = 0;
        SkipAllowed = 0;
        UnloadScenario(kNoScenario);
        if (backedOut) {
          ShowBackFrame();
          break;
        }
        BgForget();
        PcmStop();
        PcmUnload();
        CdSuspend();
        CdFadeOut();
        FrameClearAndShow(ScreenFrame);
        FrameClear(BackFrame);
        titleShown = false;
        break;
      }
      case kTitleReset:
        ResetAllData();
        break;
      case kTitleExtras:
        LeaveTitle(5);
        CdStop();
        PlayMode = PlayModeExtras;
        ExtrasMenu();
        PlayMode = PlayModeTitle;
        titleShown = false;
        break;
      case kTitleNextFont:
        NextFont();
        ShowBackFrame();
        break;
      case kTitleQuit:
        LeaveTitle(5);
        CdStop();
        FrameClearAndShow(ScreenFrame);
        ExitGame(nullptr);
      case kTitleMusic:
        titleShown = false;
        LeaveTitle(5);
        MusicMode();
        break;
    }
  }
}

void LoadTitlePicture() {
  uint32_t size = 0;
  MemHandle picture = PackLoad("TITLE.TZ2", &size);
  Tz2Draw(BackFrame, picture, 0, 0, 0);
  MemRelease(&picture);
}

void ShowTitleScreen() {
  PalBlack();
  FrameClear(BackFrame);
  BgLoad(kTitleBackground);
  LoadTitlePicture();
  FrameCopy(ScreenFrame, BackFrame);
  ScreenUpdate();
  WeatherSet(kPetals);
  ScreenShow(0);
  WaitAnyInput();
  PalDim();
}

int16_t TitleMenu(int16_t previous) {
  return Menu(kTitleMenuX, kTitleMenuY, kTextTitleMenu, kTitleItems, previous);
}

int16_t StartGame() {
  Begin begin;
  if (!ChooseBeginning(begin)) return 1;
  ScreenHide(0);
  WeatherStop();
  PalShow();
  switch (begin) {
    case Begin::Fresh:
      BeginAt(0);
      FreshStartSteps();
      break;
    case Begin::NewKeepingProgress:
      BeginAt(0);
      break;
    case Begin::AfterStory:
      BeginAt(kAfterStoryScenario);
      break;
    case Begin::Continue:
      RestoreCheckpoint(false);
      break;
  }
  RunGame();
  return 0;
}

void ResetAllData() {
  CurrentSlot = 0;
  ShowBackFrame();
  if (AskYesNo(kTextResetQuestion)) {
    std::memcpy(&SaveState, &LiveState, kGameStateSize);
    std::memset(SaveState.vars, 0, sizeof SaveState.vars);
    SaveState.word1F0 = 0;
    std::memset(SaveState.scenarioSeen, 0, sizeof SaveState.scenarioSeen);
    SaveState.vars[kVarGameFinished] = 1;
    SaveState.vars[kVarEmptySlot] = 1;
    for (int part = 0; part < kNameCount; part++) {
      LoadDefaultNames(SaveState.nameArrays[part], part);
    }
    for (uint16_t slot = 0; slot < kSlotCount; slot++) SlotSave(slot);
    SlotSave(kProgressSlot);
    RunMessage(kResetDoneX, kResetDoneY, kTextResetDone, kTextWhite, kTextBlack, false, false);
    ScreenUpdate(DirtyRect);
    WaitClick();
  }
  TextX = kStoryX;
  TextY = kStoryY;
  ShowBackFrame();
}

// [SECTION] The music room

namespace {

constexpr uint16_t kNowPlayingY = 150, kBrowsingY = 250;
constexpr uint16_t kEntryX = 240, kEntryTitleX = 384, kEntryRight = 602, kEntryHeight = 55;
constexpr uint16_t kHeadingX[] = {260, 96, 96, 96, 96};
constexpr uint16_t kHeadingY[] = {80, 150, 180, 250, 280};
constexpr uint8_t kMusicRoomMusic = 0;
constexpr uint8_t kDigitZero = 0x36;  // the message font's full-width '0'
enum : int16_t { kMusicPrevious = 0, kMusicPlay = 1, kMusicFade = 2, kMusicNext = 3 };

}  // namespace

uint8_t MusicIndexOfEntry(int entry) {
  if (entry <= 26) return static_cast<uint8_t>(entry);
  if (entry <= 28) return static_cast<uint8_t>(entry + 5);
  return static_cast<uint8_t>(entry - 2);
}

int16_t MusicMode() {
  BgLoad(kOpeningBackground);
  CdStop();
  CdPlay(kMusicRoomMusic, false);
  WeatherSet(kPetals);
  ScreenShow(0);
  Wait(30);
  PalDim();

  DirtyRect = kEmptyRect;
  for (size_t i = 0; i < std::size(kHeadingX); i++) {
    RunMessage(kHeadingX[i], kHeadingY[i], kTextMusicHeading[i], kTextWhite, kTextBlack, false,
               false);
  }
  ScreenUpdate(DirtyRect);
  ShowMusicEntry(0, kNowPlayingY);

  int n = 0;
  for (;;) {
    ShowMusicEntry(n, kBrowsingY);
    // The buttons carry their own places.
    const int16_t item = Menu(0, 0, kTextMusicButton, 4, kNoItem);
    switch (item) {
      case kNoItem:
        ScreenHide(0);
        CdStop();
        WeatherStop();
        return 1;
      case kMusicPrevious:
        n = n == 0 ? kMusicEntries - 1 : n - 1;
        break;
      case kMusicNext:
        n = n == kMusicEntries - 1 ? 0 : n + 1;
        break;
      case kMusicPlay:
        ShowMusicEntry(n, kNowPlayingY);
        CdStop();
        CdPlay(MusicIndexOfEntry(n), false);
        break;
      case kMusicFade:
        CdFadeOut();
        break;
    }
  }
}

// The number text: {clickdone 0}, one character, then the two digits.
static_assert(kTextMusicNumber[4] == 0 && kTextMusicNumber[5] == kDigitZero &&
              kTextMusicNumber[6] == 0 && kTextMusicNumber[7] == kDigitZero);

void ShowMusicEntry(int n, uint16_t y) {
  uint8_t number[sizeof kTextMusicNumber];
  std::memcpy(number, kTextMusicNumber, sizeof number);
  number[5] = static_cast<uint8_t>(kDigitZero + n / 10);
  number[7] = static_cast<uint8_t>(kDigitZero + n % 10);
  Rect area;
  RectSet(area, kEntryX, y, kEntryRight, y + kEntryHeight);
  FrameCopyRect(ScreenFrame, BackFrame, area);
  DirtyRect = kEmptyRect;
  RunMessage(kEntryX, y, number, kTextWhite, kTextBlack, false, false);
  RunMessage(kEntryTitleX, y, kTextMusicTitle[n], kTextWhite, kTextBlack, false, false);
  RunMessage(kEntryX, y + 30, kTextMusicAbout[n], kTextWhite, kTextBlack, false, false);
  ScreenUpdate(area);
}

// [SECTION] Starting at a scenario

void PlayScenario(uint16_t number) {
  PlayMode = PlayModeStarting;
  SkipToChoice = 0;
  ScriptExit = kScriptRunning;
  FrameClear(BackFrame);
  FrameClearAndShow(ScreenFrame);
  PalShow();
  BeginAt(number);
  RunGame();
  PlayMode = PlayModeTitle;
  ExitGame(nullptr);
}
