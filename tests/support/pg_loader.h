#pragma once
// Puts data into a PostgreSQL database for tests and benchmarks: any open data set as a
// new table (column types chosen to read back as the same field types), and the sample
// database's customers and orders with their keys and indexes.

#include <string>
#include <vector>

namespace vantor {
class TDataSet;
}

namespace vantor::testing_support {

// Creates `table` with one column per field of `source` (varchar(n) for strings of
// Size n, numeric(18,4) for currencies, numeric for BCD, timestamp for date-times ...),
// with `primary_key` (a field name, or "") as its primary key, and copies every record
// of `source` into it in the data set's current order. std::runtime_error on failure.
void CopyToServer(TDataSet& source, const std::string& conninfo, const std::string& table,
                  const std::string& primary_key = "");

// The server's column type for a field type and size, as CopyToServer declares it.
std::string PgColumnType(int field_type, int size);

// The sample database (customers, orders; see sample_database.h) in the database of
// `conninfo`, with the same primary keys and the sample's indexes over plain columns
// (the case-insensitive name index as an index on lower(name)).
void LoadSampleDatabase(const std::string& conninfo, int customers, int orders);

}  // namespace vantor::testing_support
