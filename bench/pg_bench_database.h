#pragma once
// The database of a PostgreSQL benchmark program: a throwaway server the program starts
// itself (as the tests do), made at the first call, with `setup` (the program's tables)
// run once in it.

#include <memory>
#include <string>

#include "support/pg_server.h"

namespace vantor::bench {

// The connection parameters of the database, or null when no server binaries are installed.
inline const std::string* PgBenchDatabase(const std::string& setup) {
  static std::unique_ptr<testing_support::PgServer> server;
  static std::string conninfo;
  if (server || !testing_support::PgServer::BinariesPresent()) return server ? &conninfo : nullptr;
  server = testing_support::PgServer::Start();
  conninfo = server->CreateDatabase("bench");
  testing_support::PgExec(conninfo, setup);
  return &conninfo;
}

}  // namespace vantor::bench
