#pragma once
// Criteria entered into a panel as a person enters them, random ones among them, for the
// tests that hold what a panel shows against a reference: the record test run record by
// record, the condition handed to a server, or the same panel on another data set.

#include <string>
#include <vector>

#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/data/data_set.h>
#include <vantor/platform/rtl/variant.h>
#include "support/random_values.h"

namespace vantor::testing_support {

// One field's criterion: count, compare and case rule, and the value or range bounds.
struct Criterion {
  std::string field;
  TCountType count;
  TCompareType compare;
  bool case_insensitive;
  Variant low, high;
};

// 1 to `most` criteria on fields drawn from `fields` of `data`, of any count, compare and
// case rule, with bounds from `random.Entered` for the field's type.
std::vector<Criterion> RandomCriteria(RandomValues& random, TDataSet& data, const std::vector<std::string>& fields,
                                      int most);

// The criteria in a line, for failure messages.
std::string Describe(const std::vector<Criterion>& criteria);

// Clears the values of `fields` on `panel` and enters `criteria` inside an update of the
// panel that the caller ends (EndUpdate applies them). A value a record cannot take
// leaves that criterion as the record left it.
void EnterCriteria(TPanelFieldsSet& panel, const std::vector<std::string>& fields,
                   const std::vector<Criterion>& criteria);

// Enters `criteria` and ends the update; answers the ids `data` then shows in order, or
// {-1} when the panel refused the criteria.
std::vector<int> ApplyCriteria(TPanelFieldsSet& panel, TDataSet& data, const std::vector<std::string>& fields,
                               const std::vector<Criterion>& criteria);

}  // namespace vantor::testing_support
