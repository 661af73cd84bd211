#include "support/pg_loader.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include <vantor/platform/data/data_set.h>
#include <vantor/platform/postgres/pg_connection.h>
#include <vantor/platform/postgres/internal/pg_types.h>
#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/data/sqlite_table.h>
#include "support/pg_server.h"

namespace vantor::testing_support {

namespace {

// A cell in COPY's text form: backslash, tab, newline and carriage return escaped.
void AppendCopyText(std::string& out, const std::string& text) {
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
}

// Owns a connection for the copy.
struct Connection {
  explicit Connection(const std::string& conninfo) : conn(PQconnectdb(conninfo.c_str())) {
    if (PQstatus(conn) != CONNECTION_OK) throw std::runtime_error(std::string("cannot connect: ") + PQerrorMessage(conn));
    PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
  }
  ~Connection() { PQfinish(conn); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  void Exec(const std::string& sql) const {
    PGresult* r = PQexec(conn, sql.c_str());
    const ExecStatusType status = PQresultStatus(r);
    const std::string message = PQresultErrorMessage(r);
    PQclear(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_COPY_IN) {
      throw std::runtime_error(message + "in: " + sql);
    }
  }
  PGconn* conn;
};

}  // namespace

std::string PgColumnType(int field_type, int size) {
  switch (static_cast<TFieldType>(field_type)) {
    case TFieldType::ftString: return size > 0 ? "varchar(" + std::to_string(size) + ")" : "text";
    case TFieldType::ftSmallint: return "int2";
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc: return "int4";
    case TFieldType::ftLargeint: return "int8";
    case TFieldType::ftFloat: return "float8";
    case TFieldType::ftCurrency: return "numeric(18,4)";
    case TFieldType::ftBCD: return "numeric";
    case TFieldType::ftBoolean: return "bool";
    case TFieldType::ftDate: return "date";
    case TFieldType::ftTime: return "time";
    case TFieldType::ftDateTime: return "timestamp";
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo: return "text";
    default: return "bytea";
  }
}

void CopyToServer(TDataSet& source, const std::string& conninfo, const std::string& table,
                  const std::string& primary_key) {
  const Connection connection(conninfo);
  std::string ddl = "CREATE TABLE " + PgQuoteIdentifier(table) + " (";
  for (int f = 0; f < source.FieldCount(); ++f) {
    const TField* field = source.Fields(f);
    ddl += (f == 0 ? "" : ", ") + PgQuoteIdentifier(field->FieldName()) + " " +
           PgColumnType(static_cast<int>(field->DataType()), field->Size());
    if (field->FieldName() == primary_key) ddl += " PRIMARY KEY";
  }
  connection.Exec(ddl + ")");
  connection.Exec("COPY " + PgQuoteIdentifier(table) + " FROM STDIN");
  std::string buffer;
  auto flush = [&] {
    if (PQputCopyData(connection.conn, buffer.data(), static_cast<int>(buffer.size())) != 1) {
      throw std::runtime_error(std::string("COPY failed: ") + PQerrorMessage(connection.conn));
    }
    buffer.clear();
  };
  for (source.First(); !source.Eof(); source.Next()) {
    for (int f = 0; f < source.FieldCount(); ++f) {
      const TField* field = source.Fields(f);
      if (f > 0) buffer += '\t';
      const auto text = PgParamText(field->AsVariant(), field->DataType());
      if (text) {
        AppendCopyText(buffer, *text);
      } else {
        buffer += "\\N";
      }
    }
    buffer += '\n';
    if (buffer.size() > (1 << 20)) flush();
  }
  flush();
  if (PQputCopyEnd(connection.conn, nullptr) != 1) throw std::runtime_error(PQerrorMessage(connection.conn));
  PGresult* r = PQgetResult(connection.conn);
  const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
  const std::string message = PQresultErrorMessage(r);
  PQclear(r);
  while (PGresult* rest = PQgetResult(connection.conn)) PQclear(rest);
  if (!ok) throw std::runtime_error("COPY into " + table + " failed: " + message);
  connection.Exec("ANALYZE " + PgQuoteIdentifier(table));
}

void LoadSampleDatabase(const std::string& conninfo, int customers, int orders) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("vantor-sample-" + std::to_string(getpid()) + ".db")).string();
  CreateSampleDatabase(path, customers, orders);
  struct Remove {
    std::string path;
    ~Remove() { std::filesystem::remove(path); }
  } remove{path};
  for (const char* name : {"customers", "orders"}) {
    TSQLiteTable table(nullptr);
    table.SetDatabaseName(path);
    table.SetTableName(name);
    table.Open();
    CopyToServer(table, conninfo, name, "id");
  }
  PgExec(conninfo,
         "CREATE INDEX customers_name ON customers (lower(name));"
         "CREATE INDEX customers_city_name ON customers (city, name);"
         "CREATE INDEX customers_limit_desc ON customers (credit_limit DESC);"
         "CREATE UNIQUE INDEX customers_email ON customers (email);"
         "CREATE INDEX orders_customer_date ON orders (customer_id, order_date DESC);"
         "CREATE INDEX orders_date ON orders (order_date);"
         "CREATE INDEX orders_amount_desc ON orders (amount DESC);"
         "ALTER TABLE orders ALTER COLUMN customer_id SET NOT NULL;"
         "ALTER TABLE orders ALTER COLUMN order_date SET NOT NULL;"
         "ALTER TABLE customers ALTER COLUMN name SET NOT NULL;"
         "ANALYZE customers; ANALYZE orders");
}

}  // namespace vantor::testing_support
