#pragma once
// The million-customer sample the engine benchmarks share: generated once into the temp
// directory (kept for later runs), then loaded once per process into a TSQLiteTable.

#include <filesystem>
#include <memory>
#include <string>

#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/data/sqlite_table.h>

namespace vantor::bench {

inline constexpr int kCustomers = 1'000'000;

inline std::string MillionSamplePath() {
  const std::string path = (std::filesystem::temp_directory_path() / "vantor_bench_sample_1m.db").string();
  EnsureSampleDatabase(path, {}, kCustomers, 1000);
  return path;
}

// The customers table, open, with its source; one per process.
struct Customers {
  Customers() : table(nullptr), source(nullptr) {
    table.SetDatabaseName(MillionSamplePath());
    table.SetTableName("customers");
    table.Open();
    source.SetDataSet(&table);
  }
  ~Customers() { source.SetDataSet(nullptr); }
  TSQLiteTable table;
  TDataSource source;

  static Customers& Get() {
    static Customers instance;
    return instance;
  }
};

}  // namespace vantor::bench
