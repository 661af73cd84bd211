#pragma once
// TfmValues: the small modal form in which a developer enters, at design time, the two
// stored values and the two comment texts of one field record. The value edits refuse the
// keys the record's field type does not take, check a typed text when they are left, and
// OK writes back only the values whose edit was changed (a cleared edit stores Null) and
// both comments. A text the type rejects keeps the form open.

#include <array>

#include <vantor/panel/vnt_mask_edit.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/form.h>

namespace vantor {

class TFieldRecord;

class TfmValues : public TForm {
 public:
  // Reads the form's description; NewForm<TfmValues>(owner) then runs FormCreate.
  explicit TfmValues(TComponent* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The record being edited; set before the form shows. May be null: the form then
  // changes nothing.
  TFieldRecord* FieldRecord = nullptr;
  // Made by FormCreate, owned by the form, on paTop.
  std::array<TVntMaskEdit*, 2> ValueEdits{};
  std::array<TVntMaskEdit*, 2> CommentEdits{};

  // ---- handlers bound by the description ----
  void FormCreate(TObject* sender);
  // Shows the record: alignment, value texts, comments; the caption becomes its FieldName.
  void FormActivate(TObject* sender);
  // On OK: the changed values and both comments into the record.
  void FormCloseQuery(TObject* sender, bool& can_close);
  // The value edits' key filter and exit check.
  void EditKeyPress(TObject* sender, char32_t& key);
  void EditExit(TObject* sender);

  // ---- controls of the description ----
  TPanel* paTop = nullptr;
  TPanel* paBottom = nullptr;
  TButton* buOk = nullptr;
  TButton* buCancel = nullptr;

 private:
  bool shown_ = false;
};

}  // namespace vantor
