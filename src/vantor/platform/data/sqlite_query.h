#pragma once
// TSQLiteQuery: a read-only data set over the result of a SQL query on a SQLite database
// file. Open runs the query once and keeps every result row; it is no table, so it has no
// indexes and no keyed seeks (navigation, bookmarks and filtering work as for any data set).
//
// Field types come from the declared types of the result columns (as for TSQLiteTable);
// a computed column has none and takes its type from its first non-null value: integers
// ftInteger, reals ftFloat, texts ftString (Size 255), blobs ftBlob.

#include <memory>
#include <string>

#include <vantor/platform/data/data_set.h>
#include <vantor/platform/data/sqlite_data_set.h>

namespace vantor {

class TSQLiteQuery : public TSQLiteDataSet<TDataSet> {
 public:
  explicit TSQLiteQuery(TComponent* owner);
  ~TSQLiteQuery() override;
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The SELECT statement. Set while closed.
  const std::string& SQL() const { return sql_; }
  void SetSQL(const std::string& sql) { SetWhileClosed(sql_, sql); }

 protected:
  std::unique_ptr<TRowStore> InternalOpen(std::unique_ptr<TRowStore> existing) override;
  bool ReadOnlyDataSet() const override { return true; }

 private:
  std::string sql_;
};

}  // namespace vantor
