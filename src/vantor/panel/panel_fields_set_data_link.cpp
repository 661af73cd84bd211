#include <vantor/panel/panel_fields_set_data_link.h>

#include <vantor/panel/panel_fields_set.h>

namespace vantor {

TPanelFieldsSetDataLink::TPanelFieldsSetDataLink(TPanelFieldsSet* panel) : panel_(panel) {}

TPanelFieldsSetDataLink::~TPanelFieldsSetDataLink() { panel_ = nullptr; }

void TPanelFieldsSetDataLink::ActiveChanged() {
  if (panel_ == nullptr) return;
  TDataSet* data_set = DataSet();
  if (data_set != old_data_set_) {
    TDataSet* left = old_data_set_;
    old_data_set_ = data_set;
    if (left != nullptr) panel_->SetOldDataSet(left);
  } else if (data_set != nullptr && data_set->ComponentState().Contains(csDestroying)) {
    // A data set on its way out is not handed over later.
    old_data_set_ = nullptr;
  }
  panel_->ActiveChanged();
}

void TPanelFieldsSetDataLink::DataSetChanged() {
  if (panel_ != nullptr) panel_->DataSetChanged();
}

void TPanelFieldsSetDataLink::LayoutChanged() {
  if (panel_ != nullptr) panel_->LayoutChanged();
}

}  // namespace vantor
