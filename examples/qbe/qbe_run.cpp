#include "qbe_run.h"

#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>
#include <vector>

#include "engines/filter_panel.h"
#include "engines/find_panel.h"
#include "platform/data/data_source.h"
#include "platform/data/sample_database.h"
#include "platform/data/sqlite_connection.h"
#include "platform/data/sqlite_table.h"
#include "platform/rtl/ansi_strings.h"
#include "platform/rtl/exceptions.h"
#include "platform/ui/application.h"
#include "qbe_output.h"

namespace qbe {
namespace fs = std::filesystem;
using namespace vantor;

namespace {

// The sample's size: big enough that an index seek and a walk differ visibly, small
// enough to generate in a few seconds on first use.
constexpr int kSampleCustomers = 100'000;
constexpr int kSampleOrders = 250'000;
constexpr const char* kSampleTable = "customers";
constexpr long kDefaultTableRows = 20;

std::string Join(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

std::vector<std::string> TableNames(const SQLiteConnection& db) {
  std::vector<std::string> names;
  SQLiteStatement list(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name");
  while (list.Step()) names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list.Handle(), 0)));
  return names;
}

std::string ChooseTable(const SQLiteConnection& db, const Options& o, bool sample) {
  const std::vector<std::string> tables = TableNames(db);
  if (!o.table.empty()) {
    for (const std::string& t : tables) {
      if (AnsiSameText(t, o.table)) return t;
    }
    throw RequestError("no table '" + o.table + "' in " + db.Path() + "; tables: " + Join(tables));
  }
  if (sample) return kSampleTable;
  if (tables.size() == 1) return tables.front();
  if (tables.empty()) throw RequestError(db.Path() + " has no tables");
  throw RequestError(db.Path() + " has several tables; choose one with --table: " + Join(tables));
}

std::string FieldList(const TDataSet& data_set) {
  std::vector<std::string> names;
  for (int i = 0; i < data_set.FieldCount(); ++i) names.push_back(data_set.Fields(i)->FieldName());
  return Join(names);
}

std::string IndexList(const TTable& table) {
  std::vector<std::string> names;
  for (int i = 0; i < table.IndexDefs().Count(); ++i) {
    const TIndexDef& def = table.IndexDefs().Items(i);
    names.push_back(def.Name() + " (" + def.Fields() + ")");
  }
  return names.empty() ? std::string("none") : Join(names);
}

TCompareType ToCompare(CompareMode m) {
  switch (m) {
    case CompareMode::Exact: return ctExact;
    case CompareMode::Initial: return ctInitial;
    case CompareMode::Internal: return ctInternal;
  }
  return ctExact;
}

TFindOptions ToFindOptions(FindMode m) {
  switch (m) {
    case FindMode::Exact: return foIndexExact;
    case FindMode::Nearest: return foIndexNearest;
    case FindMode::Fast: return foFast;
    case FindMode::Normal: return foNormal;
  }
  return foFast;
}

std::string TypeName(TFieldType type) {
  std::string name(FieldTypeName(type));
  return name.size() > 2 ? name.substr(2) : name;  // "ftInteger" -> "Integer"
}

// Converts one typed bound; the message names the field and its type.
Variant ValueOf(const TFieldRecord& record, const Criterion& c, const std::string& text) {
  try {
    return record.TextToVariant(text);
  } catch (const vantor::Exception& e) {
    throw RequestError("'" + text + "' is not a value of field '" + record.GetFieldName() + "' (" +
                       TypeName(record.GetDataType()) + "): " + e.Message() + " [in " + c.text + "]");
  }
}

// Enters every criterion on the panel; the values stay pending until the search or
// filter applies them.
void EnterCriteria(TPanelFieldsSet& panel, const TDataSet& data_set, const Options& o) {
  for (const Criterion& c : o.criteria) {
    TFieldRecord* record = panel.FindField(c.field);
    if (record == nullptr) {
      if (const TField* field = data_set.FindField(c.field)) {
        // The filter panel takes no criteria for memos and calculated fields.
        throw RequestError("field '" + field->FieldName() + "' (" + TypeName(field->DataType()) +
                           ") cannot be searched by example");
      }
      throw RequestError("unknown field '" + c.field + "'; fields: " + FieldList(data_set));
    }
    record->SetCount(c.range ? coTwo : coOne);
    if (o.compare) record->SetCompare(ToCompare(*o.compare));
    record->SetCaseInsensitive(!o.case_sensitive);
    const Variant low = c.low ? ValueOf(*record, c, *c.low) : Variant::Null();
    const Variant high = c.high ? ValueOf(*record, c, *c.high) : Variant::Null();
    record->SetValues(0, low);
    record->SetValues(1, c.range ? high : Variant::Null());
  }
}

std::vector<std::string> CurrentRow(const TDataSet& data_set) {
  std::vector<std::string> row;
  row.reserve(static_cast<std::size_t>(data_set.FieldCount()));
  for (int i = 0; i < data_set.FieldCount(); ++i) row.push_back(data_set.Fields(i)->AsString());
  return row;
}

ResultTable EmptyResult(const TDataSet& data_set) {
  ResultTable t;
  for (int i = 0; i < data_set.FieldCount(); ++i) {
    const TField* f = data_set.Fields(i);
    t.headers.push_back(f->FieldName());
    t.right_aligned.push_back(f->Alignment() == taRightJustify);
  }
  return t;
}

double MillisSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::string Millis(double ms) {
  std::ostringstream s;
  s.setf(std::ios::fixed);
  s.precision(ms < 10 ? 3 : 1);
  s << ms << " ms";
  return s.str();
}

}  // namespace

std::string SampleDatabasePath() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache != 0) {
    return (fs::path(cache) / "vantor" / "sample.db").string();
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0) {
    return (fs::path(home) / ".cache" / "vantor" / "sample.db").string();
  }
  return "vantor-sample.db";
}

void EnsureSampleDatabase(const std::string& path, std::ostream& log) {
  if (fs::exists(path)) return;
  const fs::path target(path);
  if (target.has_parent_path()) fs::create_directories(target.parent_path());
  log << "qbe: generating the sample database at " << path << " (first run)...\n";
  // Written under another name and renamed, so an interrupted run leaves no half file.
  const std::string temporary = path + ".part" + std::to_string(::getpid());
  try {
    CreateSampleDatabase(temporary, kSampleCustomers, kSampleOrders);
    fs::rename(temporary, target);
  } catch (...) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw;
  }
}

void Run(const Options& o, std::ostream& out, std::ostream& log) {
  const bool sample = o.db.empty();
  const std::string path = sample ? SampleDatabasePath() : o.db;
  if (sample) EnsureSampleDatabase(path, log);
  else if (!fs::is_regular_file(path)) throw RequestError("database file '" + path + "' not found");

  std::string table_name;
  auto table = std::make_unique<TSQLiteTable>(nullptr);
  {
    const SQLiteConnection db(path);
    table_name = ChooseTable(db, o, sample);
  }
  table->SetDatabaseName(path);
  table->SetTableName(table_name);
  const auto load_start = std::chrono::steady_clock::now();
  table->Open();
  const double load_ms = MillisSince(load_start);
  if (!o.index.empty()) {
    if (table->IndexDefs().IndexOf(o.index) < 0) {
      throw RequestError("table '" + table_name + "' has no index '" + o.index + "'; indexes: " + IndexList(*table));
    }
    table->SetIndexName(o.index);
  }

  TDataSource source(nullptr);
  source.SetDataSet(table.get());
  ResultTable result = EmptyResult(*table);
  std::size_t total = 0;
  double run_ms = 0;
  std::string what;
  const long limit = o.limit >= 0 ? o.limit : (o.csv ? -1 : kDefaultTableRows);
  auto room = [&] { return limit < 0 || static_cast<long>(result.rows.size()) < limit; };

  if (o.action == Action::Filter) {
    TDBFilterPanel panel(nullptr);
    panel.SetUpdateState(usNone);
    panel.SetDataSource(&source);
    EnterCriteria(panel, *table, o);
    const auto start = std::chrono::steady_clock::now();
    panel.BeginUpdate();
    panel.SetFiltered(true);
    panel.ValuesChanged();
    panel.EndUpdate();  // one filter pass over the table
    total = static_cast<std::size_t>(table->RecordCount());
    run_ms = MillisSince(start);
    table->DisableControls();
    for (table->First(); !table->Eof() && room(); table->Next()) result.rows.push_back(CurrentRow(*table));
    table->EnableControls();
    what = "filter";
  } else {
    TDBFindPanel panel(nullptr);
    panel.SetUpdateState(usNone);
    panel.SetShowBox(true);
    panel.SetDataSource(&source);
    EnterCriteria(panel, *table, o);
    // After the criteria: in the index modes a setting that contradicts the index
    // would take the panel back to foFast.
    panel.SetFindOptions(ToFindOptions(o.mode));
    Application->ClearMessageBoxes();
    for (int i = 0; i <= o.next; ++i) {
      panel.SetRestart(i == 0);
      const auto start = std::chrono::steady_clock::now();
      const bool found = panel.Locate();
      run_ms += MillisSince(start);
      if (!found) break;
      ++total;
      if (room()) result.rows.push_back(CurrentRow(*table));
    }
    for (const auto& box : Application->MessageBoxes()) log << "qbe: " << box.text << '\n';
    what = "find";
  }

  std::ostringstream summary;
  summary << total << (total == 1 ? " record" : " records") << (o.action == Action::Filter ? " match" : " found")
          << " (" << what << " on " << table_name << ", " << table->IndexDefs().Count() << " indexes, ";
  if (!o.index.empty()) summary << "index " << o.index << ", ";
  summary << "loaded in " << Millis(load_ms) << ", " << what << " took " << Millis(run_ms) << ")\n";

  if (o.csv) {
    WriteCsv(out, result);
    log << summary.str();
  } else {
    WriteAligned(out, result, total);
    out << summary.str();
  }
  source.SetDataSet(nullptr);
}

}  // namespace qbe
