#pragma once
// TDBCustomFilterPanel: the criteria panel that filters its data set by example. While
// Filtered is on it installs its FilterRecord as the data set's record filter, which
// accepts a record when the application's own OnFilterRecord (if any) accepts it and the
// record test passes for every field that carries a value.
// TDBFilterPanel is the same class with its properties published.
//
// Who calls what: the panel's Changed (after every field-map rebuild) runs UpdateDataSet,
// which switches the data set's filtering and returns it to its first record; a data set
// whose rows come from a server is asked first to read only rows that may match (the
// criteria's server condition, CriteriaServerCondition), or all rows again; the data
// set then calls FilterRecord once per record it considers. The data link hands a data
// set it leaves to SetOldDataSet, which leaves it unfiltered; DataSetChanged follows a
// program that switches the data set's Filtered directly. CanSetFiltered is false while
// UpdateDataSet runs, so the change notifications it causes do not re-enter it.

#include <memory>

#include <vantor/engines/compiled_filter.h>
#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/data/data_set.h>

namespace vantor {

class TDBCustomFilterPanel : public TPanelFieldsSet {
 public:
  // Makes the field list of TFilterRecord items; not filtered.
  explicit TDBCustomFilterPanel(TComponent* owner);
  // Frees the field list; the panel's own destruction then leaves the linked data set
  // unfiltered (SetOldDataSet).
  ~TDBCustomFilterPanel() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  bool GetFiltered() const { return filtered_; }
  // Stores the value and applies it through Changed; ignored while UpdateDataSet runs,
  // and a no-op when nothing would change (the data set agrees already).
  void SetFiltered(bool value);
  bool CanSetFiltered() const { return can_set_filtered_; }

  // The application's own filter handler, consulted before the panel's test.
  TFilterRecordEvent OnFilterRecord;

  // The callback installed on the data set: the application's handler first, then, if it
  // accepted, CheckRecord over the whole field map. The data set runs it for a single row;
  // for a whole pass it asks the compiled form of the same test (CompiledFilter), which
  // gives the same answers.
  void FilterRecord(TDataSet* data_set, bool& accept);
  // The compiled form of FilterRecord, installed along with it.
  TCompiledFilter& CompiledFilter() { return *compiled_; }
  const TCompiledFilter& CompiledFilter() const { return *compiled_; }

  // Applies Filtered and the criteria to an active data set and moves it to its first
  // record; the hourglass shows meanwhile when ChangeCursor is on.
  void UpdateDataSet() override;
  // The link left `data_set`: its callback is removed and its filtering switched off.
  void SetOldDataSet(TDataSet* data_set) override;
  // Follows the data set's own Filtered when a program changed it directly.
  void DataSetChanged() override;
  // Calculated and lookup fields and memos never filter: their records count as coNone
  // and get no row in a default list.
  bool ValidateFieldRecord(const TFieldRecord* record) const override;

 private:
  TDataSet* LinkedDataSet() const;
  // Asks the data set to read the rows the criteria may accept while filtering, all rows
  // otherwise (nothing for a data set whose rows are all at hand).
  void NarrowOnServer(TDataSet& data_set);

  bool filtered_ = false;
  bool can_set_filtered_ = true;
  // Installed on the data set with FilterRecord and dropped by it with that callback, which
  // the panel clears before it goes (destructor, SetOldDataSet).
  std::unique_ptr<TCompiledFilter> compiled_;
};

// The filter panel with its properties published for the form designer.
class TDBFilterPanel : public TDBCustomFilterPanel {
 public:
  explicit TDBFilterPanel(TComponent* owner) : TDBCustomFilterPanel(owner) {}

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
};

}  // namespace vantor
