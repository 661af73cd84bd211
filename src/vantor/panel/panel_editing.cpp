// The panel's handlers of its field edits' events. Each finds the edit's record and
// slot (EditNo: 0 for the record's first edit, 1 otherwise) and fires the panel event
// of the same name with them; key variables are passed through, so the application's
// handler can change or cancel a key, and mouse coordinates stay the edit's own.
//
// Two of them do more. EditChange takes the typed text as the record's entered value
// (which starts the update cycle: with usAuto the data set follows every accepted
// keystroke); EditExit writes the text back in the field type's own form, fills in a
// range's empty upper bound and applies the values when UpdateState asks for it on
// leaving an edit. The panel's DoExit does the same for leaving the panel, and its
// SetFocus hands the focus to the first field.

#include <optional>
#include <string>

#include <vantor/panel/field_record_edit.h>
#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/ui/mask_edit.h>

namespace vantor {

namespace {

// The field edit `sender` is, with its record and slot; null for any other sender and
// for an edit without a record.
TFieldRecordEdit* EditOf(TObject* sender, TFieldRecord*& record, int& edit_no) {
  auto* edit = dynamic_cast<TFieldRecordEdit*>(sender);
  if (edit == nullptr || edit->FieldRecord() == nullptr) return nullptr;
  record = edit->FieldRecord();
  edit_no = record->Edits(0) == edit ? 0 : 1;
  return edit;
}

// Fires `event` with the sender's record and slot when the sender is a field edit.
template <typename E, typename... A>
void Forward(const E& event, TObject* sender, A&&... args) {
  TFieldRecord* record = nullptr;
  int edit_no = 0;
  if (!event.Assigned() || !EditOf(sender, record, edit_no)) return;
  event(record, std::forward<A>(args)..., edit_no);
}

// True when the edit shows nothing entered: the text its mask shows for no input (the
// empty text without a mask).
bool IsBlank(const TFieldRecordEdit& edit) {
  return edit.Text() == FormatMaskText(edit.EditMask(), "");
}

// The entered value the edit's text stands for while the user types: Null for the blank
// text, the converted value (already in the record's type) for a text that converts,
// nothing for a half-typed one. Never raises: a half-typed value is no error.
std::optional<Variant> TypedValue(const TFieldRecordEdit& edit, const TFieldRecord& record) {
  if (IsBlank(edit)) return Variant::Null();
  const std::string text = edit.Text();
  if (!record.IsConvertText(text)) return std::nullopt;
  // The text may pass the quick check and still not make a value of the record's type
  // (a fraction for an integer, a number beyond a small integer's range).
  try {
    return record.VarAsDataType(record.TextToVariant(text));
  } catch (const Exception&) {
    return std::nullopt;
  }
}

}  // namespace

void TPanelFieldsSet::ConnectEdit(TFieldRecordEdit* edit) {
  edit->OnChange = [this](TObject* s) { EditChange(s); };
  edit->OnClick = [this](TObject* s) { EditClick(s); };
  edit->OnDblClick = [this](TObject* s) { EditDblClick(s); };
  edit->OnEnter = [this](TObject* s) { EditEnter(s); };
  edit->OnExit = [this](TObject* s) { EditExit(s); };
  edit->OnKeyDown = [this](TObject* s, std::uint16_t& key, TShiftState shift) {
    EditKeyDown(s, key, shift);
  };
  edit->OnKeyPress = [this](TObject* s, char32_t& key) { EditKeyPress(s, key); };
  edit->OnKeyUp = [this](TObject* s, std::uint16_t& key, TShiftState shift) {
    EditKeyUp(s, key, shift);
  };
  edit->OnMouseDown = [this](TObject* s, TMouseButton button, TShiftState shift, int x, int y) {
    EditMouseDown(s, button, shift, x, y);
  };
  edit->OnMouseMove = [this](TObject* s, TShiftState shift, int x, int y) {
    EditMouseMove(s, shift, x, y);
  };
  edit->OnMouseUp = [this](TObject* s, TMouseButton button, TShiftState shift, int x, int y) {
    EditMouseUp(s, button, shift, x, y);
  };
  edit->OnButtonClick = [this](TObject* s) { EditButtonClick(s); };
}

void TPanelFieldsSet::EditChange(TObject* sender) {
  TFieldRecord* record = nullptr;
  int edit_no = 0;
  const TFieldRecordEdit* edit = EditOf(sender, record, edit_no);
  if (edit != nullptr && record->EditUpdating(edit_no) == 0) {
    // The value goes into the record, not back into the edit the user types in.
    EditUpdatingLock lock(*record, edit_no);
    // Only the conversion is forgiven; a failure of the update that a new value starts
    // (the data set refusing the filter or the search) reaches the caller.
    if (const std::optional<Variant> value = TypedValue(*edit, *record)) {
      record->SetValues(edit_no, *value);
    }
  }
  Forward(OnEditChange, sender);
}

void TPanelFieldsSet::EditClick(TObject* sender) { Forward(OnEditClick, sender); }
void TPanelFieldsSet::EditDblClick(TObject* sender) { Forward(OnEditDblClick, sender); }
void TPanelFieldsSet::EditEnter(TObject* sender) { Forward(OnEditEnter, sender); }
void TPanelFieldsSet::EditExit(TObject* sender) {
  TFieldRecord* record = nullptr;
  int edit_no = 0;
  TFieldRecordEdit* found = EditOf(sender, record, edit_no);
  if (found == nullptr) return;
  TFieldRecordEdit& edit = *found;
  try {
    Forward(OnEditExit, sender);
    if (edit.Modified() && !IsBlank(edit)) {
      // The user's text in the field type's own form (a date in the date format). The
      // text goes through the record's type as the value did, so a text that could not
      // become the value raises here instead of staying on show.
      EditUpdatingLock lock(*record, edit_no);
      edit.SetText(record->VariantToText(record->VarAsDataType(record->TextToVariant(edit.Text()))));
      edit.SetModified(false);
    }
    // Leaving the lower bound of a range with no upper bound makes it a single value.
    if (edit_no == 0 && record->GetCount() == coTwo && record->GetValues(1).IsNull()) {
      record->SetValues(1, record->GetValues(0));
    }
    if (update_state_ == usEditExit ||
        (update_state_ == usEditExitChange && fields_ && fields_->State().Contains(fsValueChanged))) {
      ValuesChanged();
    }
  } catch (...) {
    // The user stays in the edit whose text or update failed.
    if (edit.CanFocus()) edit.SetFocus();
    throw;
  }
}

void TPanelFieldsSet::EditKeyDown(TObject* sender, std::uint16_t& key, TShiftState shift) {
  Forward(OnEditKeyDown, sender, key, shift);
}

void TPanelFieldsSet::EditKeyPress(TObject* sender, char32_t& key) {
  Forward(OnEditKeyPress, sender, key);
}

void TPanelFieldsSet::EditKeyUp(TObject* sender, std::uint16_t& key, TShiftState shift) {
  Forward(OnEditKeyUp, sender, key, shift);
}

void TPanelFieldsSet::EditMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x,
                                    int y) {
  Forward(OnEditMouseDown, sender, button, shift, x, y);
}

void TPanelFieldsSet::EditMouseMove(TObject* sender, TShiftState shift, int x, int y) {
  Forward(OnEditMouseMove, sender, shift, x, y);
}

void TPanelFieldsSet::EditMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x,
                                  int y) {
  Forward(OnEditMouseUp, sender, button, shift, x, y);
}

void TPanelFieldsSet::EditButtonClick(TObject* sender) { Forward(OnEditButtonClick, sender); }

// ---- the panel's focus ----

void TPanelFieldsSet::DoExit() {
  TCustomPanel::DoExit();
  if (update_state_ == usExit ||
      (update_state_ == usExitChange && fields_ && fields_->State().Contains(fsValueChanged))) {
    ValuesChanged();
  }
}

void TPanelFieldsSet::SetFocus() {
  if (!fields_ || scroll_box_ == nullptr) return;
  for (TFieldRecord* record : fields_->Records()) {
    TFieldRecordEdit* edit = FieldEdit(*record, 0);
    if (!record->GetVisible() || edit == nullptr) continue;
    // Back to the origin, where the first field's row is.
    scroll_box_->VertScrollBar()->SetPosition(0);
    scroll_box_->HorzScrollBar()->SetPosition(0);
    if (edit->CanFocus() && !edit->Focused()) edit->SetFocus();
    return;
  }
}

void TPanelFieldsSet::SetEditCursor(TCursor value) {
  if (edit_cursor_ == value) return;
  edit_cursor_ = value;
  // Its handler relays out, and the layout gives every edit the cursor.
  Perform(CM_CURSORCHANGED);
}

}  // namespace vantor
