#pragma once
// TFieldRecordEdit: the edit control of one value slot of a criteria record. The layout
// makes one or two per visible record (slot 0 the single value or lower bound, slot 1
// the upper bound); the record owns them from then on and writes its values into them.

#include "platform/core/alignment.h"
#include "platform/ui/mask_edit.h"

namespace vantor {

class TFieldRecord;

class TFieldRecordEdit : public TMaskEdit {
 public:
  explicit TFieldRecordEdit(TComponent* owner) : TMaskEdit(owner) {}

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The criteria record the edit belongs to (not owned).
  TFieldRecord* FieldRecord() const { return field_record_; }
  void SetFieldRecord(TFieldRecord* record) { field_record_ = record; }

  // Horizontal alignment of the text, from the record's Alignment.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);

 private:
  TFieldRecord* field_record_ = nullptr;
  TAlignment alignment_ = taLeftJustify;
};

}  // namespace vantor
