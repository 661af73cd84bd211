#pragma once
// TSQLiteDataSet: what the two SQLite data sets have in common, the table (TSQLiteTable,
// a TTable) and the query (TSQLiteQuery, a plain TDataSet): the database file they read,
// published as DatabaseName, and its opening. It is a base between each of them and the
// data set class it extends, instantiated for those two classes only.

#include <memory>
#include <string>

#include <vantor/platform/core/type_info.h>

namespace vantor {

class SQLiteConnection;
class TComponent;

template <class Base>
class TSQLiteDataSet : public Base {
 public:
  explicit TSQLiteDataSet(TComponent* owner) : Base(owner) {}

  // The database file; it must exist (it is never created). Set while closed.
  const std::string& DatabaseName() const { return database_name_; }
  void SetDatabaseName(const std::string& name) { SetWhileClosed(database_name_, name); }

 protected:
  // The type description of the SQLite data set C, up to its own properties: a component
  // whose first property is DatabaseName.
  template <class C>
  static TypeBuilder<C> DescribeSQLite(std::string name) {
    TypeBuilder<C> builder(std::move(name), &Base::StaticType());
    builder.Component().Property("DatabaseName", &C::DatabaseName, &C::SetDatabaseName, "");
    return builder;
  }
  // Stores a property that may change only while the data set is closed.
  void SetWhileClosed(std::string& property, const std::string& value);
  // The file named by DatabaseName, opened; raises "Missing DatabaseName property" without one.
  [[nodiscard]] std::unique_ptr<SQLiteConnection> OpenDatabase() const;

 private:
  std::string database_name_;
};

}  // namespace vantor
