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

void SQLiteConnection::Rollback() noexcept { sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); }

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

std::string QuoteIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace vantor
