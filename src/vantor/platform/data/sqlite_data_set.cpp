#include <vantor/platform/data/sqlite_data_set.h>

#include <vantor/platform/data/sqlite_connection.h>
#include <vantor/platform/data/table.h>

namespace vantor {

template <class Base>
void TSQLiteDataSet<Base>::SetWhileClosed(std::string& property, const std::string& value) {
  if (value == property) return;
  if (this->Active()) this->Error("Cannot perform this operation on an open dataset");
  property = value;
}

template <class Base>
std::unique_ptr<SQLiteConnection> TSQLiteDataSet<Base>::OpenDatabase() const {
  if (database_name_.empty()) this->Error("Missing DatabaseName property");
  return std::make_unique<SQLiteConnection>(database_name_);
}

// The two SQLite data sets: their members defined here are made once, for them.
template class TSQLiteDataSet<TDataSet>;
template class TSQLiteDataSet<TTable>;

}  // namespace vantor
