#include "qbe_run.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>
#include <vector>

#include <vantor/engines/filter_panel.h>
#include <vantor/engines/find_panel.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/index_defs.h>
#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/data/sqlite_catalog.h>
#include <vantor/platform/data/sqlite_connection.h>
#include <vantor/platform/data/sqlite_dates.h>
#include <vantor/platform/postgres/pg_table.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/date_text.h>
#include <vantor/platform/rtl/format_settings.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/application.h>
#include "qbe_output.h"

namespace qbe {
namespace fs = std::filesystem;
using namespace vantor;

namespace {

constexpr const char* kSampleTable = "customers";
constexpr long kDefaultTableRows = 20;

std::string Join(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

// The table the request names, else the file's only table (views open read-only).
std::string ChooseTable(const SQLiteConnection& db, const Options& o, bool sample) {
  const SQLiteCatalog catalog = ReadSQLiteCatalog(db);
  const std::vector<std::string>& tables = catalog.tables;
  const std::vector<std::string>& views = catalog.views;
  std::string listed = tables.empty() ? std::string("none") : Join(tables);
  if (!views.empty()) listed += "; views: " + Join(views);
  if (!o.table.empty()) {
    for (const auto* names : {&tables, &views}) {
      for (const std::string& t : *names) {
        if (AnsiSameText(t, o.table)) return t;
      }
    }
    throw RequestError("there is no table or view '" + o.table + "' in " + db.Path() + "; tables: " + listed);
  }
  if (sample) return kSampleTable;
  if (tables.size() == 1) return tables.front();
  if (tables.empty() && views.size() == 1) return views.front();
  if (tables.empty() && views.empty()) throw RequestError(db.Path() + " has no tables");
  throw RequestError(db.Path() + " has several tables; choose one with --table. Tables: " + listed);
}

bool IsDateType(TFieldType t) {
  return t == TFieldType::ftDate || t == TFieldType::ftTime || t == TFieldType::ftDateTime;
}

bool IsBlobType(TFieldType t) {
  return t == TFieldType::ftBlob || t == TFieldType::ftBytes || t == TFieldType::ftVarBytes ||
         t == TFieldType::ftGraphic || t == TFieldType::ftTypedBinary;
}

std::string IndexList(const TTable& table);

const char* ModeName(FindMode m) { return m == FindMode::Exact ? "exact" : "nearest"; }

// The index modes seek the key as typed: they need a value for the index's first field,
// and they use neither ranges, nor --compare, nor --case-sensitive, nor criteria on
// fields outside the index. The first is an error (without it the search would only
// show the first record); the rest are said on `log` so nothing is dropped unseen.
void CheckIndexMode(const TTable& table, const Options& o, std::ostream& log) {
  if (o.action != Action::Find || (o.mode != FindMode::Exact && o.mode != FindMode::Nearest)) return;
  const std::string mode = std::string("--mode ") + ModeName(o.mode);
  if (o.index.empty()) {
    throw RequestError(mode + " seeks along an index; choose one with --index (indexes: " + IndexList(table) + ")");
  }
  const TIndexDef& def = table.IndexDefs().Items(table.IndexDefs().IndexOf(o.index));
  const std::vector<std::string> keys = SplitFieldNames(def.Fields());
  auto is_key = [&keys](const std::string& f) {
    return std::any_of(keys.begin(), keys.end(), [&f](const std::string& k) { return AnsiSameText(k, f); });
  };
  const bool first_given = std::any_of(o.criteria.begin(), o.criteria.end(),
                                       [&keys](const Criterion& c) { return AnsiSameText(c.field, keys.front()); });
  if (!first_given) {
    throw RequestError(mode + " seeks the key of index '" + o.index + "' (" + def.Fields() + "): give a value for '" +
                       keys.front() + "', its first field; without one it would only show the first record");
  }
  for (const Criterion& c : o.criteria) {
    if (!is_key(c.field)) {
      log << "qbe: note: " << mode << " uses only the fields of index '" << o.index << "' (" << def.Fields()
          << "); '" << c.text << "' is not used\n";
    } else if (c.range) {
      log << "qbe: note: " << mode << " seeks one key value; the range '" << c.text << "' is used as its "
          << (c.low ? "lower bound only" : "key from the start") << "\n";
    }
  }
  if (o.compare) log << "qbe: note: " << mode << " compares key fields exactly; --compare is not used\n";
  if (o.case_sensitive) log << "qbe: note: " << mode << " follows the index in letter case; --case-sensitive is not used\n";
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

// Converts one typed bound; the message names the field and its type. Dates are
// typed in the locale's form or in ISO form (2024-01-05, 2024-01-05 10:30).
Variant ValueOf(const TFieldRecord& record, const Criterion& c, const std::string& text) {
  const TFieldType type = record.GetDataType();
  if (IsDateType(type)) {
    TDateTime d = 0;
    SQLiteDateForm form;
    if (ParseSQLiteDateText(Trim(text), d, form)) {
      if (type == TFieldType::ftDate) d = DateOf(d);
      if (type == TFieldType::ftTime) d = TimeOf(d);
      return Variant::FromDate(d);
    }
  }
  try {
    return record.TextToVariant(text);
  } catch (const vantor::Exception& e) {
    std::string expected;
    if (IsDateType(type)) {
      expected = " (dates are typed as " + DateToStr(EncodeDate(2024, 1, 5)) + " or 2024-01-05 for 5 January 2024)";
    }
    throw RequestError("'" + text + "' is not a value of field '" + record.GetFieldName() + "' (" + TypeName(type) +
                       "): " + e.Message() + expected + " [in " + c.text + "]");
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
    if (c.range && !low.IsNull() && !high.IsNull() && VarCompare(low, high) > 0) {
      throw RequestError("range '" + c.text + "' holds nothing: its lower bound is above its upper bound; did you mean " +
                         c.field + "=" + *c.high + ".." + *c.low + "?");
    }
    record->SetValues(0, low);
    record->SetValues(1, c.range ? high : Variant::Null());
  }
}

std::vector<std::string> CurrentRow(const TDataSet& data_set) {
  std::vector<std::string> row;
  row.reserve(static_cast<std::size_t>(data_set.FieldCount()));
  for (int i = 0; i < data_set.FieldCount(); ++i) {
    const TField* f = data_set.Fields(i);
    if (IsBlobType(f->DataType()) && !f->IsNull()) row.push_back(BlobText(f->AsString()));
    else row.push_back(f->AsString());
  }
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

std::string ApplyLocale(const std::string& name, std::ostream& log) {
  try {
    SetFormatSettings(FromPosixLocale(name.c_str()));
  } catch (const vantor::Exception&) {
    if (!name.empty()) {
      throw RequestError("the locale '" + name + "' is not installed on this system ('locale -a' lists those that are)");
    }
    const char* env = nullptr;
    for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
      if (const char* v = std::getenv(var); v != nullptr && *v != 0) {
        env = v;
        break;
      }
    }
    SetFormatSettings(FormatSettings{});
    if (env != nullptr) {
      log << "qbe: note: the locale '" << env << "' of the environment is not installed; dates are typed as "
          << DateToStr(EncodeDate(2024, 1, 5)) << " (5 January 2024) or 2024-01-05\n";
    }
  }
  return "such as " + DateToStr(EncodeDate(2024, 1, 5)) + " for 5 January 2024";
}

int Main(std::span<const std::string_view> args, std::string_view program, std::ostream& out, std::ostream& err) {
  try {
    const Options options = ParseArguments(args);
    const std::string date_form = ApplyLocale(options.locale, err);
    if (options.help) {
      out << UsageText(program, date_form);
      return 0;
    }
    Run(options, out, err);
    return 0;
  } catch (const UsageError& e) {
    err << "qbe: " << e.what() << "\n(qbe --help explains the syntax)\n";
    return 2;
  } catch (const RequestError& e) {
    err << "qbe: " << e.what() << '\n';
    return 2;
  } catch (const vantor::Exception& e) {
    // The library's messages are sentences for the user; the class name would add nothing.
    err << "qbe: " << e.Message() << '\n';
    return 1;
  } catch (const std::exception& e) {
    err << "qbe: " << e.what() << '\n';
    return 1;
  }
}

namespace {

// The table of a SQLite file (the sample database without --db), closed.
std::unique_ptr<TTable> OpenFileTable(const Options& o, std::ostream& log, std::string& table_name) {
  const bool sample = o.db.empty();
  const std::string path = sample ? SampleDatabasePath() : o.db;
  if (sample) {
    EnsureSampleDatabase(path, [&log](const std::string& made) {
      log << "qbe: generating the sample database at " << made << " (first run)...\n";
    });
  } else if (fs::is_directory(path)) {
    throw RequestError(path + " is a directory, not a database file");
  } else if (!fs::exists(path)) {
    throw RequestError(path + " does not exist");
  }
  auto table = std::make_unique<TSQLiteTable>(nullptr);
  {
    const SQLiteConnection db(path);
    table_name = ChooseTable(db, o, sample);
  }
  table->SetDatabaseName(path);
  table->SetTableName(table_name);
  return table;
}

// The table of a PostgreSQL database, closed.
std::unique_ptr<TTable> OpenServerTable(const Options& o) {
  auto table = std::make_unique<TPgTable>(nullptr);
  table->SetConnectionString(*o.pg);
  table->SetTableName(o.table);
  // Read as the search walks the table: a find along an index asks the server for the
  // rows from the key on, not for the whole table first.
  table->SetFetchRows(1000);
  return table;
}

}  // namespace

void Run(const Options& o, std::ostream& out, std::ostream& log) {
  std::string table_name;
  const std::unique_ptr<TTable> table = o.pg ? OpenServerTable(o) : OpenFileTable(o, log, table_name);
  if (o.pg) table_name = o.table;
  const auto load_start = std::chrono::steady_clock::now();
  table->Open();
  const double load_ms = MillisSince(load_start);
  if (!o.index.empty()) {
    if (table->IndexDefs().IndexOf(o.index) < 0) {
      throw RequestError("table '" + table_name + "' has no index '" + o.index + "'; indexes: " + IndexList(*table));
    }
    table->SetIndexName(o.index);
  }
  CheckIndexMode(*table, o, log);

  TDataSource source(nullptr);
  source.SetDataSet(table.get());
  ResultTable result = EmptyResult(*table);
  std::size_t total = 0;
  double run_ms = 0;
  std::string what;
  std::string not_found;
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
    // Said after the records found, with how many there were, so it reads in order.
    for (const auto& box : Application->MessageBoxes()) {
      not_found += "qbe: " + box.text;
      if (total > 0) not_found += " (after " + std::to_string(total) + (total == 1 ? " record" : " records") + " found)";
      not_found += '\n';
    }
    what = "find";
  }

  std::ostringstream summary;
  summary << total << (total == 1 ? " record" : " records")
          << (o.action == Action::Filter ? (total == 1 ? " matches" : " match") : " found")
          << " (" << what << " on " << table_name << ", " << table->IndexDefs().Count() << " indexes, ";
  if (!o.index.empty()) summary << "index " << o.index << ", ";
  summary << "loaded in " << Millis(load_ms) << ", " << what << " took " << Millis(run_ms) << ")\n";

  if (o.csv) {
    WriteCsv(out, result);
    out.flush();
    log << not_found << summary.str();
  } else {
    WriteAligned(out, result, total);
    out.flush();
    log << not_found;
    out << summary.str();
  }
  source.SetDataSet(nullptr);
}

}  // namespace qbe
