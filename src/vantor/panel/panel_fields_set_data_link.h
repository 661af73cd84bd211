#pragma once
// TPanelFieldsSetDataLink: the data link through which a criteria panel hears of its
// data set opening, closing, being exchanged, changing its layout or its data. It
// remembers the data set it last saw, so that a data set the link leaves is handed to
// the panel's SetOldDataSet exactly once.

#include <vantor/platform/data/data_link.h>

namespace vantor {

class TPanelFieldsSet;
class TDataSet;

class TPanelFieldsSetDataLink : public TDataLink {
 public:
  explicit TPanelFieldsSetDataLink(TPanelFieldsSet* panel);
  ~TPanelFieldsSetDataLink() override;

  TPanelFieldsSet* Panel() const { return panel_; }
  // The data set seen at the last activity change (none at first).
  TDataSet* OldDataSet() const { return old_data_set_; }

 protected:
  // Hands a data set the link has left to SetOldDataSet, forgets one that is being
  // destroyed, then tells the panel (ActiveChanged).
  void ActiveChanged() override;
  void DataSetChanged() override;
  void LayoutChanged() override;

 private:
  TPanelFieldsSet* panel_;
  TDataSet* old_data_set_ = nullptr;
};

}  // namespace vantor
