#include <vantor/platform/data/data_source.h>

#include <algorithm>

#include <vantor/platform/data/data_link.h>

namespace vantor {

const TypeInfo& TDataSource::StaticType() {
  static const TypeInfo info = TypeBuilder<TDataSource>("TDataSource", &TComponent::StaticType())
                                   .Component()
                                   .Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)
                                   .Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled, true)
                                   .Event("OnStateChange", &TDataSource::OnStateChange)
                                   .Build();
  return info;
}

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  if (data_set_ != nullptr) {
    data_set_->RemoveDataSource(this);
    data_set_ = nullptr;
  }
  state_ = dsInactive;
  // Each link loses its source: its DataSet becomes null and it hears ActiveChanged.
  while (!links_.empty()) {
    TDataLink* link = links_.back();
    links_.pop_back();
    link->data_source_ = nullptr;
    link->UpdateState();
  }
}

void TDataSource::SetDataSet(TDataSet* data_set) {
  if (data_set == data_set_) return;
  TDataSet* old = data_set_;
  data_set_ = data_set;
  if (old != nullptr) {
    old->RemoveDataSource(this);
    RemoveFreeNotification(old);
  }
  if (data_set_ != nullptr) {
    data_set_->AddDataSource(this);
    FreeNotification(data_set_);
  }
  UpdateState();
}

void TDataSource::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateState();
}

void TDataSource::Notification(TComponent* c, TOperation op) {
  TComponent::Notification(c, op);
  if (op == opRemove && c != nullptr && c == data_set_) DataSetDestroying(data_set_);
}

void TDataSource::UpdateState() {
  const TDataSetState state = enabled_ && data_set_ != nullptr ? data_set_->State() : dsInactive;
  const bool changed = state != state_;
  state_ = state;
  // Copy: a link may detach itself while it is told.
  const std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links) {
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->UpdateState();
  }
  if (changed) OnStateChange(this);
}

void TDataSource::DataSetDestroying(TDataSet* data_set) {
  if (data_set != data_set_) return;
  data_set_ = nullptr;
  RemoveFreeNotification(data_set);
  UpdateState();
}

void TDataSource::DataEvent(TDataEvent event, std::intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (state_ == dsInactive) return;
  const std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links) {
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->DataEvent(event, info);
  }
}

void TDataSource::AddLink(TDataLink* link) {
  if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link) {
  links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

}  // namespace vantor
