#pragma once
// A filter panel over a random in-memory table with a column of each kind the panel
// reads, a calculated field and a field that shows its values its own way, for the
// randomised tests of the panel's compiled filter and of the condition it hands a server.

#include <cstdint>
#include <string>
#include <vector>

#include <vantor/engines/filter_panel.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/data/typed_fields.h>
#include "support/random_values.h"

namespace vantor::engines_test {

using testing_support::RandomValues;
using testing_support::ValueSpread;

// A string field that shows its values in capitals: its text is not its stored value.
class CapitalsField : public TStringField {
 public:
  using TStringField::TStringField;

 protected:
  std::string ValueText(const Variant& stored) const override;
};

// Columns id, name, city, shout (a CapitalsField), amount, small, word, price, limit
// (currency), day, stamp, flag, big (64 bits), note (a memo), and calc (city + name,
// calculated, counted in calc_calls); `rows` random records.
struct RandomTable {
  RandomTable(RandomValues& random, int rows);
  ~RandomTable();

  TTable table;
  TDataSource source;
  int calc_calls = 0;
};

// The table's fields that have a record in a panel (every one but the memo).
const std::vector<std::string>& RandomTableCriteriaFields();

// A filtered panel bound to a RandomTable of `rows` records from `seed`.
struct RandomFilterRig {
  RandomFilterRig(std::uint32_t seed, int rows, ValueSpread spread = {});
  ~RandomFilterRig();

  // Clears the criteria and enters random ones for 1 to 4 fields in an update the caller
  // ends (EndUpdate filters again); answers their description.
  std::string EnterRandomCriteria();

  RandomValues random;
  RandomTable t;
  TDBFilterPanel panel;
};

}  // namespace vantor::engines_test
