#pragma once
// TDataLink: how a data-aware object follows a data set. Not a component: the object that
// owns the link derives from it (or holds a derived link) and overrides the notifications.
//
// Who calls what: the data source calls ActiveChanged when the link's activity or its data
// set changes (open, close, exchange of the source's data set, the data set or the source
// freed), EditingChanged when editing starts or ends, and, while active, DataSetChanged
// (contents or order), DataSetScrolled (cursor moved), LayoutChanged (fields re-bound) and
// RecordChanged (a field written, or the record as a whole with null).

#include <cstdint>

#include <vantor/platform/data/data_set.h>

namespace vantor {

class TDataSource;

class TDataLink {
 public:
  TDataLink() = default;
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return data_source_; }
  // Registers with the new source and reports the change (ActiveChanged when the data set
  // or the activity differs from before).
  void SetDataSource(TDataSource* source);
  // The source's data set; null without a source or a data set.
  TDataSet* DataSet() const;
  // True while the source's data set is open (and the source enabled).
  bool Active() const { return active_; }
  // True while the data set is in dsEdit or dsInsert.
  bool Editing() const { return editing_; }
  // During ActiveChanged: the data set the link was following before this notification
  // (the one it is leaving on an exchange or a free; that one may be in csDestroying).
  TDataSet* PreviousDataSet() const { return previous_data_set_; }

  // Dispatches one event of the source; see the class comment.
  void DataEvent(TDataEvent event, std::intptr_t info);

 protected:
  virtual void ActiveChanged() {}
  virtual void EditingChanged() {}
  virtual void DataSetChanged() {}
  // The default treats a layout change as a content change.
  virtual void LayoutChanged() { DataSetChanged(); }
  // The default treats a scroll as a content change.
  virtual void DataSetScrolled(int distance) {
    (void)distance;
    DataSetChanged();
  }
  // `field` is the field written, or null when the whole record changed.
  virtual void RecordChanged(TField* field) { (void)field; }
  // Asked to focus the control for `*field`; set *field to null when done.
  virtual void FocusControl(TField** field) { (void)field; }
  virtual void UpdateData() {}
  virtual void CheckBrowseMode() {}

 private:
  friend class TDataSource;
  void UpdateState();

  TDataSource* data_source_ = nullptr;
  TDataSet* seen_data_set_ = nullptr;
  TDataSet* previous_data_set_ = nullptr;
  bool active_ = false;
  bool editing_ = false;
};

}  // namespace vantor
