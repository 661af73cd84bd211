#pragma once
// TFindRecord: the item class of a find panel's field list. In the index search modes
// (foIndexExact, foIndexNearest) a key field of the search index can only be sought by
// one exact value with the index's own case rule, so a key record reports exactly that
// (coOne, ctExact, the index entry's case insensitivity) whatever it holds. An explicit
// setting that contradicts the index takes the panel out of index mode (to foFast),
// after which the record reports its own settings again. In the other modes a find
// record behaves as a plain field record.

#include <vantor/criteria/field_record.h>

namespace vantor {

class TDBCustomFindPanel;

class TFindRecord : public TFieldRecord {
 public:
  explicit TFindRecord(TCollection* collection) : TFieldRecord(collection) {}

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  void SetCompare(TCompareType value) override;
  TCompareType GetCompare() const override;
  void SetCount(TCountType value) override;
  TCountType GetCount() const override;
  void SetCaseInsensitive(bool value) override;
  bool GetCaseInsensitive() const override;
  TCompareType DefaultCompare() const override;
  TCountType DefaultCount() const override;
  bool DefaultCaseInsensitive() const override;

  // The find panel that owns the record's list, or null.
  TDBCustomFindPanel* FindPanel() const;
  // True when the record is a key field of the index and the panel is in an index mode.
  bool IsKeyRecord() const;

 private:
  // The case insensitivity of the record's index entry (true without one).
  bool IndexCaseInsensitive() const;
  // A key record that is set against the index takes the panel out of index mode.
  void LeaveIndexMode();
};

}  // namespace vantor
