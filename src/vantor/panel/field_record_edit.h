#pragma once
// TFieldRecordEdit: the edit control of one value slot of a criteria record. The layout
// makes one or two per visible record (slot 0 the single value or lower bound, slot 1
// the upper bound), wires its events to the panel's edit handlers and shows the
// record's entered value in it; the record frees it (DestroyComponents) or the layout
// does when the row no longer needs it.
//
// Its key filter: the mask edit's own handling first (the application's OnKeyPress sees
// the key before anything else, the mask takes what it accepts, Enter is dropped), then
// every printable character is put to the record's IsValidChar; a refused one beeps and
// is dropped. Control characters (Backspace, Escape, the clipboard keys) always pass.

#include <cassert>

#include <vantor/criteria/field_record.h>
#include <vantor/panel/vnt_mask_edit.h>

namespace vantor {

class TFieldRecordEdit : public TVntMaskEdit {
 public:
  explicit TFieldRecordEdit(TComponent* owner) : TVntMaskEdit(owner) {}

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The criteria record the edit belongs to (not owned).
  TFieldRecord* FieldRecord() const { return field_record_; }
  void SetFieldRecord(TFieldRecord* record) { field_record_ = record; }

 protected:
  void KeyPress(char32_t& key) override;

 private:
  TFieldRecord* field_record_ = nullptr;
};

// Keeps a record's text-push lock of one slot raised for a scope, so that text the
// program writes into the slot's edit is not read back as typed input.
class EditUpdatingLock {
 public:
  EditUpdatingLock(TFieldRecord& record, int slot) : record_(&record), slot_(slot) {
    record_->BeginEditUpdating(slot_);
  }
  EditUpdatingLock(const EditUpdatingLock&) = delete;
  EditUpdatingLock& operator=(const EditUpdatingLock&) = delete;
  ~EditUpdatingLock() { record_->EndEditUpdating(slot_); }

 private:
  TFieldRecord* record_;
  int slot_;
};

// The record's edit of `slot` as the layout made it, or null. The record holds its edits
// as mask edits (all the criteria model needs of them); within a panel every one of them
// is a TFieldRecordEdit, because the layout is the only code that makes them.
inline TFieldRecordEdit* FieldEdit(const TFieldRecord& record, int slot) {
  TCustomMaskEdit* edit = record.Edits(slot);
  assert(edit == nullptr || dynamic_cast<TFieldRecordEdit*>(edit) != nullptr);
  return static_cast<TFieldRecordEdit*>(edit);
}

}  // namespace vantor
