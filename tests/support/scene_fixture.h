// A fixture for drawing scenes on the headless engine: the engine started, the game state
// fresh, pictures read from a data folder of the test's own, no background or character kept.
#pragma once

#include "app/app.h"
#include "scenario/game_state.h"
#include "screens/background.h"
#include "screens/main_flow.h"
#include "support/engine_fixture.h"
#include "support/test_data.h"

class SceneTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    DataDir = data.path.string();
    GameStateReset();
    PlayMode = PlayModeTitle;
    BackGrp = 0;
    CharPalettes = 0;
    RangeChar[0] = RangeChar[1] = kRangeFree;
    RangePrevChar[0] = RangePrevChar[1] = kRangeFree;
  }
  void TearDown() override {
    DataDir.clear();
    PlayMode = PlayModeTitle;
    BackGrp = 0;
    CharPalettes = 0;
    EngineTest::TearDown();
  }

  TempDir data;  // the data folder
};
