#pragma once
// PostgreSQL plumbing shared by the PostgreSQL data sets: a connection to a server, its
// results, and the translation of the server's errors into sentences a person can act on
// ("Cannot reach the PostgreSQL server ...", "The database \"shop\" does not exist on the
// server", "The SQL text has a syntax error ...").
//
// A connection is used by one thread at a time, except Cancel, which any thread may call
// while another one waits for a statement to finish.

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;
struct pg_cancel;

namespace vantor {

// Owns one result; cleared on destruction.
class PgResult {
 public:
  PgResult() = default;
  explicit PgResult(pg_result* result) : result_(result) {}
  ~PgResult();
  PgResult(PgResult&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
  PgResult& operator=(PgResult&& other) noexcept;
  PgResult(const PgResult&) = delete;
  PgResult& operator=(const PgResult&) = delete;

  pg_result* Handle() const { return result_; }
  explicit operator bool() const { return result_ != nullptr; }
  int Rows() const;
  int Columns() const;
  bool IsNull(int row, int column) const;
  // The cell's text ("" for null).
  std::string Text(int row, int column) const;

 private:
  pg_result* result_ = nullptr;
};

// Statement parameters in the server's text form; nullopt is SQL NULL.
using PgParams = std::vector<std::optional<std::string>>;

// An open session with a PostgreSQL server, set up the same way for every data set.
class PgConnection {
 public:
  // Connects with the parameters of `conninfo` ("host=/run/postgresql dbname=shop" or a
  // postgresql:// URI); an empty string takes them all from the standard PG* environment
  // variables. The session speaks UTF-8, writes dates in ISO form, byte strings in hex
  // and floats exactly, and runs in `time_zone` (timestamps with a time zone are shown
  // in it). EDatabaseError with a sentence when the server cannot be reached or refuses.
  PgConnection(const std::string& conninfo, const std::string& time_zone);
  ~PgConnection();
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  pg_conn* Handle() const { return conn_; }
  // The database connected to, for messages.
  std::string Database() const;

  // Runs one statement to its end and returns its result; EDatabaseError with a
  // sentence for an error (`sql` is quoted in it only when quote_sql is set: it is then
  // the application's own text).
  PgResult Exec(const std::string& sql, const PgParams& params = {}, bool quote_sql = false);
  // Ends the open transaction, if any, with ROLLBACK. Never raises and leaves
  // LastFailureInterrupted as it was: it runs while the error that abandoned the
  // transaction unwinds, and that error is the one to report.
  void Rollback() noexcept;
  // Whether the last statement Exec ran failed because it was stopped (cancelled, or over
  // the statement timeout) or the connection was lost: a failure that answers nothing
  // about the statement's own question, so whoever asked must not take it for "no".
  bool LastFailureInterrupted() const { return last_failure_interrupted_; }
  // Sets statement_timeout (milliseconds; 0 = none) for the following statements.
  void SetStatementTimeout(int milliseconds);

  // Asks the server to stop the statement running on this connection; harmless when
  // none runs. Safe from any thread.
  void Cancel();

  // The sentence for a failed result (an error the server reported, or the connection
  // lost). `sql` is quoted when quote_sql is set.
  [[nodiscard]] std::string Failure(pg_result* result, const std::string& sql, bool quote_sql) const;

 private:
  pg_conn* conn_ = nullptr;
  std::mutex cancel_mutex_;
  pg_cancel* cancel_ = nullptr;
  int statement_timeout_ = 0;
  bool last_failure_interrupted_ = false;
};

// The sentence for a connection that could not be made, from libpq's message and the
// parameters it tried (exposed for the tests of the wording).
std::string PgConnectFailureMessage(const std::string& libpq_message, const std::string& database,
                                    const std::string& user, const std::string& host);

// "name" with embedded quotes doubled, for identifiers in generated SQL.
std::string PgQuoteIdentifier(std::string_view name);

}  // namespace vantor
