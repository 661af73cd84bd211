#pragma once
// TPgQuery: a read-only data set over the result of any SQL query on a PostgreSQL
// server. Open runs the query and keeps every result row; it is no table, so it has no
// indexes and no keyed seeks (navigation, bookmarks and filtering work as for any data
// set). Field types follow the result columns' types (see pg_types.h); columns of the
// same name (a join) get a number: "id", "id_1".
//
// A server condition (SetServerCondition) is applied to the query's result as a whole:
// SELECT * FROM (SQL) AS q WHERE condition.

#include <string>

#include <vantor/platform/data/data_set.h>
#include <vantor/platform/postgres/pg_data_set.h>

namespace vantor {

class TPgQuery : public TPgDataSet<TDataSet> {
 public:
  explicit TPgQuery(TComponent* owner);
  ~TPgQuery() override;
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The query. Set while closed.
  const std::string& SQL() const { return sql_; }
  void SetSQL(const std::string& sql) { SetWhileClosed(sql_, sql); }

 protected:
  Rows ReadRows() override;
  void DefineFields(const std::vector<PgColumn>& columns) override;
  bool ReadOnlyDataSet() const override { return true; }

 private:
  std::string sql_;
};

}  // namespace vantor
