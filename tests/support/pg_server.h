#pragma once
// PgServer: a throwaway PostgreSQL server for tests and benchmarks. Start() makes a
// cluster in a new temporary directory (initdb as the `postgres` user when run as root,
// UTF-8, C.UTF-8 locale, trust authentication), listening on a Unix socket in that
// directory only (no TCP port), with durability off (fsync, synchronous commit and full
// page writes), and starts it; the destructor stops it and removes the directory.
//
// A crashed test program cannot run the destructor, so each server has a watchdog: a
// small shell process that waits on a pipe the program holds open and, when it closes
// without the word "done" (the program died), stops the server and removes the directory.

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantor::testing_support {

class PgServer {
 public:
  // Where the server binaries are looked for.
  static constexpr const char* kBinDir = "/usr/lib/postgresql/15/bin";

  // Whether initdb and pg_ctl are installed.
  static bool BinariesPresent();
  // A running server. std::runtime_error (with the server's log) when it cannot start.
  static std::unique_ptr<PgServer> Start();
  ~PgServer();
  PgServer(const PgServer&) = delete;
  PgServer& operator=(const PgServer&) = delete;

  // The socket directory (also the cluster's parent directory).
  const std::string& Directory() const { return dir_; }
  // Connection parameters for a database of the server ("postgres" by default).
  std::string ConnInfo(const std::string& database = "postgres") const;
  // Creates an empty UTF-8 database of that name (dropping one of the same name first)
  // and returns its connection parameters.
  std::string CreateDatabase(const std::string& name) const;
  // Runs SQL statements (no results) on a database; std::runtime_error on failure.
  void Exec(const std::string& conninfo, const std::string& sql) const;

 private:
  explicit PgServer(std::string dir) : dir_(std::move(dir)) {}
  void Stop();

  std::string dir_;
  int watchdog_fd_ = -1;  // write end of the watchdog's pipe
  bool running_ = false;
};

// Runs SQL statements on a database given by its connection parameters (libpq's
// PQexec, so several statements may be separated by ";"); std::runtime_error with the
// server's message on failure.
void PgExec(const std::string& conninfo, const std::string& sql);
// The first cell of a query's result ("" for NULL), with parameters in text form
// (nullopt: NULL); std::runtime_error when it fails or returns no row.
std::string PgValue(const std::string& conninfo, const std::string& sql,
                    const std::vector<std::optional<std::string>>& params = {});

}  // namespace vantor::testing_support
