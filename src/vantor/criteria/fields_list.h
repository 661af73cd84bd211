#pragma once
// TFieldsList: the ordered collection of field records a criteria panel offers (its
// published Fields). Besides holding the records it mirrors the data set's fields while
// no explicit list was made (DefaultFields), turns the change flags the records raise
// into a relayout or a re-application of the criteria (Update), and keeps the field map:
// the records that currently carry a criterion, in search order.
//
// TFieldsListDesigner: the hook through which a design-time editor hears of record
// changes (DataEvent). Whoever makes a designer owns it (the editor window that made it
// frees it); the list only refers to its current one. So a designer is freed exactly
// once, whichever of the two goes first.
//
// Who calls what: the panel calls SetFields from its LayoutChanged and ActiveChanged and
// after loading; records and option sets add flags to State and report Changed; the
// platform runs Update after the outermost EndUpdate and after every record change.

#include <cstdint>
#include <memory>
#include <vector>

#include <vantor/criteria/criteria_types.h>
#include <vantor/platform/core/collection.h>

namespace vantor {

class TFieldRecord;
class TFieldsList;
class TFieldsOwner;

class TFieldsListDesigner {
 public:
  // Becomes the list's designer. A designer the list had before is detached (its List
  // becomes null), not freed: its maker still holds it.
  explicit TFieldsListDesigner(TFieldsList* list);
  TFieldsListDesigner(const TFieldsListDesigner&) = delete;
  TFieldsListDesigner& operator=(const TFieldsListDesigner&) = delete;
  // Unlinks itself from the list when it is still the list's designer.
  virtual ~TFieldsListDesigner();

  // The list it serves; null once replaced by another designer or once the list is gone.
  TFieldsList* List() const { return list_; }
  // A record's field name changed; the fields editor refreshes its list.
  virtual void DataEvent() {}

 private:
  friend class TFieldsList;
  TFieldsList* list_;
};

class TFieldsList : public TCollection {
 public:
  // `item_class` is the record class (TFieldRecord or a descendant built with .Item()).
  TFieldsList(TFieldsOwner* owner, const TypeInfo& item_class);
  ~TFieldsList() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TFieldsOwner* Owner() const { return owner_; }

  TFieldRecord* Add();
  // EListError outside 0..Count-1.
  TFieldRecord* Items(int index) const;
  // The records in order, for range-for (`for (TFieldRecord* r : list.Records())`);
  // adding or freeing records meanwhile invalidates it.
  TCollectionItems<TFieldRecord> Records() const { return ItemsAs<TFieldRecord>(); }
  // Items(index)->Assign(value).
  void SetItems(int index, const TFieldRecord* value);

  // True while the list mirrors the data set's fields; becoming True refills it.
  bool DefaultFields() const { return default_fields_; }
  void SetDefaultFields(bool value);

  // Maps the records to the data set's fields: re-resolves an explicit list, or rebuilds
  // a default list from the data set (reusing records by their bound field). Nothing
  // while the owner loads.
  void SetFields();
  // Rebuilds the field map (copying Values into MainValues when fsValueUpdate is
  // pending): records with a key position first, by IndexNo, then the rest, each group
  // in collection order.
  void SetFieldMap();
  // Records changed places: the field map is rebuilt from the applied values, so that it
  // names the same records in their new places (nothing is re-applied or searched).
  void ItemsMoved();

  // Collection indexes of the records that carry a criterion, in search order.
  const std::vector<int>& FieldMap() const { return field_map_; }
  int FieldMapCount() const { return static_cast<int>(field_map_.size()); }
  // The record at field-map position `pos`.
  TFieldRecord* FieldMapRecord(int pos) const;

  TFieldsState State() const { return state_; }
  void SetState(TFieldsState value) { state_ = value; }
  void IncludeState(TFieldsState flags) { state_ += flags; }
  void ExcludeState(TFieldsState flags) { state_ -= flags; }

  // The current designer (not owned), or null.
  TFieldsListDesigner* Designer() const { return designer_; }

 protected:
  // Drains State: relayout for fsPaintNeeded; field map and the owner's Changed for
  // fsUpdateNeeded/fsValueUpdate. fsValueChanged stays for the panel. Nothing while the
  // owner loads.
  void Update(TCollectionItem* item) override;

 private:
  friend class TFieldsListDesigner;
  bool OwnerLoading() const;
  // The field map from the records' main values, as SetFieldMap describes.
  void BuildFieldMap();

  TFieldsOwner* owner_;
  bool default_fields_ = true;
  std::vector<int> field_map_;
  TFieldsListDesigner* designer_ = nullptr;
  TFieldsState state_;
};

}  // namespace vantor
