// lntr3tool run as a modder runs it: in a temporary folder of its own, file names relative to
// it, the exit status and everything it printed kept for the checks.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "support/files.h"
#include "support/test_data.h"

class ToolRunTest : public ::testing::Test {
 protected:
  // Runs "lntr3tool ARGS" in the folder; answers the exit status.
  int Tool(const std::string& args) {
    return RunCommand("cd '" + dir.path.string() + "' && '" + kToolBinary + "' " + args, output);
  }
  bool Said(const std::string& text) const { return output.find(text) != std::string::npos; }
  std::filesystem::path At(const std::string& name) const { return dir.path / name; }
  // Runs a command that must fail with status 1 and one line naming `reason`.
  void ExpectRefused(const std::string& args, const std::string& reason) {
    EXPECT_EQ(Tool(args), 1) << args;
    EXPECT_TRUE(Said(reason)) << args << ": " << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << args << ": " << output;
  }

  TempDir dir;
  std::string output;
};
