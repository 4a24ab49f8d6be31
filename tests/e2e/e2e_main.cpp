// Entry point of the e2e tests: one Wine session for the whole run, made
// before the first test and stopped after the last, so no wineserver of the
// build's prefix outlives the run.
#include <gtest/gtest.h>

#include <exception>

#include "harness.hpp"

namespace {

class WineSession : public ::testing::Environment {
 public:
  void SetUp() override {
    try {
      vx::e2e::start_wine();
    } catch (const std::exception& e) {
      FAIL() << "cannot start Wine: " << e.what();
    }
  }
  void TearDown() override {
    try {
      vx::e2e::stop_wine();
    } catch (const std::exception& e) {
      ADD_FAILURE() << "cannot stop Wine: " << e.what();
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new WineSession);
  return RUN_ALL_TESTS();
}
