#pragma once
// Criteria entered into a panel as a person enters them, for the tests that compare the
// records one panel shows on two data sets.

#include <string>
#include <vector>

#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/data/data_set.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor::testing_support {

// One field's criterion: count, compare and case rule, and the value or range bounds.
struct Criterion {
  std::string field;
  TCountType count;
  TCompareType compare;
  bool case_insensitive;
  Variant low, high;
};

// Clears the values of `fields` on `panel`, enters `criteria` in one update and answers the
// ids `data` then shows in order, or {-1} when the panel refused the criteria. A value a
// record cannot take leaves that criterion as the record left it.
inline std::vector<int> EnterCriteria(TPanelFieldsSet& panel, TDataSet& data, const std::vector<std::string>& fields,
                                      const std::vector<Criterion>& criteria) {
  try {
    panel.BeginUpdate();
    for (const std::string& name : fields) {
      if (TFieldRecord* r = panel.FindField(name)) {
        r->SetValues(0, Variant::Null());
        r->SetValues(1, Variant::Null());
      }
    }
    for (const Criterion& c : criteria) {
      TFieldRecord* r = panel.FindField(c.field);
      try {
        r->SetCount(c.count);
        r->SetCompare(c.compare);
        r->SetCaseInsensitive(c.case_insensitive);
        r->SetValues(0, c.low);
        if (c.count == coTwo) r->SetValues(1, c.high);
      } catch (const Exception&) {
      }
    }
    panel.EndUpdate();
  } catch (const Exception&) {
    return {-1};
  }
  std::vector<int> ids;
  for (data.First(); !data.Eof(); data.Next()) ids.push_back(data.FieldByName("id")->AsInteger());
  return ids;
}

}  // namespace vantor::testing_support
