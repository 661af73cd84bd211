#pragma once
// TDataSource: the connector between one data set and any number of data links. It
// forwards the data set's events to its links and tells them when the data set is
// exchanged, freed, opened or closed.

#include <vector>

#include <vantor/platform/core/component.h>
#include <vantor/platform/data/data_set.h>

namespace vantor {

class TDataLink;

class TDataSource : public TComponent {
 public:
  explicit TDataSource(TComponent* owner);
  ~TDataSource() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TDataSet* DataSet() const { return data_set_; }
  // Stores the new data set first, then tells every link, so a link that hears of the
  // exchange already sees the new data set (and the one it left through PreviousDataSet).
  void SetDataSet(TDataSet* data_set);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // The data set's state, dsInactive without one or while disabled.
  TDataSetState State() const { return state_; }
  int LinkCount() const { return static_cast<int>(links_.size()); }

  void Notification(TComponent* c, TOperation op) override;

  // Called with the source whenever its State changes.
  Event<TDataSource*> OnStateChange;

 private:
  friend class TDataSet;
  friend class TDataLink;

  void DataEvent(TDataEvent event, std::intptr_t info);
  // Recomputes State and tells every link (ActiveChanged when their data set or activity
  // changed). Sent on every exchange, even when the state stays the same.
  void UpdateState();
  // The data set is going away: forget it and tell the links.
  void DataSetDestroying(TDataSet* data_set);
  void AddLink(TDataLink* link);
  void RemoveLink(TDataLink* link);

  TDataSet* data_set_ = nullptr;
  bool enabled_ = true;
  TDataSetState state_ = dsInactive;
  std::vector<TDataLink*> links_;
};

}  // namespace vantor
