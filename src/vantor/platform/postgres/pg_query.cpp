#include <vantor/platform/postgres/pg_query.h>

namespace vantor {

const TypeInfo& TPgQuery::StaticType() {
  static const TypeInfo info = DescribePg<TPgQuery>("TPgQuery").Property("SQL", &TPgQuery::SQL, &TPgQuery::SetSQL, "").Build();
  return info;
}

TPgQuery::TPgQuery(TComponent* owner) : TPgDataSet(owner) {}

TPgQuery::~TPgQuery() { DestroyDataSet(); }

TPgQuery::Rows TPgQuery::ReadRows() {
  std::string sql = sql_;
  // A trailing ";" would end the subquery below early.
  while (!sql.empty() && (sql.back() == ';' || sql.back() == ' ' || sql.back() == '\n' || sql.back() == '\t')) {
    sql.pop_back();
  }
  if (sql.empty()) Error("Missing SQL property");
  if (ReadCondition().empty()) return ReadSelect(sql, {}, true);
  return ReadSelect("SELECT * FROM (" + sql + "\n) AS q WHERE " + ReadCondition(), ConditionParams(), true);
}

void TPgQuery::DefineFields(const std::vector<PgColumn>& columns) {
  FieldDefs().Clear();
  for (const PgColumn& c : columns) {
    // Field names are case-insensitive: "ID" and "id" are one name.
    std::string unique = c.name;
    for (int n = 1; FieldDefs().IndexOf(unique) >= 0; ++n) unique = c.name + "_" + std::to_string(n);
    FieldDefs().Add(unique, c.type, c.type == TFieldType::ftString ? c.size : 0);
  }
}

}  // namespace vantor
