#include "support/criteria_entry.h"

#include <vantor/platform/rtl/exceptions.h>

namespace vantor::testing_support {

std::vector<Criterion> RandomCriteria(RandomValues& random, TDataSet& data, const std::vector<std::string>& fields,
                                      int most) {
  std::uniform_int_distribution<std::size_t> field(0, fields.size() - 1);
  std::uniform_int_distribution<int> compare(0, 2);
  std::bernoulli_distribution coin(0.5);
  std::vector<Criterion> criteria;
  for (int n = std::uniform_int_distribution<int>(1, most)(random.rng); n > 0; --n) {
    Criterion c;
    c.field = fields[field(random.rng)];
    c.count = coin(random.rng) ? coTwo : coOne;
    c.compare = static_cast<TCompareType>(compare(random.rng));
    c.case_insensitive = coin(random.rng);
    const TFieldType type = data.FieldByName(c.field)->DataType();
    c.low = random.Entered(type);
    c.high = random.Entered(type);
    criteria.push_back(std::move(c));
  }
  return criteria;
}

std::string Describe(const std::vector<Criterion>& criteria) {
  std::string what;
  for (const Criterion& c : criteria) {
    what += c.field + (c.count == coTwo ? " range " : " one ") + VarToStr(c.low) + ".." + VarToStr(c.high) + " cmp" +
            std::to_string(static_cast<int>(c.compare)) + (c.case_insensitive ? " ci; " : " cs; ");
  }
  return what;
}

void EnterCriteria(TPanelFieldsSet& panel, const std::vector<std::string>& fields,
                   const std::vector<Criterion>& criteria) {
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
      // Left as the record left it, as a person's entry it refuses.
    }
  }
}

std::vector<int> ApplyCriteria(TPanelFieldsSet& panel, TDataSet& data, const std::vector<std::string>& fields,
                               const std::vector<Criterion>& criteria) {
  try {
    EnterCriteria(panel, fields, criteria);
    panel.EndUpdate();
  } catch (const Exception&) {
    return {-1};
  }
  std::vector<int> ids;
  for (data.First(); !data.Eof(); data.Next()) ids.push_back(data.FieldByName("id")->AsInteger());
  return ids;
}

}  // namespace vantor::testing_support
