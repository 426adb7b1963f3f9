// The test program's entry point. Every test runs on the headless backend: message boxes go
// to standard error and are answered OK, the clock is virtual.
#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

class HeadlessEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    PlatOptions options;
    options.backend = PlatBackendKind::Headless;
    ASSERT_TRUE(PlatInit(options));
  }
  void TearDown() override { PlatShutdown(); }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new HeadlessEnvironment);
  return RUN_ALL_TESTS();
}
