#include "engines/support/random_filter.h"

#include <vantor/platform/rtl/ansi_strings.h>
#include "support/criteria_entry.h"

namespace vantor::engines_test {

std::string CapitalsField::ValueText(const Variant& stored) const { return AnsiUpperCase(stored.AsString()); }

RandomTable::RandomTable(RandomValues& random, int rows) : table(nullptr), source(nullptr) {
  struct Column {
    const char* name;
    TFieldType type;
  };
  const Column columns[] = {
      {"id", TFieldType::ftInteger},   {"name", TFieldType::ftString},    {"city", TFieldType::ftString},
      {"shout", TFieldType::ftString}, {"amount", TFieldType::ftInteger}, {"small", TFieldType::ftSmallint},
      {"word", TFieldType::ftWord},    {"price", TFieldType::ftFloat},    {"limit", TFieldType::ftCurrency},
      {"day", TFieldType::ftDate},     {"stamp", TFieldType::ftDateTime}, {"flag", TFieldType::ftBoolean},
      {"big", TFieldType::ftLargeint}, {"note", TFieldType::ftMemo},
  };
  for (const Column& c : columns) {
    const bool text = c.type == TFieldType::ftString;
    table.FieldDefs().Add(c.name, c.type, text ? 60 : 0);
    TField* f = text && std::string(c.name) == "shout" ? new CapitalsField(&table) : CreateField(&table, c.type);
    f->SetFieldName(c.name);
    if (text) f->SetSize(60);
  }
  TField* calc = CreateField(&table, TFieldType::ftString);
  calc->SetFieldName("calc");
  calc->SetSize(120);
  calc->SetFieldKind(fkInternalCalc);
  table.OnCalcFields = [this](TDataSet* ds) {
    ++calc_calls;
    ds->FieldByName("calc")->SetAsString(ds->FieldByName("city")->AsString() + ds->FieldByName("name")->AsString());
  };
  table.Open();
  random.Fill(table, rows);
  source.SetDataSet(&table);
}

RandomTable::~RandomTable() { source.SetDataSet(nullptr); }

const std::vector<std::string>& RandomTableCriteriaFields() {
  static const std::vector<std::string> fields = {"name", "city",  "shout", "amount", "small", "word", "price",
                                                  "limit", "day", "stamp", "flag",   "big",   "calc"};
  return fields;
}

RandomFilterRig::RandomFilterRig(std::uint32_t seed, int rows, ValueSpread spread)
    : random(seed, std::move(spread)), t(random, rows), panel(nullptr) {
  panel.SetDataSource(&t.source);
  panel.SetFiltered(true);
}

RandomFilterRig::~RandomFilterRig() { panel.SetDataSource(nullptr); }

std::string RandomFilterRig::EnterRandomCriteria() {
  const std::vector<std::string>& fields = RandomTableCriteriaFields();
  const std::vector<testing_support::Criterion> criteria = RandomCriteria(random, t.table, fields, 4);
  testing_support::EnterCriteria(panel, fields, criteria);
  return testing_support::Describe(criteria);
}

}  // namespace vantor::engines_test
