// Settings in the per-user store, the menu bar, and the menu commands other than the display
// modes.
#include "app/settings.h"

#include <iterator>

#include "app/app.h"
#include "app/input.h"
#include "app/presentation.h"
#include "audio/audio.h"
#include "graphics/frame.h"
#include "graphics/weather.h"
#include "resources/sjis.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
#include "screens/main_flow.h"

uint16_t MusicOn;
uint16_t PcmOn;
uint16_t ReadTextFast;
uint16_t MouseMove;
uint16_t WeatherOn;
uint16_t CalendarFast;
uint16_t SpecLow;
uint32_t FontNo;

namespace {

// The flag of each check item, in menu order 40021..40026.
struct FlagItem {
  uint16_t command;
  uint16_t* flag;
};
const FlagItem kFlagItems[] = {
    {kMenuMusic, &MusicOn},       {kMenuPcm, &PcmOn},         {kMenuReadTextFast, &ReadTextFast},
    {kMenuMouseMove, &MouseMove}, {kMenuWeather, &WeatherOn}, {kMenuCalendarFast, &CalendarFast},
};

// Stored values read at start, with the default taken when a value is missing.
struct StoredFlag {
  const char* name;
  uint16_t* flag;
  uint16_t fallback;
};
const StoredFlag kStoredFlags[] = {
    {"Music", &MusicOn, 1},   {"Wave", &PcmOn, 1},        {"MesSkip", &ReadTextFast, 0},
    {"Mouse", &MouseMove, 1}, {"Weather", &WeatherOn, 1}, {"Calender", &CalendarFast, 0},
    {"SpecLow", &SpecLow, 0},
};

// The music and PCM toggles pump messages while they stop and restart sound; a second toggle
// arriving meanwhile is ignored.
int SoundToggleDepth = 0;
// The weather switch waits for the overlay to come off; a second press meanwhile is ignored.
int WeatherToggleDepth = 0;

void FlipFlag(uint16_t command, uint16_t& flag) {
  flag = flag ? 0 : 1;
  PlatMenuCheck(command, flag != 0);
  SettingsSave();
}

// The help the program carries: the controls, and what the menu's settings and items do.
constexpr const char* kHelpControls =
    "左ボタン・Enter：文章を進める／項目を選ぶ\n"
    "右ボタン・Esc・Home：ゲームメニューを開く／取り消す\n"
    "Space：文章の枠を消す（クリックで戻る）\n"
    "↑・ホイール上：これまでの文章を見る\n"
    "矢印キー：項目を選ぶ\n\n"
    "これまでの文章では、↑・ホイール上・画面の上半分のクリックで前の文章、\n"
    "↓・ホイール下・下半分のクリックで次の文章、右ボタン・Esc・Spaceで戻ります。";
constexpr const char* kHelpSettings =
    "画面ｻｲｽﾞ：ウィンドウの大きさとフルスクリーン\n"
    "音楽演奏：音楽を鳴らす\n"
    "ＰＣＭ演奏：効果音を鳴らす\n"
    "見た文章は速く：一度読んだ文章をすぐに表示する\n"
    "マウス移動：選択肢にマウスカーソルを動かす\n"
    "桜/雨：桜吹雪や雨を表示する\n"
    "日時表示速く：カレンダーと時計を途中を省いて表示する\n"
    "選択肢まで進む：読んだ場面を次の選択肢まで飛ばす\n\n"
    "ゲームメニュー（右ボタン）：画面を見る、ロード、セーブ、これまでの文章、\n"
    "名前の入力、フォントの変更、アルバムに残す、タイトルに戻る";

// A help box in the style of the version box.
void ShowHelp(const char* utf8Text, const char* utf8Caption) {
  ShowNotice(Sjis(utf8Text), Sjis(utf8Caption));
}

void ShowVersion() {
  ShowNotice(Sjis("Lanternia Vol.3 \n\n　　　　　　Ｍｉｒａｂｅｌ\n\n　　　　　 Version 1.04"),
             Sjis("Lanternia Vol.3 のﾊﾞｰｼﾞｮﾝ情報"));
}

const PlatMenuItem* BuildMenu(size_t& count) {
  // Labels are converted to Shift-JIS once, on first use.
  static const PlatMenuItem items[] = {
      {0, Sjis("画面ｻｲｽﾞ(&D)"), true, true},
      {40000, Sjis("Full Screen(&F)")},
      {0, nullptr},
      {40001, Sjis("320x240(&1)")},
      {40002, Sjis("480x360(&2)")},
      {40003, Sjis("640x480(&3)")},
      {40004, Sjis("800x600(&4)")},
      {40005, Sjis("960x720(&5)")},
      {40006, Sjis("1024x768(&6)")},
      {40007, Sjis("1280x960(&7)")},
      {0, Sjis("環境設定(&C)"), true, true},
      {kMenuMusic, Sjis("音楽演奏(&B)")},
      {kMenuPcm, Sjis("ＰＣＭ演奏(&P)")},
      {kMenuReadTextFast, Sjis("見た文章は速く(&F)")},
      {kMenuMouseMove, Sjis("マウス移動(&M)")},
      {kMenuWeather, Sjis("桜/雨(&W)")},
      {kMenuCalendarFast, Sjis("日時表示速く(&C)")},
      {kMenuSkipToChoice, Sjis("選択肢まで進む(&S)"), true, false},
      {0, Sjis("ﾍﾙﾌﾟ(&H)"), true, true},
      {kMenuHelpKeyword, Sjis("ｷｰﾜｰﾄﾞ(&K)")},
      {kMenuHelpOnHelp, Sjis("ﾍﾙﾌﾟの使い方(&U)")},
      {0, nullptr},
      {kMenuVersion, Sjis("ﾊﾞｰｼﾞｮﾝ情報(&A)")},
      {kMenuQuit, Sjis("終了(&Q)"), true, false},
  };
  count = std::size(items);
  return items;
}

}  // namespace

std::span<const PlatMenuItem> SettingsMenu() {
  size_t count;
  const PlatMenuItem* items = BuildMenu(count);
  return {items, count};
}

void SettingsLoad() {
  if (!PlatSettingsKeyExists()) return;
  for (const StoredFlag& stored : kStoredFlags) {
    *stored.flag =
        static_cast<uint16_t>(PlatSettingsGetNumber(stored.name).value_or(stored.fallback));
  }
  FontNo = PlatSettingsGetNumber("FontNo").value_or(0);
}

void SettingsSave() {
  bool saved = PlatSettingsSetNumber("Music", MusicOn);
  saved &= PlatSettingsSetNumber("Wave", PcmOn);
  saved &= PlatSettingsSetNumber("MesSkip", ReadTextFast);
  saved &= PlatSettingsSetNumber("Mouse", MouseMove);
  saved &= PlatSettingsSetNumber("Weather", WeatherOn);
  saved &= PlatSettingsSetNumber("Calender", CalendarFast);
  saved &= PlatSettingsSetNumber("FontNo", FontNo);
  saved &= PlatSettingsSetNumber("ScreenSize", static_cast<uint32_t>(ScreenMode - kModeFullScreen));
  // The game goes on with the flags it has; the player hears once that they will not be kept.
  static bool reported = false;
  if (!saved && !reported) {
    reported = true;
    ShowNotice(Sjis("設定を保存できませんでした。\n変更した設定は次に起動したときには戻ります。"),
               Sjis(kBoxTitle));
  }
}

uint32_t ReadFirstRunFlag() {
  return PlatSettingsGetNumber("Rekka").value_or(0);
}

void SettingsCheckMenu() {
  for (const FlagItem& item : kFlagItems) PlatMenuCheck(item.command, *item.flag != 0);
}

void SettingsCommand(uint16_t command) {
  if (command >= kModeFullScreen && command <= kModeLastSize) {
    PresentModeCommand(command);
    return;
  }
  switch (command) {
    case kMenuMusic:
    case kMenuPcm:
      if (SoundToggleDepth > 0) return;
      SoundToggleDepth++;
      if (command == kMenuMusic) {
        CdToggleMusic();
      } else {
        PcmToggleSetting();
      }
      SoundToggleDepth--;
      return;
    case kMenuReadTextFast:
      FlipFlag(command, ReadTextFast);
      return;
    case kMenuMouseMove:
      FlipFlag(command, MouseMove);
      return;
    case kMenuCalendarFast:
      FlipFlag(command, CalendarFast);
      return;
    case kMenuWeather:
      // Drawing code owns the screen frame while it is busy; the overlay must not change then.
      if (ScreenBusy || WeatherToggleDepth > 0) return;
      if (WeatherOn == 1) {
        // The overlay comes off the screen, but the weather stays: switched on again, it goes
        // on as it was.
        WeatherToggleDepth++;
        const uint8_t mode = WeatherMode;
        WeatherStop();
        WeatherMode = mode;
        WeatherToggleDepth--;
      }
      FlipFlag(command, WeatherOn);
      return;
    case kMenuSkipToChoice:
      if (PlayMode == PlayModeEventScript && SkipAllowed == 1) SkipToChoice = 1;
      return;
    case kMenuHelpKeyword:
      ShowHelp(kHelpControls, "操作方法");
      return;
    case kMenuHelpOnHelp:
      ShowHelp(kHelpSettings, "環境設定とメニュー");
      return;
    case kMenuVersion:
      ShowVersion();
      return;
    case kMenuQuit:
      AskQuit();
      return;
    default:
      return;
  }
}
