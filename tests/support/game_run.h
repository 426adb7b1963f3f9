// Runs of the game binary on the headless backend, the way a script or a player starts it:
// input scripts, the demo data in a folder of the test's own, the game state a run leaves.
#pragma once

#include <filesystem>
#include <string>

#include "scenario/game_state.h"
#include "support/files.h"

// Writes `text` as the input script "input.txt" in `dir`; answers its path.
std::string WriteScript(const std::filesystem::path& dir, const std::string& text);

// Runs "lanternia3 --headless `arguments`"; answers the exit status and fills `output` with
// what the game wrote.
int RunHeadless(const std::string& arguments, std::string& output);

// Links every file of the demo data into `dir`, so that whatever a run writes stays there.
void LinkDemoData(const std::filesystem::path& dir);

// Plays scenario `number` headless on the data in `dir` with the input `script`; answers the exit
// status, fills `output` and, when the game ended and wrote it (--dump-state), `end` with the
// state left (a test failure when that record has the wrong size).
int PlayScenario(const std::filesystem::path& dir, const std::string& number,
                 const std::string& script, std::string& output, GameState& end);
// The same for a game started as a player starts it (at the title), with further `arguments`.
int PlayGame(const std::filesystem::path& dir, const std::string& arguments,
             const std::string& script, std::string& output, GameState& end);
