// The throwaway server of the tests: reachable over its socket only, with durability off,
// and gone without a trace when its owner ends, normally or not.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/pg_environment.h"

namespace vantor::testing_support {
namespace {

using PgServerTest = PgTest;

TEST_F(PgServerTest, ListensOnItsSocketOnlyWithDurabilityOff) {
  EXPECT_EQ(PgValue(ConnInfo(), "SHOW listen_addresses"), "");
  EXPECT_EQ(PgValue(ConnInfo(), "SHOW unix_socket_directories"), Server().Directory());
  EXPECT_EQ(PgValue(ConnInfo(), "SHOW fsync"), "off");
  EXPECT_EQ(PgValue(ConnInfo(), "SHOW synchronous_commit"), "off");
  EXPECT_EQ(PgValue(ConnInfo(), "SHOW full_page_writes"), "off");
  EXPECT_EQ(PgValue(ConnInfo(), "SHOW server_encoding"), "UTF8");
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT current_database()"), "pgservertest_listensonitssocketonlywithdurabilityoff");
  // Each test's database starts empty.
  EXPECT_EQ(PgValue(ConnInfo(), "SELECT count(*) FROM pg_tables WHERE schemaname = 'public'"), "0");
}

TEST_F(PgServerTest, RaisesTheServersMessageForABadStatement) {
  Exec("CREATE TABLE t (a int)");
  try {
    Exec("INSERT INTO missing VALUES (1)");
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("\"missing\" does not exist"), std::string::npos) << e.what();
  }
}

// Polls for up to 30 s until the directory is gone.
bool Vanishes(const std::string& dir) {
  for (int i = 0; i < 300; ++i) {
    if (!std::filesystem::exists(dir)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

TEST_F(PgServerTest, AServerOfItsOwnIsRemovedWhenDestroyed) {
  std::string dir;
  {
    const std::unique_ptr<PgServer> own = PgServer::Start();
    dir = own->Directory();
    EXPECT_NE(dir, Server().Directory());
    EXPECT_EQ(PgValue(own->ConnInfo(), "SELECT 6 * 7"), "42");
  }
  EXPECT_FALSE(std::filesystem::exists(dir));
}

TEST_F(PgServerTest, TheWatchdogCleansUpAfterAProgramThatDied) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // A program that starts a server and dies without stopping it.
    close(fds[0]);
    try {
      std::unique_ptr<PgServer> server = PgServer::Start();
      const std::string dir = server->Directory() + "\n";
      [[maybe_unused]] const ssize_t n = write(fds[1], dir.data(), dir.size());
      server.release();  // never destroyed: the process ends at once
    } catch (...) {
    }
    _exit(0);
  }
  close(fds[1]);
  std::string dir;
  char c = 0;
  while (read(fds[0], &c, 1) == 1 && c != '\n') dir += c;
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(Vanishes(dir)) << dir;
}

}  // namespace
}  // namespace vantor::testing_support
