#include "platform/data/sqlite_connection.h"

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/rtl/ansi_strings.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/number_text.h"

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

[[noreturn]] void DoesNotFit(sqlite3_stmt* stmt, int column, TFieldType type, std::string_view name) {
  std::string text = std::string(ColumnText(stmt, column));
  if (text.size() > 60) text = text.substr(0, 60) + "...";
  throw EDatabaseError("Value '" + text + "' in column '" + std::string(name) + "' does not fit a " +
                       std::string(FieldTypeName(type)) + " field");
}

bool ParseInt64(std::string_view text, std::int64_t& v) {
  const std::string t = Trim(text);
  const char* b = t.data();
  const char* e = t.data() + t.size();
  if (b != e && *b == '+') ++b;
  auto r = std::from_chars(b, e, v);
  return b != e && r.ec == std::errc() && r.ptr == e;
}

bool ParseDigits(std::string_view s, std::size_t pos, std::size_t count, int& out) {
  if (pos + count > s.size()) return false;
  out = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

// "HH:MM[:SS[.fff]]" at pos to the end of the text.
bool ParseIsoTime(std::string_view s, std::size_t pos, TDateTime& time) {
  int h = 0, m = 0, sec = 0, ms = 0;
  if (!ParseDigits(s, pos, 2, h) || pos + 2 >= s.size() || s[pos + 2] != ':' || !ParseDigits(s, pos + 3, 2, m)) {
    return false;
  }
  std::size_t p = pos + 5;
  if (p < s.size() && s[p] == ':') {
    if (!ParseDigits(s, p + 1, 2, sec)) return false;
    p += 3;
    if (p < s.size() && s[p] == '.') {
      ++p;
      int digits = 0;
      while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
        if (digits < 3) ms = ms * 10 + (s[p] - '0');
        ++digits;
        ++p;
      }
      if (digits == 0) return false;
      for (int d = digits; d < 3; ++d) ms *= 10;
    }
  }
  if (p != s.size()) return false;
  return TryEncodeTime(h, m, sec, ms, time);
}

}  // namespace

// --- Connection -----------------------------------------------------------------------------

SQLiteConnection::SQLiteConnection(const std::string& path) : path_(path) {
  // A connection serves one data set on one thread: no per-call locking inside SQLite
  // (which otherwise takes a mutex for every column read of a load).
  const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close(db_);
    db_ = nullptr;
    throw EDatabaseError("Cannot open database " + Quote(path) + ": " + message);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, 2000);
}

SQLiteConnection::~SQLiteConnection() { sqlite3_close_v2(db_); }

void SQLiteConnection::Fail(const std::string& sql) const {
  throw EDatabaseError("SQLite error: " + Quote(sqlite3_errmsg(db_)) + " in " + Quote(sql));
}

void SQLiteConnection::Exec(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message != nullptr ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    throw EDatabaseError("SQLite error: " + Quote(text) + " in " + Quote(sql));
  }
}

SQLiteStatement::SQLiteStatement(const SQLiteConnection& connection, const std::string& sql)
    : connection_(&connection), sql_(sql) {
  if (sqlite3_prepare_v2(connection.Handle(), sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
      SQLITE_OK) {
    connection.Fail(sql);
  }
  if (stmt_ == nullptr) throw EDatabaseError("SQL text is empty: " + Quote(sql));
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

void SQLiteStatement::Bind(int parameter, TFieldType type, const Variant& value) {
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
    case TStorageKind::skDate:
      BindText(parameter, DateToIso(value.AsDate(), type));
      break;
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
  if (t.empty()) return TFieldType::ftMemo;
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

std::string DateToIso(TDateTime value, TFieldType type) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDate(value, y, mo, d);
  DecodeTime(value, h, mi, s, ms);
  char buffer[40];
  if (type == TFieldType::ftDate) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", y, mo, d);
  } else if (type == TFieldType::ftTime) {
    if (ms != 0) {
      std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%03d", h, mi, s, ms);
    } else {
      std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", h, mi, s);
    }
  } else if (ms != 0) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", y, mo, d, h, mi, s, ms);
  } else {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
  }
  return buffer;
}

bool IsoToDate(std::string_view text, TDateTime& value) {
  const std::string trimmed = Trim(text);
  const std::string_view s = trimmed;
  // A time alone: "HH:MM[:SS[.fff]]".
  if (s.size() >= 5 && s[2] == ':') return ParseIsoTime(s, 0, value);
  int y = 0, m = 0, d = 0;
  if (s.size() < 10 || !ParseDigits(s, 0, 4, y) || s[4] != '-' || !ParseDigits(s, 5, 2, m) || s[7] != '-' ||
      !ParseDigits(s, 8, 2, d)) {
    return false;
  }
  TDateTime date = 0;
  if (!TryEncodeDate(y, m, d, date)) return false;
  if (s.size() == 10) {
    value = date;
    return true;
  }
  if (s[10] != ' ' && s[10] != 'T') return false;
  TDateTime time = 0;
  if (!ParseIsoTime(s, 11, time)) return false;
  value = ComposeDateTime(date, time);
  return true;
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

void LoadCell(sqlite3_stmt* stmt, int column, TFieldType type, TRowStore& store, RowId row, int store_column,
              std::string_view column_name) {
  const int storage = sqlite3_column_type(stmt, column);
  if (storage == SQLITE_NULL) {
    store.SetNull(row, store_column);
    return;
  }
  switch (StorageKindOf(type)) {
    case TStorageKind::skInt16:
    case TStorageKind::skUInt16:
    case TStorageKind::skInt32: {
      std::int64_t v = 0;
      if (storage == SQLITE_INTEGER) {
        v = sqlite3_column_int64(stmt, column);
      } else if (storage == SQLITE_FLOAT) {
        const double d = sqlite3_column_double(stmt, column);
        if (std::nearbyint(d) != d || std::fabs(d) > 4e9) DoesNotFit(stmt, column, type, column_name);
        v = static_cast<std::int64_t>(d);
      } else if (!ParseInt64(ColumnText(stmt, column), v)) {
        DoesNotFit(stmt, column, type, column_name);
      }
      const std::int64_t lo = type == TFieldType::ftSmallint ? INT16_MIN : (type == TFieldType::ftWord ? 0 : INT32_MIN);
      const std::int64_t hi = type == TFieldType::ftSmallint ? INT16_MAX : (type == TFieldType::ftWord ? 65535 : INT32_MAX);
      if (v < lo || v > hi) DoesNotFit(stmt, column, type, column_name);
      store.SetInt(row, store_column, static_cast<std::int32_t>(v));
      return;
    }
    case TStorageKind::skDouble: {
      if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
        store.SetDouble(row, store_column, sqlite3_column_double(stmt, column));
        return;
      }
      double d = 0;
      if (!TextToFloat(ColumnText(stmt, column), d, DotFormat())) DoesNotFit(stmt, column, type, column_name);
      store.SetDouble(row, store_column, d);
      return;
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
      } else {
        ok = TextToFloat(ColumnText(stmt, column), c, DotFormat());
      }
      if (!ok) DoesNotFit(stmt, column, type, column_name);
      store.SetCurrency(row, store_column, c);
      return;
    }
    case TStorageKind::skBoolean: {
      if (storage == SQLITE_INTEGER) {
        store.SetBoolean(row, store_column, sqlite3_column_int64(stmt, column) != 0);
        return;
      }
      const std::string_view t = ColumnText(stmt, column);
      for (const char* word : {"true", "t", "yes", "y", "1"}) {
        if (AnsiSameText(t, word)) return store.SetBoolean(row, store_column, true);
      }
      for (const char* word : {"false", "f", "no", "n", "0"}) {
        if (AnsiSameText(t, word)) return store.SetBoolean(row, store_column, false);
      }
      DoesNotFit(stmt, column, type, column_name);
    }
    case TStorageKind::skDate: {
      TDateTime d = 0;
      if (storage != SQLITE_TEXT || !IsoToDate(ColumnText(stmt, column), d)) {
        DoesNotFit(stmt, column, type, column_name);
      }
      store.SetDouble(row, store_column, d);
      return;
    }
    case TStorageKind::skText: {
      if (storage == SQLITE_BLOB) {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, column));
        const int n = sqlite3_column_bytes(stmt, column);
        store.SetText(row, store_column, std::string_view(p, static_cast<std::size_t>(n)));
      } else {
        store.SetText(row, store_column, ColumnText(stmt, column));
      }
      return;
    }
  }
}

}  // namespace vantor
