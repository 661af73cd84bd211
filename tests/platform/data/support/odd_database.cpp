#include "odd_database.h"

#include <sqlite3.h>

#include <stdexcept>

namespace vantor::testing_support {

void WriteOddDatabase(const std::string& path) {
  static const char* const kScript = R"sql(
CREATE TABLE "odd things" (
  "item id" INTEGER PRIMARY KEY,
  big INTEGER,
  stamp DATETIME,
  day DATE,
  at TIME,
  julian DATETIME,
  unix TIMESTAMP,
  untyped,
  loose,
  qty INTEGER,
  "unit price" REAL,
  total REAL GENERATED ALWAYS AS (qty * "unit price") VIRTUAL,
  note TEXT,
  raw BLOB
);
INSERT INTO "odd things" VALUES
  (1, 5000000000, '2024-01-05T10:30:00.250+02:00', '2024-01-05', '10:30', 2460314.5, 1704450600, 7, 'x', 3, 2.5, 'plain', x'00FF10'),
  (2, -9223372036854775808, '2024-01-06 08:00:00Z', '2023-12-31', '23:59:59', 2460316.25, 1704528000, 8, 12, 'lots', 1.0, 'tab' || char(9) || 'and' || char(10) || 'line', NULL),
  (3, 42, '2024-02-29 12:00', NULL, '00:00:00.5', NULL, 0, 9, 3.5, 10, NULL, 'Müller', x''),
  (4, 9223372036854775807, NULL, '1999-12-31', NULL, 2451544.5, NULL, 10, NULL, 4, 0.5, CAST(x'41C3' AS TEXT), x'414243');
CREATE INDEX odd_big ON "odd things"(big);
CREATE VIEW "big ones" AS SELECT "item id", big, note FROM "odd things" WHERE big > 2147483647 OR big < -2147483648;
CREATE TABLE codes (
  code TEXT NOT NULL,
  region TEXT NOT NULL,
  "full name" TEXT,
  since DATE,
  PRIMARY KEY (region, code)
) WITHOUT ROWID;
INSERT INTO codes VALUES ('DE', 'EU', 'Germany', '1990-10-03'), ('FR', 'EU', 'France', '1958-10-04'),
  ('US', 'AM', 'United States', '1776-07-04');
CREATE TABLE customers (city TEXT, name TEXT, id INTEGER PRIMARY KEY, "credit limit" REAL);
INSERT INTO customers VALUES ('Berlin', 'Weber', 1, 1500.0), ('Roma', 'Rossi', 2, 900.0), ('Berlin', 'Meyer', 3, NULL);
)sql";
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot create " + path);
  char* message = nullptr;
  const int rc = sqlite3_exec(db, kScript, nullptr, nullptr, &message);
  const std::string text = message != nullptr ? message : "";
  sqlite3_free(message);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error("odd database: " + text);
}

}  // namespace vantor::testing_support
