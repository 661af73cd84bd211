#pragma once
// Shared set-up of the form, application and control tests: every test starts with a
// fresh screen, application record, empty script and beep log, and leaves them so.

#include <gtest/gtest.h>

#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/screen.h>
#include <vantor/platform/ui/scripted_user.h>
#include <vantor/platform/ui/system.h>

namespace vantor::testing {

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetAll(); }
  void TearDown() override {
    // A test that leaves steps behind did not play what it scripted.
    EXPECT_TRUE(ScriptedUser().Empty()) << ScriptedUser().Pending() << " scripted steps unplayed";
    ResetAll();
  }
  static void ResetAll() {
    ScriptedUser().Clear();
    Application->Reset();
    Application->OnException.Clear();
    Application->OnHelp.Clear();
    Screen->Reset();
    ClearBeepLog();
  }
};

}  // namespace vantor::testing
