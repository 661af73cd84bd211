#include "other_program.h"

#include <sqlite3.h>

#include <stdexcept>

namespace vantor::testing_support {

OtherProgram::OtherProgram(const std::string& path) {
  if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("cannot open " + path);
  sqlite3_busy_timeout(db_, 2000);
}

OtherProgram::~OtherProgram() { sqlite3_close(db_); }

void OtherProgram::Exec(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message != nullptr ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    throw std::runtime_error(text + " in " + sql);
  }
}

std::vector<std::string> OtherProgram::Rows(const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in " + sql);
  }
  std::vector<std::string> rows;
  int step;
  while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
    std::string row;
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
      row += (c == 0 ? "" : "|") + std::string(text == nullptr ? "NULL" : text);
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(stmt);
  if (step != SQLITE_DONE) throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in " + sql);
  return rows;
}

}  // namespace vantor::testing_support
