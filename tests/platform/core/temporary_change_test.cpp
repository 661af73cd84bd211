// Scoped state of the host's brackets: a temporary value that comes back on every path,
// and a closing call whose error propagates on a normal exit but never ends the program
// while another error is unwinding.

#include <vantor/platform/core/temporary_change.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {
namespace {

TEST(TemporaryChange, SetsForTheScopeAndRestoresOnEveryPath) {
  std::string mode = "browse";
  {
    TemporaryChange filtering(mode, "filter");
    EXPECT_EQ(mode, "filter");
    EXPECT_EQ(filtering.Saved(), "browse");
    {
      TemporaryChange nested(mode, "calc");
      EXPECT_EQ(mode, "calc");
    }
    EXPECT_EQ(mode, "filter");
  }
  EXPECT_EQ(mode, "browse");

  int level = 1;
  try {
    TemporaryChange raised(level, 5);
    throw EConvertError("bad");
  } catch (const EConvertError&) {
  }
  EXPECT_EQ(level, 1);
}

TEST(ScopeExit, ClosingErrorPropagatesOnANormalExit) {
  std::vector<std::string> log;
  try {
    ScopeExit close([&] {
      log.push_back("close");
      throw EDatabaseError("link refused");
    });
    log.push_back("body");
  } catch (const EDatabaseError& e) {
    log.push_back(e.what());
  }
  EXPECT_EQ(log, (std::vector<std::string>{"body", "close", "link refused"}));
}

TEST(ScopeExit, ClosingErrorWhileUnwindingIsDroppedAndTheFirstGoesOn) {
  std::vector<std::string> log;
  try {
    ScopeExit outer([&] {
      log.push_back("outer");
      throw EDatabaseError("outer refused");
    });
    ScopeExit inner([&] {
      log.push_back("inner");
      throw EDatabaseError("inner refused");
    });
    throw EConvertError("first");
  } catch (const EConvertError& e) {
    log.push_back(e.what());
  } catch (const EDatabaseError& e) {
    log.push_back(std::string("wrong error: ") + e.what());
  }
  // Both brackets were still closed, innermost first.
  EXPECT_EQ(log, (std::vector<std::string>{"inner", "outer", "first"}));
}

// A guard made inside a destructor that runs during unwinding: its own scope ends
// normally, so its error propagates to the destructor, which must then deal with it.
// CloseScope measures against the count when the guard was made, not against zero.
struct CleansUpOnUnwind {
  std::vector<std::string>& log;
  ~CleansUpOnUnwind() {
    try {
      ScopeExit close([&] { throw EDatabaseError("cleanup refused"); });
    } catch (const EDatabaseError& e) {
      log.push_back(std::string("caught in cleanup: ") + e.what());
    }
  }
};

TEST(ScopeExit, AGuardMadeDuringUnwindingStillReportsItsOwnError) {
  std::vector<std::string> log;
  try {
    CleansUpOnUnwind cleanup{log};
    throw EConvertError("first");
  } catch (const EConvertError& e) {
    log.push_back(e.what());
  }
  EXPECT_EQ(log, (std::vector<std::string>{"caught in cleanup: cleanup refused", "first"}));
}

TEST(ScopeExit, ReleasedGuardDoesNotClose) {
  int closed = 0;
  {
    ScopeExit close([&] { ++closed; });
    close.Release();
  }
  EXPECT_EQ(closed, 0);
}

}  // namespace
}  // namespace vantor
