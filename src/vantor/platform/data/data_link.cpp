#include <vantor/platform/data/data_link.h>

#include <vantor/platform/data/data_source.h>

namespace vantor {

TDataLink::~TDataLink() {
  if (data_source_ != nullptr) data_source_->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* source) {
  if (source == data_source_) return;
  if (data_source_ != nullptr) data_source_->RemoveLink(this);
  data_source_ = source;
  if (data_source_ != nullptr) data_source_->AddLink(this);
  UpdateState();
}

TDataSet* TDataLink::DataSet() const {
  return data_source_ != nullptr ? data_source_->DataSet() : nullptr;
}

void TDataLink::UpdateState() {
  TDataSet* data_set = DataSet();
  const bool active = data_source_ != nullptr && data_source_->State() != dsInactive;
  if (active != active_ || data_set != seen_data_set_) {
    previous_data_set_ = seen_data_set_;
    seen_data_set_ = data_set;
    active_ = active;
    ActiveChanged();
    previous_data_set_ = nullptr;
  }
  const TDataSetState state = data_source_ != nullptr ? data_source_->State() : dsInactive;
  const bool editing = active_ && (state == dsEdit || state == dsInsert);
  if (editing != editing_) {
    editing_ = editing;
    EditingChanged();
  }
}

void TDataLink::DataEvent(TDataEvent event, std::intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!active_) return;
  switch (event) {
    case deFieldChange:
      RecordChanged(reinterpret_cast<TField*>(info));
      break;
    case deRecordChange:
      RecordChanged(nullptr);
      break;
    case deDataSetChange:
      DataSetChanged();
      break;
    case deDataSetScroll:
      DataSetScrolled(static_cast<int>(info));
      break;
    case deLayoutChange:
      LayoutChanged();
      break;
    case deUpdateRecord:
      UpdateData();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl:
      FocusControl(reinterpret_cast<TField**>(info));
      break;
    default:
      break;
  }
}

}  // namespace vantor
