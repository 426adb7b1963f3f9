// What the fuzz targets share: the engine on the headless backend inside one long-lived
// process, every end of the game (a refused input's fatal box, the headless time limit) turned
// into a clean return to the target, and a private data directory for files an input becomes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "platform/headless/headless.h"

// Thrown in place of the end of the process; the targets catch it in FuzzGuard.
struct FuzzEnd {
  int status;
};

// Starts the headless platform afresh (virtual clock at 0, empty queue, the given pretend
// machine), with a fresh memory table, start values and the game's window with its frames.
// The data directory is the run's own, emptied.
void FuzzStartEngine(const HeadlessConfig& config = HeadlessConfig{});
// The same without a window or memory table: only the platform (the data directory is the
// run's own, as the last input left it).
void FuzzStartPlatform();
// Removes every file of the data directory.
void FuzzEmptyDataDir();
// Frees every block the input left, so that nothing is taken for a leak.
void FuzzStopEngine();

// The run's private data directory (made on first use, removed when the process ends).
const std::filesystem::path& FuzzDataDir();
// Writes `bytes` as file `name` of the data directory.
void FuzzWriteData(const std::string& name, std::span<const uint8_t> bytes);

// Runs `body`; an end of the game inside it is a clean return. Answers whether it ran through.
template <class Body>
bool FuzzGuard(Body&& body) {
  try {
    body();
    return true;
  } catch (const FuzzEnd&) {
    return false;
  }
}

// A property of the code under test that failed: prints `what` and aborts, so libFuzzer keeps
// the input as a crash.
[[noreturn]] void FuzzFail(const char* what);
#define FUZZ_CHECK(condition) \
  ((condition) ? (void)0 : FuzzFail(__FILE__ ": check failed: " #condition))
