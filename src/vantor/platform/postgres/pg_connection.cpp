#include <vantor/platform/postgres/pg_connection.h>

#include <libpq-fe.h>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// The first line of a libpq message, without its "FATAL:  " or "ERROR:  " prefix.
std::string FirstLine(std::string message) {
  for (const char* prefix : {"FATAL:  ", "ERROR:  "}) {
    const auto at = message.find(prefix);
    if (at != std::string::npos) message.erase(0, at + std::string(prefix).size());
  }
  const auto end = message.find('\n');
  if (end != std::string::npos) message.erase(end);
  return message;
}

std::string Field(pg_result* result, int code) {
  const char* value = PQresultErrorField(result, code);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

PgResult::~PgResult() { PQclear(result_); }

PgResult& PgResult::operator=(PgResult&& other) noexcept {
  if (this != &other) {
    PQclear(result_);
    result_ = other.result_;
    other.result_ = nullptr;
  }
  return *this;
}

int PgResult::Rows() const { return PQntuples(result_); }
int PgResult::Columns() const { return PQnfields(result_); }
bool PgResult::IsNull(int row, int column) const { return PQgetisnull(result_, row, column) != 0; }
std::string PgResult::Text(int row, int column) const {
  return std::string(PQgetvalue(result_, row, column), static_cast<std::size_t>(PQgetlength(result_, row, column)));
}

std::string PgConnectFailureMessage(const std::string& libpq_message, const std::string& database,
                                    const std::string& user, const std::string& host) {
  const std::string detail = FirstLine(libpq_message);
  if (Contains(libpq_message, "invalid connection option") || Contains(libpq_message, "missing \"=\"") ||
      Contains(libpq_message, "invalid URI") || Contains(libpq_message, "unterminated quoted string")) {
    return "The connection string is not valid: " + detail;
  }
  if (Contains(libpq_message, "database \"") && Contains(libpq_message, "does not exist")) {
    return "The database \"" + database + "\" does not exist on the server";
  }
  if (Contains(libpq_message, "role \"") && Contains(libpq_message, "does not exist")) {
    return "The server knows no user \"" + user + "\"";
  }
  if (Contains(libpq_message, "authentication failed") || Contains(libpq_message, "no password supplied") ||
      Contains(libpq_message, "pg_hba.conf")) {
    return "The server refused user \"" + user + "\": wrong password, or the user may not connect to \"" + database +
           "\" from here";
  }
  if (Contains(libpq_message, "Is the server running") || Contains(libpq_message, "Connection refused") ||
      Contains(libpq_message, "No such file or directory") || Contains(libpq_message, "could not translate host name") ||
      Contains(libpq_message, "could not connect")) {
    return "Cannot reach the PostgreSQL server at " + (host.empty() ? std::string("the default socket") : host) +
           ": it is not running there, or the host, port or socket directory is wrong";
  }
  return "Cannot connect to the PostgreSQL server: " + detail;
}

std::string PgQuoteIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

PgConnection::PgConnection(const std::string& conninfo, const std::string& time_zone) {
  conn_ = PQconnectdb(conninfo.c_str());
  if (conn_ == nullptr) throw EDatabaseError("Cannot connect to the PostgreSQL server: out of memory");
  if (PQstatus(conn_) != CONNECTION_OK) {
    // What was tried, for the message: the parsed parameters (defaults and PG* variables
    // applied); an unparsable string has none.
    std::string database, user, host;
    if (PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), nullptr)) {
      PQconninfoFree(options);
      database = PQdb(conn_) != nullptr ? PQdb(conn_) : "";
      user = PQuser(conn_) != nullptr ? PQuser(conn_) : "";
      host = PQhost(conn_) != nullptr ? PQhost(conn_) : "";
      const char* port = PQport(conn_);
      if (!host.empty() && port != nullptr && *port != '\0') host += host.starts_with('/') ? " (port " + std::string(port) + ")" : ":" + std::string(port);
    }
    const std::string message = PgConnectFailureMessage(PQerrorMessage(conn_), database, user, host);
    PQfinish(conn_);
    conn_ = nullptr;
    throw EDatabaseError(message);
  }
  // The server's notices (dropping what does not exist, implicit indexes) are no errors.
  PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
  cancel_ = PQgetCancel(conn_);
  try {
    if (PQsetClientEncoding(conn_, "UTF8") != 0) throw EDatabaseError("The server cannot speak UTF-8 with this program");
    Exec("SET DateStyle = 'ISO, YMD'; SET IntervalStyle = 'postgres'; SET bytea_output = 'hex'; "
         "SET extra_float_digits = 1; SET standard_conforming_strings = on");
    Exec("SELECT set_config('TimeZone', $1, false)", {time_zone});
  } catch (...) {
    PQfreeCancel(cancel_);
    PQfinish(conn_);
    throw;
  }
}

PgConnection::~PgConnection() {
  {
    std::lock_guard lock(cancel_mutex_);
    PQfreeCancel(cancel_);
    cancel_ = nullptr;
  }
  PQfinish(conn_);
}

std::string PgConnection::Database() const { return PQdb(conn_) != nullptr ? PQdb(conn_) : ""; }

PgResult PgConnection::Exec(const std::string& sql, const PgParams& params, bool quote_sql) {
  std::vector<const char*> values;
  for (const auto& p : params) values.push_back(p ? p->c_str() : nullptr);
  PgResult result(params.empty() ? PQexec(conn_, sql.c_str())
                                 : PQexecParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                                                values.data(), nullptr, nullptr, 0));
  const ExecStatusType status = result ? PQresultStatus(result.Handle()) : PGRES_FATAL_ERROR;
  last_failure_interrupted_ = false;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    const char* state = result ? PQresultErrorField(result.Handle(), PG_DIAG_SQLSTATE) : nullptr;
    // 57014: query_canceled, which a statement timeout raises too.
    last_failure_interrupted_ = PQstatus(conn_) == CONNECTION_BAD || result.Handle() == nullptr ||
                                (state != nullptr && std::string(state) == "57014");
    throw EDatabaseError(Failure(result.Handle(), sql, quote_sql));
  }
  return result;
}

void PgConnection::Rollback() noexcept { PQclear(PQexec(conn_, "ROLLBACK")); }

void PgConnection::SetStatementTimeout(int milliseconds) {
  if (milliseconds == statement_timeout_) return;
  Exec("SELECT set_config('statement_timeout', $1, false)", {std::to_string(milliseconds)});
  statement_timeout_ = milliseconds;
}

void PgConnection::Cancel() {
  std::lock_guard lock(cancel_mutex_);
  if (cancel_ == nullptr) return;
  char error[256];
  // A failed request (the server gone meanwhile) leaves nothing to stop.
  (void)PQcancel(cancel_, error, sizeof error);
}

std::string PgConnection::Failure(pg_result* result, const std::string& sql, bool quote_sql) const {
  const std::string in_sql = quote_sql ? ", in the query \"" + sql + "\"" : std::string();
  if (PQstatus(conn_) == CONNECTION_BAD) {
    return "The connection to the PostgreSQL server was lost: " + FirstLine(PQerrorMessage(conn_));
  }
  if (result == nullptr) return "The PostgreSQL server did not answer: " + FirstLine(PQerrorMessage(conn_));
  const std::string state = Field(result, PG_DIAG_SQLSTATE);
  const std::string primary = Field(result, PG_DIAG_MESSAGE_PRIMARY);
  if (state == "57014") {
    if (Contains(primary, "statement timeout")) {
      return "The query ran longer than the StatementTimeout allows (" + std::to_string(statement_timeout_) +
             " ms) and was stopped";
    }
    return "The query was cancelled";
  }
  if (state == "42601") return "The SQL text has a syntax error: " + primary + in_sql;
  if (state == "42P01") return "A table named in the query does not exist: " + primary + in_sql;
  if (state == "42703") return "A column named in the query does not exist: " + primary + in_sql;
  if (state == "23505") {
    const std::string detail = Field(result, PG_DIAG_MESSAGE_DETAIL);
    return "Key violation: " + (detail.empty() ? primary : detail);
  }
  if (state == "23502" || state == "23503" || state == "23514") return "The server refused the record: " + primary;
  if (state == "42501") return "The user may not do this: " + primary;
  if (state == "25P02" || state == "40001" || state == "40P01") {
    return "The change could not be made now (another user's change came in between); try again: " + primary;
  }
  return "The PostgreSQL server reported an error: " + (primary.empty() ? FirstLine(PQerrorMessage(conn_)) : primary) + in_sql;
}

}  // namespace vantor
