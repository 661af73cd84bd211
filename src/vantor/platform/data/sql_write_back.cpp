#include <vantor/platform/data/internal/sql_write_back.h>

#include <cassert>

namespace vantor {

std::string SqlInsert(const SqlDialect& dialect, std::string_view table, const std::vector<std::string>& columns) {
  const std::string into = "INSERT INTO " + std::string(table);
  if (columns.empty()) return into + " DEFAULT VALUES";
  std::string names, parameters;
  for (std::size_t k = 0; k < columns.size(); ++k) {
    names += (k == 0 ? "" : ", ") + dialect.quote(columns[k]);
    parameters += (k == 0 ? "" : ", ") + dialect.Parameter(k + 1);
  }
  return into + " (" + names + ") VALUES (" + parameters + ")";
}

std::string SqlUpdate(const SqlDialect& dialect, std::string_view table, const std::vector<std::string>& columns,
                      std::string_view key_condition) {
  // A post that changes no column sends no statement at all.
  assert(!columns.empty());
  std::string sets;
  for (std::size_t k = 0; k < columns.size(); ++k) {
    sets += (k == 0 ? "" : ", ") + dialect.quote(columns[k]) + " = " + dialect.Parameter(k + 1);
  }
  return "UPDATE " + std::string(table) + " SET " + sets + " WHERE " + std::string(key_condition);
}

std::string SqlDelete(std::string_view table, std::string_view key_condition) {
  return "DELETE FROM " + std::string(table) + " WHERE " + std::string(key_condition);
}

}  // namespace vantor
