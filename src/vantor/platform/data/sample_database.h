#pragma once
// The sample database of the examples, tests and benchmarks: a SQLite file with a
// `customers` and an `orders` table, filled with deterministic pseudo-random rows (a fixed
// seed, so every run writes the same data).
//
// customers: id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL, city VARCHAR(30),
//   country VARCHAR(20), email VARCHAR(60) (unique), credit_limit MONEY, balance NUMERIC,
//   rating REAL, visits SMALLINT, born DATE, active BOOLEAN, created DATETIME, notes TEXT.
//   Indexes: customers_name (name COLLATE NOCASE), customers_city_name (city, name),
//   customers_limit_desc (credit_limit DESC), customers_email (UNIQUE email).
// orders: id INTEGER PRIMARY KEY, customer_id INTEGER NOT NULL, order_date DATE NOT NULL,
//   ship_time TIME, quantity SMALLINT, amount MONEY, discount REAL, shipped BOOLEAN, note TEXT.
//   Indexes: orders_customer_date (customer_id, order_date DESC), orders_date (order_date),
//   orders_amount_desc (amount DESC).
// Some cells are null on purpose (city, email, rating, born, notes, ship_time, discount, note),
// and some names differ only in letter case, so case-insensitive orders have work to do.

#include <functional>
#include <string>

namespace vantor {

// Writes the database to `path`, replacing a file of that name. `orders` is the total
// number of orders, spread over the customers. EDatabaseError when the file cannot be written.
void CreateSampleDatabase(const std::string& path, int customers, int orders);

// The size of the programs' sample database: big enough that an index seek and a walk
// differ visibly, small enough to write in a few seconds on first use.
inline constexpr int kSampleDatabaseCustomers = 100'000;
inline constexpr int kSampleDatabaseOrders = 250'000;

// Where programs keep their sample database: $XDG_CACHE_HOME/vantor/sample.db, else
// $HOME/.cache/vantor/sample.db, else vantor-sample.db in the current folder.
std::string SampleDatabasePath();

// Called with the path before a missing sample database is written, so that a program can
// say why it waits.
using SampleDatabaseNotice = std::function<void(const std::string& path)>;

// Writes the sample database to `path` unless a file of that name exists, making its folder.
// The file appears whole or not at all: it is written under a name of this process and
// renamed, so an interrupted run or two programs starting together never leave half a
// database. Returns whether it wrote the file. EDatabaseError when it cannot be written.
bool EnsureSampleDatabase(const std::string& path, const SampleDatabaseNotice& notice = {},
                          int customers = kSampleDatabaseCustomers, int orders = kSampleDatabaseOrders);

}  // namespace vantor
