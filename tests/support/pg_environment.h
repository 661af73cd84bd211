#pragma once
// The test program's PostgreSQL server: one per program, started the first time a test
// asks for it (so programs and filters that need none pay nothing) and stopped by a
// GoogleTest global environment at the end of the run, whatever the tests' outcome.
//
// Tests derive their fixture from PgTest, which skips with the reason when no server can
// run here and gives each test a database of its own.

#include <gtest/gtest.h>

#include <string>

#include "support/pg_server.h"

namespace vantor::testing_support {

// The program's server, started on first use; null when it cannot run (see
// PgUnavailableReason).
const PgServer* SharedPgServer();
// Why SharedPgServer() is null ("" when it is not).
const std::string& PgUnavailableReason();

// Waits (up to half a minute) until the server runs a statement containing `marker`, seen
// from another connection, so that a cancel sent then is sure to meet it.
void WaitUntilRunning(const std::string& conninfo, const std::string& marker);

// A fixture with a fresh, empty database per test, named after the test.
class PgTest : public ::testing::Test {
 protected:
  void SetUp() override;
  const PgServer& Server() const { return *server_; }
  // The connection parameters of the test's database.
  const std::string& ConnInfo() const { return conninfo_; }
  // Runs SQL on the test's database.
  void Exec(const std::string& sql) const { PgExec(conninfo_, sql); }

 private:
  const PgServer* server_ = nullptr;
  std::string conninfo_;
};

}  // namespace vantor::testing_support
