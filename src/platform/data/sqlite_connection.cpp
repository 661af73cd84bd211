#include <vantor/platform/data/sqlite_connection.h>

#include <sqlite3.h>

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/number_text.h>

namespace vantor {

namespace {

std::string Quote(std::string_view text) { return "\"" + std::string(text) + "\""; }

// A locale-independent number syntax: what SQLite itself writes.
const FormatSettings& DotFormat() {
  static const FormatSettings fs = [] {
    FormatSettings f;
    f.decimal_separator = '.';
    f.thousand_separator = ',';
    return f;
  }();
  return fs;
}

std::string_view ColumnText(sqlite3_stmt* stmt, int column) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  const int n = sqlite3_column_bytes(stmt, column);
  return p == nullptr ? std::string_view() : std::string_view(p, static_cast<std::size_t>(n));
}

bool ParseInt64(std::string_view text, std::int64_t& v) {
  const std::string t = Trim(text);
  const char* b = t.data();
  const char* e = t.data() + t.size();
  if (b != e && *b == '+') ++b;
  auto r = std::from_chars(b, e, v);
  return b != e && r.ec == std::errc() && r.ptr == e;
}

// A sentence for a failed call, without the SQL: what went wrong, in the file's name.
std::string Sentence(const std::string& path, int code, const std::string& detail) {
  switch (code & 0xFF) {
    case SQLITE_NOTADB: return path + " is not an SQLite database";
    case SQLITE_CORRUPT: return path + " is damaged: " + detail;
    case SQLITE_READONLY: return path + " can only be read; the change was not stored";
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return path + " is in use by another program; try again when it is done";
    case SQLITE_CANTOPEN: return path + " cannot be opened: " + detail;
    case SQLITE_PERM:
    case SQLITE_AUTH: return path + " may not be read or changed by this user";
    case SQLITE_FULL: return "The disk is full; the change to " + path + " was not stored";
    case SQLITE_CONSTRAINT: return "The change breaks a rule of the table (" + detail + "); it was not stored";
    default: return path + ": " + detail;
  }
}

}  // namespace

// --- Connection -----------------------------------------------------------------------------

SQLiteConnection::SQLiteConnection(const std::string& path) : path_(path) {
  // A connection serves one data set on one thread: no per-call locking inside SQLite
  // (which otherwise takes a mutex for every column read of a load).
  // A file that can only be read still opens: it can be searched, and an edit is
  // refused when it is written.
  int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc == SQLITE_CANTOPEN || (rc & 0xFF) == SQLITE_READONLY || (rc & 0xFF) == SQLITE_PERM) {
    sqlite3_close(db_);
    db_ = nullptr;
    rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  }
  if (rc != SQLITE_OK) {
    sqlite3_close(db_);
    db_ = nullptr;
    throw EDatabaseError(OpenFailureMessage(path, rc));
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, 2000);
  // SQLite reads the file only at the first statement: read the schema now, so that a
  // file that is no database is reported as such when it is opened.
  const int probe = sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  if (probe != SQLITE_OK) {
    const std::string message = OpenFailureMessage(path, sqlite3_extended_errcode(db_));
    sqlite3_close(db_);
    db_ = nullptr;
    throw EDatabaseError(message);
  }
}

std::string OpenFailureMessage(const std::string& path, int result_code) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return path + " is a directory, not a database file";
  if (!std::filesystem::exists(path, ec)) return path + " does not exist";
  return Sentence(path, result_code, sqlite3_errstr(result_code));
}

SQLiteConnection::~SQLiteConnection() { sqlite3_close_v2(db_); }

void SQLiteConnection::Fail(const std::string& /*sql*/) const {
  throw EDatabaseError(Sentence(path_, sqlite3_extended_errcode(db_), sqlite3_errmsg(db_)));
}

void SQLiteConnection::Exec(const std::string& sql) {
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
}

SQLiteStatement::SQLiteStatement(const SQLiteConnection& connection, const std::string& sql)
    : connection_(&connection), sql_(sql) {
  if (sqlite3_prepare_v2(connection.Handle(), sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
      SQLITE_OK) {
    connection.Fail(sql);
  }
  if (stmt_ == nullptr) throw EDatabaseError("The SQL text holds no statement: " + Quote(sql));
}

SQLiteStatement::~SQLiteStatement() { sqlite3_finalize(stmt_); }

bool SQLiteStatement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  connection_->Fail(sql_);
}

void SQLiteStatement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

void SQLiteStatement::BindInt64(int parameter, std::int64_t value) { sqlite3_bind_int64(stmt_, parameter, value); }

void SQLiteStatement::BindText(int parameter, std::string_view value) {
  sqlite3_bind_text64(stmt_, parameter, value.data(), value.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void SQLiteStatement::Bind(int parameter, TFieldType type, const Variant& value, const SQLiteDateForm* form) {
  if (value.IsClear()) {
    sqlite3_bind_null(stmt_, parameter);
    return;
  }
  switch (StorageKindOf(type)) {
    case TStorageKind::skInt16:
    case TStorageKind::skUInt16:
    case TStorageKind::skInt32:
      sqlite3_bind_int64(stmt_, parameter, value.AsInteger());
      break;
    case TStorageKind::skDouble:
      sqlite3_bind_double(stmt_, parameter, value.AsDouble());
      break;
    case TStorageKind::skCurrency:
      sqlite3_bind_double(stmt_, parameter, value.AsCurrency().ToDouble());
      break;
    case TStorageKind::skBoolean:
      sqlite3_bind_int(stmt_, parameter, value.AsBoolean() ? 1 : 0);
      break;
    case TStorageKind::skInt64:
      sqlite3_bind_int64(stmt_, parameter, value.AsInt64());
      break;
    case TStorageKind::skDate: {
      const SQLiteDateForm f = form != nullptr ? *form : DefaultDateForm(type);
      const TDateTime d = value.AsDate();
      if (f.kind == SQLiteDateForm::Kind::Julian) {
        sqlite3_bind_double(stmt_, parameter, DateToJulianDay(d));
      } else if (f.kind == SQLiteDateForm::Kind::Unix) {
        const double seconds = DateToUnixTime(d);
        if (f.integer && std::nearbyint(seconds) == seconds) {
          sqlite3_bind_int64(stmt_, parameter, static_cast<std::int64_t>(seconds));
        } else {
          sqlite3_bind_double(stmt_, parameter, seconds);
        }
      } else {
        BindText(parameter, FormatSQLiteDateText(d, f));
      }
      break;
    }
    case TStorageKind::skText: {
      const std::string text = value.AsString();
      if (type == TFieldType::ftBlob || type == TFieldType::ftBytes || type == TFieldType::ftVarBytes) {
        sqlite3_bind_blob64(stmt_, parameter, text.data(), text.size(), SQLITE_TRANSIENT);
      } else {
        BindText(parameter, text);
      }
      break;
    }
  }
}

// --- Types ------------------------------------------------------------------------------------

TFieldType FieldTypeFromDeclared(std::string_view declared, bool rowid_alias, int& size) {
  const std::string t = AnsiUpperCase(Trim(declared));
  size = 0;
  auto has = [&t](const char* word) { return t.find(word) != std::string::npos; };
  if (t.empty()) return TFieldType::ftUnknown;
  if (has("BOOL") || t == "BIT") return TFieldType::ftBoolean;
  if (has("DATETIME") || has("TIMESTAMP")) return TFieldType::ftDateTime;
  if (has("DATE")) return TFieldType::ftDate;
  if (has("TIME")) return TFieldType::ftTime;
  if (has("SMALLINT") || has("TINYINT")) return TFieldType::ftSmallint;
  if (t == "WORD") return TFieldType::ftWord;
  if (has("INT")) return rowid_alias ? TFieldType::ftAutoInc : TFieldType::ftInteger;
  if (has("MONEY") || has("CURRENCY")) return TFieldType::ftCurrency;
  if (has("NUMERIC") || has("DECIMAL")) return TFieldType::ftBCD;
  if (has("REAL") || has("FLOA") || has("DOUB")) return TFieldType::ftFloat;
  if (has("CHAR")) {
    size = 255;
    const std::size_t open = t.find('(');
    if (open != std::string::npos) {
      int n = 0;
      const char* b = t.data() + open + 1;
      auto r = std::from_chars(b, t.data() + t.size(), n);
      if (r.ec == std::errc() && n > 0) size = n;
    }
    return TFieldType::ftString;
  }
  if (has("BLOB") || has("BINARY")) return TFieldType::ftBlob;
  // TEXT is the general text type (names, codes): a string of any length, size 0.
  // CLOB, MEMO and unknown names are memos.
  if (has("TEXT") && !has("CLOB")) return TFieldType::ftString;
  return TFieldType::ftMemo;
}

namespace {

bool IsIntegerFamily(TFieldType t) {
  using enum TFieldType;
  return t == ftSmallint || t == ftWord || t == ftInteger || t == ftAutoInc || t == ftLargeint;
}

// The narrowest of the integer types at least as wide as `type` that holds [lo, hi].
TFieldType IntegerTypeFor(TFieldType type, std::int64_t lo, std::int64_t hi) {
  using enum TFieldType;
  if (type == ftSmallint && lo >= INT16_MIN && hi <= INT16_MAX) return type;
  if (type == ftWord && lo >= 0 && hi <= 65535) return type;
  if (type == ftLargeint || lo < INT32_MIN || hi > INT32_MAX) return ftLargeint;
  // A small integer or word column with wider cells widens to the 32-bit integer.
  return type == ftSmallint || type == ftWord ? ftInteger : type;
}

}  // namespace

TFieldType ChooseFieldType(TFieldType declared, const SQLiteColumnContents& c, int& size) {
  using enum TFieldType;
  const bool numbers_only = c.texts == 0 && c.blobs == 0;
  const bool has_integers = c.integers > 0;
  auto as_text = [&size] {
    size = 0;
    return ftString;
  };
  if (declared == ftUnknown) {
    if (c.integers + c.reals + c.texts + c.blobs == 0) return as_text();
    if (c.blobs > 0 && c.integers + c.reals + c.texts == 0) return ftBlob;
    if (!numbers_only) return as_text();
    if (c.reals > 0) return ftFloat;
    return IntegerTypeFor(ftInteger, c.min_integer, c.max_integer);
  }
  if (IsIntegerFamily(declared)) {
    if (!numbers_only) return as_text();
    if (c.reals > 0) return ftFloat;
    return has_integers ? IntegerTypeFor(declared, c.min_integer, c.max_integer) : declared;
  }
  switch (declared) {
    case ftBoolean:
      if (!numbers_only) return c.blobs > 0 ? as_text() : declared;  // texts may be true/false words
      if (c.reals > 0) return ftFloat;
      if (has_integers && (c.min_integer < 0 || c.max_integer > 1)) {
        return IntegerTypeFor(ftInteger, c.min_integer, c.max_integer);
      }
      return declared;
    case ftFloat:
      return numbers_only ? declared : as_text();
    case ftCurrency:
    case ftBCD:
      if (!numbers_only) return as_text();
      if (has_integers && (c.min_integer <= INT64_MIN / Currency::kScale || c.max_integer >= INT64_MAX / Currency::kScale)) {
        // Whole numbers beyond the currency range stay exact as 64-bit integers.
        return c.reals == 0 ? ftLargeint : ftFloat;
      }
      return declared;
    case ftDate:
    case ftTime:
    case ftDateTime:
      return c.blobs > 0 ? as_text() : declared;
    default:
      return declared;
  }
}

void SQLiteColumnContents::Add(int storage, sqlite3_stmt* stmt, int column) {
  switch (storage) {
    case SQLITE_INTEGER: {
      const std::int64_t v = sqlite3_column_int64(stmt, column);
      min_integer = integers == 0 ? v : std::min(min_integer, v);
      max_integer = integers == 0 ? v : std::max(max_integer, v);
      ++integers;
      break;
    }
    case SQLITE_FLOAT: ++reals; break;
    case SQLITE_TEXT: ++texts; break;
    case SQLITE_BLOB: ++blobs; break;
    default: break;
  }
}

TFieldType WidenFieldType(TFieldType type, int storage) {
  using enum TFieldType;
  if (storage == SQLITE_INTEGER && IsIntegerFamily(type) && type != ftLargeint) return ftLargeint;
  if (storage == SQLITE_INTEGER && type == ftBoolean) return ftLargeint;
  if (storage == SQLITE_FLOAT && (IsIntegerFamily(type) || type == ftBoolean || type == ftCurrency || type == ftBCD)) {
    return ftFloat;
  }
  if (storage == SQLITE_INTEGER && (type == ftCurrency || type == ftBCD)) return ftFloat;
  return ftString;
}

std::string QuoteIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

// --- Cells ------------------------------------------------------------------------------------

namespace {

// LoadCell for a cell whose storage class the caller has asked for already.
bool LoadCellOf(sqlite3_stmt* stmt, int column, int storage, TFieldType type, TRowStore& store, RowId row,
                int store_column, SQLiteDateForm* date_form) {
  if (storage == SQLITE_NULL) {
    store.SetNull(row, store_column);
    return true;
  }
  switch (StorageKindOf(type)) {
    case TStorageKind::skInt16:
    case TStorageKind::skUInt16:
    case TStorageKind::skInt32:
    case TStorageKind::skInt64: {
      std::int64_t v = 0;
      if (storage == SQLITE_INTEGER) {
        v = sqlite3_column_int64(stmt, column);
      } else if (storage == SQLITE_FLOAT) {
        const double d = sqlite3_column_double(stmt, column);
        // Whole reals only, and only where the conversion is exact (below 2^53).
        if (std::nearbyint(d) != d || std::fabs(d) > 9007199254740992.0) return false;
        v = static_cast<std::int64_t>(d);
      } else if (storage != SQLITE_TEXT || !ParseInt64(ColumnText(stmt, column), v)) {
        return false;
      }
      if (type == TFieldType::ftLargeint) {
        store.SetInt64(row, store_column, v);
        return true;
      }
      const std::int64_t lo = type == TFieldType::ftSmallint ? INT16_MIN : (type == TFieldType::ftWord ? 0 : INT32_MIN);
      const std::int64_t hi = type == TFieldType::ftSmallint ? INT16_MAX : (type == TFieldType::ftWord ? 65535 : INT32_MAX);
      if (v < lo || v > hi) return false;
      store.SetInt(row, store_column, static_cast<std::int32_t>(v));
      return true;
    }
    case TStorageKind::skDouble: {
      if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
        store.SetDouble(row, store_column, sqlite3_column_double(stmt, column));
        return true;
      }
      double d = 0;
      if (storage != SQLITE_TEXT || !TextToFloat(ColumnText(stmt, column), d, DotFormat())) return false;
      store.SetDouble(row, store_column, d);
      return true;
    }
    case TStorageKind::skCurrency: {
      Currency c;
      bool ok = false;
      if (storage == SQLITE_INTEGER) {
        const std::int64_t v = sqlite3_column_int64(stmt, column);
        ok = v > INT64_MIN / Currency::kScale && v < INT64_MAX / Currency::kScale;
        if (ok) c = Currency::FromInt(v);
      } else if (storage == SQLITE_FLOAT) {
        ok = Currency::TryFromDouble(sqlite3_column_double(stmt, column), c);
      } else if (storage == SQLITE_TEXT) {
        ok = TextToFloat(ColumnText(stmt, column), c, DotFormat());
      }
      if (!ok) return false;
      store.SetCurrency(row, store_column, c);
      return true;
    }
    case TStorageKind::skBoolean: {
      if (storage == SQLITE_INTEGER) {
        const std::int64_t v = sqlite3_column_int64(stmt, column);
        // Only 0 and 1 read back as they were written.
        if (v != 0 && v != 1) return false;
        store.SetBoolean(row, store_column, v != 0);
        return true;
      }
      if (storage != SQLITE_TEXT) return false;
      const std::string_view t = ColumnText(stmt, column);
      for (const char* word : {"true", "t", "yes", "y", "1"}) {
        if (AnsiSameText(t, word)) return store.SetBoolean(row, store_column, true), true;
      }
      for (const char* word : {"false", "f", "no", "n", "0"}) {
        if (AnsiSameText(t, word)) return store.SetBoolean(row, store_column, false), true;
      }
      return false;
    }
    case TStorageKind::skDate: {
      TDateTime d = 0;
      SQLiteDateForm form;
      if (storage == SQLITE_TEXT) {
        if (!ParseSQLiteDateText(TrimView(ColumnText(stmt, column)), d, form)) return false;
      } else if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
        if (!SQLiteNumberToDate(sqlite3_column_double(stmt, column), d, form.kind)) return false;
        form.integer = storage == SQLITE_INTEGER;
      } else {
        return false;
      }
      if (date_form != nullptr) *date_form = form;
      store.SetDouble(row, store_column, d);
      return true;
    }
    case TStorageKind::skText: {
      if (storage == SQLITE_BLOB) {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, column));
        const int n = sqlite3_column_bytes(stmt, column);
        store.SetText(row, store_column, std::string_view(p, static_cast<std::size_t>(n)));
      } else {
        store.SetText(row, store_column, ColumnText(stmt, column));
      }
      return true;
    }
  }
  return false;
}

}  // namespace

bool LoadCell(sqlite3_stmt* stmt, int column, TFieldType type, TRowStore& store, RowId row, int store_column,
              SQLiteDateForm* date_form) {
  return LoadCellOf(stmt, column, sqlite3_column_type(stmt, column), type, store, row, store_column, date_form);
}

int LoadRow(sqlite3_stmt* stmt, int first, const std::vector<TFieldType>& types, TRowStore& store, RowId row,
            std::vector<SQLiteDateForm>* date_forms, std::vector<SQLiteColumnContents>* contents) {
  if (date_forms != nullptr) date_forms->assign(types.size(), SQLiteDateForm{});
  for (std::size_t c = 0; c < types.size(); ++c) {
    const int column = static_cast<int>(c);
    const int storage = sqlite3_column_type(stmt, first + column);
    if (contents != nullptr) (*contents)[c].Add(storage, stmt, first + column);
    SQLiteDateForm* form = date_forms != nullptr ? &(*date_forms)[c] : nullptr;
    if (!LoadCellOf(stmt, first + column, storage, types[c], store, row, column, form)) return column;
  }
  return -1;
}

std::unique_ptr<TRowStore> ReadAllRows(SQLiteStatement& select, bool has_row, int first, std::vector<TFieldType>& types,
                                       std::size_t expected_rows, const std::function<void()>& restart,
                                       const SQLiteRowRead& row_read) {
  sqlite3_stmt* stmt = select.Handle();
  std::vector<SQLiteDateForm> forms;
  for (;;) {
    auto store = std::make_unique<TRowStore>(types);
    store->Reserve(expected_rows);
    if (restart) restart();
    int misfit = -1;
    for (bool more = has_row; more; more = select.Step()) {
      const RowId row = store->AppendRow();
      misfit = LoadRow(stmt, first, types, *store, row, &forms);
      if (misfit >= 0) break;
      if (row_read) row_read(*store, row, forms);
    }
    if (misfit < 0) return store;
    const auto m = static_cast<std::size_t>(misfit);
    types[m] = WidenFieldType(types[m], sqlite3_column_type(stmt, first + misfit));
    select.Reset();
    // Usually the first row again; if another program changed the file meanwhile, the
    // rows read are those the statement gives now.
    has_row = select.Step();
  }
}

std::unique_ptr<TRowStore> ReadAllRowsChoosingTypes(SQLiteStatement& select, bool has_row, int first,
                                                    const std::vector<TFieldType>& declared,
                                                    std::vector<TFieldType>& types, std::vector<int>& sizes,
                                                    std::size_t expected_rows, const std::function<void()>& restart,
                                                    const SQLiteRowRead& row_read) {
  assert(declared.size() == sizes.size());  // one declared type and size per column
  sqlite3_stmt* stmt = select.Handle();
  const std::size_t columns = declared.size();
  // A column without a declared type is read as text, which takes every cell, until its
  // cells have chosen.
  types.clear();
  for (TFieldType t : declared) types.push_back(t == TFieldType::ftUnknown ? TFieldType::ftString : t);
  std::vector<SQLiteColumnContents> contents(columns);
  std::vector<SQLiteDateForm> forms;
  auto store = std::make_unique<TRowStore>(types);
  store->Reserve(expected_rows);
  if (restart) restart();
  for (bool more = has_row; more; more = select.Step()) {
    if (!store) {
      // After a cell that did not fit, the remaining rows are only counted.
      for (std::size_t c = 0; c < columns; ++c) {
        const int column = first + static_cast<int>(c);
        contents[c].Add(sqlite3_column_type(stmt, column), stmt, column);
      }
      continue;
    }
    const RowId row = store->AppendRow();
    const int misfit = LoadRow(stmt, first, types, *store, row, &forms, &contents);
    if (misfit < 0) {
      if (row_read) row_read(*store, row, forms);
      continue;
    }
    // The misfit's row has been counted up to the misfit; the rest of it now.
    for (std::size_t c = static_cast<std::size_t>(misfit) + 1; c < columns; ++c) {
      const int column = first + static_cast<int>(c);
      contents[c].Add(sqlite3_column_type(stmt, column), stmt, column);
    }
    store.reset();
  }
  std::vector<TFieldType> chosen;
  for (std::size_t c = 0; c < columns; ++c) chosen.push_back(ChooseFieldType(declared[c], contents[c], sizes[c]));
  if (store && chosen == types) return store;
  types = std::move(chosen);
  select.Reset();
  return ReadAllRows(select, select.Step(), first, types, expected_rows, restart, row_read);
}

}  // namespace vantor
