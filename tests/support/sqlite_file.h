#pragma once
// SQLite files the tests write as another program would: a fresh path in the temp
// directory, statements run on a file, texts as SQL literals.

#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace vantor::testing_support {

// A fresh path in the test temp directory, named after `stem` (no file is there).
inline std::string TempDbPath(const std::string& stem) {
  static std::atomic<int> counter{0};
  const std::string path = ::testing::TempDir() + "vantor_" + stem + "_" + std::to_string(::getpid()) + "_" +
                           std::to_string(counter++) + ".db";
  std::remove(path.c_str());
  return path;
}

// Runs `sql` (any number of statements) on the database file at `path`, made when absent.
// std::runtime_error with SQLite's message when the file cannot be opened or a statement
// fails (the statements before it stay done).
inline void SQLiteExec(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  char* error = nullptr;
  std::string message;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
    message = "cannot open " + path;
  } else if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    message = (error != nullptr ? error : sqlite3_errmsg(db)) + std::string(" in ") + sql;
  }
  sqlite3_free(error);
  sqlite3_close(db);
  if (!message.empty()) throw std::runtime_error(message);
}

// `text` as an SQL literal (quotes doubled); NULL for no text.
inline std::string SqlLiteral(const char* text) {
  if (text == nullptr) return "NULL";
  std::string out = "'";
  for (const char* p = text; *p != 0; ++p) out += *p == '\'' ? std::string("''") : std::string(1, *p);
  return out + "'";
}

}  // namespace vantor::testing_support
