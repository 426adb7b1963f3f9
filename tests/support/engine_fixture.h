// A fixture that starts the engine's frame on the headless backend the way start-up does:
// fresh memory table, start values, a window with its frames and menu.
#pragma once

#include <gtest/gtest.h>

#include "app/app.h"
#include "app/settings.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "resources/memory.h"

class EngineTest : public ::testing::Test {
 protected:
  // `config` describes the pretend machine and its settings store; `wndProc` receives the
  // window's messages (the engine's own unless a test watches them).
  void StartEngine(const HeadlessConfig& config = HeadlessConfig{}, PlatWndProc wndProc = WndProc) {
    HeadlessConfigure(config);
    MemFreeAll();
    MemReset();
    SetDefaults();
    PlatWindowDesc desc;
    desc.sjisTitle = "test";
    desc.wndProc = wndProc;
    desc.menu = SettingsMenu();
    ASSERT_TRUE(PlatCreateWindow(desc));
    // Nothing left over from an earlier test.
    PlatMsg msg;
    while (PlatPeekMessage(msg, true) && msg.message != WM_PAINT && msg.message != WM_TIMER) {
    }
    PlatKillTimer(1);
  }
  void SetUp() override { StartEngine(); }
  void TearDown() override {
    PlatKillTimer(1);
    MemFreeAll();
  }
};
