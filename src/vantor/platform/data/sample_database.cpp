#include <vantor/platform/data/sample_database.h>

#include <sqlite3.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string_view>
#include <system_error>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

constexpr std::array<std::string_view, 24> kFirstNames = {
    "Anna",  "Ben",   "Carla", "David", "Emma",  "Felix", "Greta", "Hugo",  "Ines",   "Jonas", "Klara",  "Lukas",
    "Marta", "Nils",  "Olga",  "Paul",  "Quinn", "Rosa",  "Sven",  "Tara",  "Ulrich", "Vera",  "Walter", "Zoe"};
constexpr std::array<std::string_view, 24> kLastNames = {
    "Smith", "Miller", "Müller",  "Schmidt", "Jones", "Brown",  "Garcia", "Martin", "Ørsted", "Çelik", "Novak", "Rossi",
    "Dubois", "Weber", "Fischer", "Wagner", "Becker", "Hoffmann", "Lopez", "Costa", "Silva", "Nagy",  "Kowalski", "Berg"};
constexpr std::array<std::string_view, 12> kCities = {"Berlin", "Paris",  "Madrid", "Rome",   "Vienna", "Prague",
                                                       "Oslo",   "Lisbon", "Athens", "Zürich", "Dublin", "Warsaw"};
constexpr std::array<std::string_view, 12> kCountries = {"Germany", "France", "Spain",       "Italy",  "Austria",
                                                          "Czechia", "Norway", "Portugal",    "Greece", "Switzerland",
                                                          "Ireland", "Poland"};
constexpr std::array<std::string_view, 6> kNotes = {
    "Prefers delivery in the morning.", "Pays by invoice.", "Asked for the new catalogue.",
    "Long-standing customer; handle with care.", "Moved recently; check the address.",
    "Multi-line note:\nfirst line\nsecond line"};

// Owns the database handle while the file is written.
class Writer {
 public:
  explicit Writer(const std::string& path) {
    std::remove(path.c_str());
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
      const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      db_ = nullptr;
      throw EDatabaseError("Cannot create database \"" + path + "\": " + message);
    }
  }
  ~Writer() {
    for (sqlite3_stmt* s : statements_) sqlite3_finalize(s);
    sqlite3_close(db_);
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  void Exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
      const std::string text = message != nullptr ? message : "?";
      sqlite3_free(message);
      throw EDatabaseError("SQLite error: \"" + text + "\" in \"" + sql + "\"");
    }
  }
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK) Fail(sql);
    statements_.push_back(s);
    return s;
  }
  void Run(sqlite3_stmt* s) {
    if (sqlite3_step(s) != SQLITE_DONE) Fail(sqlite3_sql(s));
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
  }
  [[noreturn]] void Fail(const char* sql) {
    throw EDatabaseError("SQLite error: \"" + std::string(sqlite3_errmsg(db_)) + "\" in \"" + sql + "\"");
  }

 private:
  sqlite3* db_ = nullptr;
  std::vector<sqlite3_stmt*> statements_;
};

// Deterministic on every platform: mt19937's sequence is fixed by the standard, and the
// ranges are taken by plain arithmetic rather than by the library's distributions.
class Random {
 public:
  Random() : engine_(20240607u) {}
  int Below(int n) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }

 private:
  std::mt19937 engine_;
};

void BindText(sqlite3_stmt* s, int i, const std::string& text) {
  sqlite3_bind_text(s, i, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string Date(int year, int month, int day) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
  return buffer;
}

std::string Time(int h, int m, int s) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", h, m, s);
  return buffer;
}

std::string Money(std::int64_t cents) {
  const std::int64_t magnitude = cents < 0 ? -cents : cents;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%s%lld.%02lld", cents < 0 ? "-" : "", static_cast<long long>(magnitude / 100),
                static_cast<long long>(magnitude % 100));
  return buffer;
}

void WriteCustomers(Writer& w, Random& r, int customers) {
  sqlite3_stmt* s = w.Prepare(
      "INSERT INTO customers (id, name, city, country, email, credit_limit, balance, rating, visits, born, active, "
      "created, notes) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)");
  for (int id = 1; id <= customers; ++id) {
    std::string last(kLastNames[static_cast<std::size_t>(r.Below(kLastNames.size()))]);
    // A few names differ from others only in letter case.
    if (r.Chance(3)) {
      for (char& c : last) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    } else if (r.Chance(3)) {
      for (char& c : last) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    const std::string first(kFirstNames[static_cast<std::size_t>(r.Below(kFirstNames.size()))]);
    const std::string name = last + ", " + first;
    const int place = r.Below(kCities.size());
    sqlite3_bind_int(s, 1, id);
    BindText(s, 2, name);
    if (!r.Chance(5)) BindText(s, 3, std::string(kCities[static_cast<std::size_t>(place)]));
    BindText(s, 4, std::string(kCountries[static_cast<std::size_t>(place)]));
    if (!r.Chance(3)) BindText(s, 5, first + "." + std::to_string(id) + "@example.com");
    BindText(s, 6, Money(static_cast<std::int64_t>(r.Below(2000)) * 500));
    BindText(s, 7, Money(static_cast<std::int64_t>(r.Below(2000000)) - 500000));
    if (!r.Chance(5)) sqlite3_bind_double(s, 8, r.Below(501) / 100.0);
    sqlite3_bind_int(s, 9, r.Below(1000));
    if (!r.Chance(10)) BindText(s, 10, Date(1940 + r.Below(65), 1 + r.Below(12), 1 + r.Below(28)));
    sqlite3_bind_int(s, 11, r.Chance(80) ? 1 : 0);
    BindText(s, 12, Date(2010 + r.Below(15), 1 + r.Below(12), 1 + r.Below(28)) + " " +
                        Time(r.Below(24), r.Below(60), r.Below(60)));
    if (r.Chance(40)) BindText(s, 13, std::string(kNotes[static_cast<std::size_t>(r.Below(kNotes.size()))]));
    w.Run(s);
  }
}

void WriteOrders(Writer& w, Random& r, int customers, int orders) {
  if (customers <= 0) return;
  sqlite3_stmt* s = w.Prepare(
      "INSERT INTO orders (id, customer_id, order_date, ship_time, quantity, amount, discount, shipped, note) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
  for (int id = 1; id <= orders; ++id) {
    sqlite3_bind_int(s, 1, id);
    sqlite3_bind_int(s, 2, 1 + r.Below(customers));
    BindText(s, 3, Date(2015 + r.Below(10), 1 + r.Below(12), 1 + r.Below(28)));
    if (!r.Chance(15)) BindText(s, 4, Time(6 + r.Below(14), r.Below(60), 0));
    sqlite3_bind_int(s, 5, 1 + r.Below(250));
    BindText(s, 6, Money(100 + static_cast<std::int64_t>(r.Below(500000))));
    if (!r.Chance(50)) sqlite3_bind_double(s, 7, r.Below(31) / 100.0);
    sqlite3_bind_int(s, 8, r.Chance(70) ? 1 : 0);
    if (r.Chance(10)) BindText(s, 9, "Deliver to the back door.");
    w.Run(s);
  }
}

}  // namespace

void CreateSampleDatabase(const std::string& path, int customers, int orders) {
  Writer w(path);
  w.Exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;");
  w.Exec(
      "CREATE TABLE customers ("
      " id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL, city VARCHAR(30), country VARCHAR(20),"
      " email VARCHAR(60), credit_limit MONEY, balance NUMERIC(12,2), rating REAL, visits SMALLINT,"
      " born DATE, active BOOLEAN, created DATETIME, notes CLOB);"
      "CREATE TABLE orders ("
      " id INTEGER PRIMARY KEY, customer_id INTEGER NOT NULL, order_date DATE NOT NULL, ship_time TIME,"
      " quantity SMALLINT, amount MONEY, discount REAL, shipped BOOLEAN, note CLOB);");
  Random r;
  w.Exec("BEGIN");
  WriteCustomers(w, r, customers);
  WriteOrders(w, r, customers, orders);
  w.Exec("COMMIT");
  // Indexes after the rows: one sort each instead of a million insertions.
  w.Exec(
      "CREATE INDEX customers_name ON customers (name COLLATE NOCASE);"
      "CREATE INDEX customers_city_name ON customers (city, name);"
      "CREATE INDEX customers_limit_desc ON customers (credit_limit DESC);"
      "CREATE UNIQUE INDEX customers_email ON customers (email);"
      "CREATE INDEX orders_customer_date ON orders (customer_id, order_date DESC);"
      "CREATE INDEX orders_date ON orders (order_date);"
      "CREATE INDEX orders_amount_desc ON orders (amount DESC);");
}

std::string SampleDatabasePath() {
  namespace fs = std::filesystem;
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache != 0) {
    return (fs::path(cache) / "vantor" / "sample.db").string();
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0) {
    return (fs::path(home) / ".cache" / "vantor" / "sample.db").string();
  }
  return "vantor-sample.db";
}

bool EnsureSampleDatabase(const std::string& path, const SampleDatabaseNotice& notice, int customers, int orders) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::exists(path, error)) return false;
  const fs::path target(path);
  if (target.has_parent_path() && !fs::create_directories(target.parent_path(), error) && error) {
    throw EDatabaseError("Cannot create database \"" + path + "\": " + error.message());
  }
  if (notice) notice(path);
  const std::string temporary = path + ".part" + std::to_string(::getpid());
  try {
    CreateSampleDatabase(temporary, customers, orders);
    fs::rename(temporary, target, error);
    if (error) throw EDatabaseError("Cannot create database \"" + path + "\": " + error.message());
  } catch (...) {
    fs::remove(temporary, error);
    throw;
  }
  return true;
}

}  // namespace vantor
