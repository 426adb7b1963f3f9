// The headless input script: a text file of untimed set-up lines and timed input steps.
// The format is described for users in docs/headless.md.
#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless/headless.h"

namespace {

struct KeyName {
  const char* name;
  int virtualKey;
};
constexpr KeyName kKeyNames[] = {
    {"up", VK_UP},       {"right", VK_RIGHT},  {"down", VK_DOWN},     {"left", VK_LEFT},
    {"space", VK_SPACE}, {"enter", VK_RETURN}, {"return", VK_RETURN}, {"escape", VK_ESCAPE},
    {"esc", VK_ESCAPE},  {"home", VK_HOME},
};

constexpr const char* kMouseUsage =
    "mouse move X Y | mouse down|up|click left|right X Y | mouse wheel up|down X Y [N]";

// How long a scripted key press or click is held.
constexpr uint32_t kKeyPressMs = 50;
constexpr uint32_t kClickMs = 20;

bool ParseNumber(const std::string& word, long long& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  value = std::strtoll(word.c_str(), &end, 0);
  return *end == 0;
}

bool ParseInt(const std::string& word, int& value) {
  long long v;
  if (!ParseNumber(word, v) || v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<int>(v);
  return true;
}

bool ParseKey(const std::string& word, int& virtualKey) {
  for (const KeyName& key : kKeyNames) {
    if (word == key.name) {
      virtualKey = key.virtualKey;
      return true;
    }
  }
  return ParseInt(word, virtualKey) && virtualKey > 0 && virtualKey < 256;
}

bool ParseSize(const std::string& word, int& width, int& height) {
  const size_t x = word.find('x');
  return x != std::string::npos && ParseInt(word.substr(0, x), width) &&
         ParseInt(word.substr(x + 1), height) && width > 0 && height > 0;
}

bool ParseAnswer(const std::string& word, int& answer) {
  if (word == "ok")
    answer = IDOK;
  else if (word == "cancel")
    answer = IDCANCEL;
  else
    return false;
  return true;
}

// One timed line after "at TIME": appends its steps. Answers an error text, empty when fine.
std::string ParseTimed(uint32_t time, const std::vector<std::string>& w, HeadlessConfig& config) {
  auto step = [&](uint32_t at, HeadlessAction action, int a = 0, int b = 0, int c = 0) {
    config.steps.push_back(HeadlessStep{at, action, a, b, c});
  };
  const std::string& verb = w[0];
  if (verb == "key") {
    int vk;
    if (w.size() < 2 || w.size() > 3 || !ParseKey(w[1], vk)) return "key NAME [down|up]";
    if (w.size() == 2) {
      step(time, HeadlessAction::KeyDown, vk);
      step(time + kKeyPressMs, HeadlessAction::KeyUp, vk);
    } else if (w[2] == "down") {
      step(time, HeadlessAction::KeyDown, vk);
    } else if (w[2] == "up") {
      step(time, HeadlessAction::KeyUp, vk);
    } else {
      return "key NAME [down|up]";
    }
    return "";
  }
  if (verb == "mouse") {
    // mouse move X Y | mouse down|up|click left|right X Y | mouse wheel up|down X Y [N]
    int x, y;
    if (w.size() >= 5 && w[1] == "wheel") {
      int notches = 1;
      if ((w[2] != "up" && w[2] != "down") || !ParseInt(w[3], x) || !ParseInt(w[4], y) ||
          w.size() > 6 || (w.size() == 6 && (!ParseInt(w[5], notches) || notches < 1))) {
        return kMouseUsage;
      }
      step(time, HeadlessAction::MouseWheel, x, y, w[2] == "up" ? notches : -notches);
      return "";
    }
    if (w.size() == 4 && w[1] == "move" && ParseInt(w[2], x) && ParseInt(w[3], y)) {
      step(time, HeadlessAction::MouseMove, x, y);
      return "";
    }
    if (w.size() != 5 || (w[2] != "left" && w[2] != "right") || !ParseInt(w[3], x) ||
        !ParseInt(w[4], y)) {
      return kMouseUsage;
    }
    const int button = w[2] == "left" ? 0 : 1;
    if (w[1] == "down") {
      step(time, HeadlessAction::MouseDown, x, y, button);
    } else if (w[1] == "up") {
      step(time, HeadlessAction::MouseUp, x, y, button);
    } else if (w[1] == "click") {
      step(time, HeadlessAction::MouseMove, x, y);
      step(time, HeadlessAction::MouseDown, x, y, button);
      step(time + kClickMs, HeadlessAction::MouseUp, x, y, button);
    } else {
      return kMouseUsage;
    }
    return "";
  }
  if (verb == "menu") {
    int id;
    if (w.size() != 2 || !ParseInt(w[1], id)) return "menu COMMAND";
    step(time, HeadlessAction::Menu, id);
    return "";
  }
  if (verb == "answer") {
    int answer;
    if (w.size() != 2 || !ParseAnswer(w[1], answer)) return "answer ok|cancel";
    step(time, HeadlessAction::Answer, answer);
    return "";
  }
  if (verb == "close" && w.size() == 1) {
    step(time, HeadlessAction::Close);
    return "";
  }
  if (verb == "quit" && w.size() == 1) {
    step(time, HeadlessAction::Quit);
    return "";
  }
  if (verb == "focus" && w.size() == 2 && (w[1] == "on" || w[1] == "off")) {
    step(time, HeadlessAction::Focus, w[1] == "on");
    return "";
  }
  if (verb == "minimise" && w.size() == 2 && (w[1] == "on" || w[1] == "off")) {
    step(time, HeadlessAction::Minimise, w[1] == "on");
    return "";
  }
  if (verb == "snapshot") {
    if (w.size() != 2) return "snapshot FILE";
    step(time, HeadlessAction::Snapshot);
    config.steps.back().path = w[1];
    return "";
  }
  return "unknown step '" + verb + "'";
}

// One untimed set-up line. Answers an error text, empty when fine.
std::string ParseSetup(const std::vector<std::string>& w, HeadlessConfig& config) {
  const std::string& verb = w[0];
  if (verb == "setting") {
    // setting Name=Value (the rest of the line after '=' is the value)
    if (w.size() < 2 || w[1].find('=') == std::string::npos || w[1][0] == '=') {
      return "setting NAME=VALUE";
    }
    const size_t eq = w[1].find('=');
    std::string value = w[1].substr(eq + 1);
    for (size_t i = 2; i < w.size(); i++) value += " " + w[i];
    config.settings.emplace_back(w[1].substr(0, eq), value);
    config.settingsKey = true;
    return "";
  }
  if (verb == "settings-key" && w.size() == 1) {
    config.settingsKey = true;
    return "";
  }
  if (verb == "settings-readonly" && w.size() == 1) {
    config.settingsReadOnly = true;
    return "";
  }
  if (verb == "display" && w.size() == 3) {
    if (w[1] == "bpp" && ParseInt(w[2], config.displayBpp) && config.displayBpp > 0) return "";
    if (w[1] == "test") {
      if (w[2] == "ok")
        config.modeTestResult = DISP_CHANGE_SUCCESSFUL;
      else if (w[2] == "restart")
        config.modeTestResult = DISP_CHANGE_RESTART;
      else if (w[2] == "fail")
        config.modeTestResult = DISP_CHANGE_FAILED;
      else
        return "display test ok|restart|fail";
      return "";
    }
    if (w[1] == "desktop" && ParseSize(w[2], config.desktopWidth, config.desktopHeight)) return "";
    if (w[1] == "640x480" && (w[2] == "yes" || w[2] == "no")) {
      config.has640x480 = w[2] == "yes";
      return "";
    }
    return "display bpp N | display test ok|restart|fail | display desktop WxH | display 640x480 "
           "yes|no";
  }
  if (verb == "answer") {
    int answer;
    if (w.size() != 2 || !ParseAnswer(w[1], answer)) return "answer ok|cancel";
    // Not a step at time 0: steps run at the first pump, after the boxes of start-up.
    config.answers.push_back(answer);
    return "";
  }
  if (verb == "limit") {
    long long ms;
    if (w.size() != 2 || !ParseNumber(w[1], ms) || ms <= 0 || ms > UINT32_MAX / 2) {
      return "limit MILLISECONDS";
    }
    config.timeLimit = static_cast<uint32_t>(ms);
    return "";
  }
  if (verb == "running-copy" && w.size() == 1) {
    config.runningCopy = true;
    return "";
  }
  if (verb == "date" && w.size() == 3) {
    // date YYYY-MM-DD HH:MM:SS
    PlatLocalTime t{};
    int year, month, day, hour, minute, second;
    if (std::sscanf(w[1].c_str(), "%d-%d-%d", &year, &month, &day) == 3 &&
        std::sscanf(w[2].c_str(), "%d:%d:%d", &hour, &minute, &second) == 3 && month >= 1 &&
        month <= 12 && day >= 1 && day <= 31 && hour < 24 && minute < 60 && second < 60) {
      t.year = static_cast<uint16_t>(year);
      t.month = static_cast<uint16_t>(month);
      t.day = static_cast<uint16_t>(day);
      t.hour = static_cast<uint16_t>(hour);
      t.minute = static_cast<uint16_t>(minute);
      t.second = static_cast<uint16_t>(second);
      config.startTime = t;
      return "";
    }
    return "date YYYY-MM-DD HH:MM:SS";
  }
  return "unknown line '" + verb + "'";
}

}  // namespace

bool HeadlessParseScript(const std::string& text, HeadlessConfig& config, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    number++;
    if (const size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) continue;
    std::string problem;
    if (w[0] == "at") {
      long long time;
      if (w.size() < 3 || !ParseNumber(w[1], time) || time < 0 || time > UINT32_MAX / 2) {
        problem = "at TIME STEP...";
      } else {
        problem = ParseTimed(static_cast<uint32_t>(time), {w.begin() + 2, w.end()}, config);
      }
    } else {
      problem = ParseSetup(w, config);
    }
    if (!problem.empty()) {
      error = "line " + std::to_string(number) + ": " + problem;
      return false;
    }
  }
  // Steps of equal time keep the order they were written in.
  std::stable_sort(config.steps.begin(), config.steps.end(),
                   [](const HeadlessStep& a, const HeadlessStep& b) { return a.time < b.time; });
  return true;
}
