// The panel's handlers of its field edits' events. Each finds the edit's record and
// slot (EditNo: 0 for the record's first edit, 1 otherwise) and fires the panel event
// of the same name with them; key variables are passed through, so the application's
// handler can change or cancel a key, and mouse coordinates stay the edit's own.

#include <vantor/panel/field_record_edit.h>
#include <vantor/panel/panel_fields_set.h>

namespace vantor {

namespace {

// The record and slot of a field edit; false for any other sender.
bool EditOf(TObject* sender, TFieldRecord*& record, int& edit_no) {
  const auto* edit = dynamic_cast<const TFieldRecordEdit*>(sender);
  if (edit == nullptr || edit->FieldRecord() == nullptr) return false;
  record = edit->FieldRecord();
  edit_no = record->Edits(0) == edit ? 0 : 1;
  return true;
}

// Fires `event` with the sender's record and slot when the sender is a field edit.
template <typename E, typename... A>
void Forward(const E& event, TObject* sender, A&&... args) {
  TFieldRecord* record = nullptr;
  int edit_no = 0;
  if (!event.Assigned() || !EditOf(sender, record, edit_no)) return;
  event(record, std::forward<A>(args)..., edit_no);
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

void TPanelFieldsSet::EditChange(TObject* sender) { Forward(OnEditChange, sender); }
void TPanelFieldsSet::EditClick(TObject* sender) { Forward(OnEditClick, sender); }
void TPanelFieldsSet::EditDblClick(TObject* sender) { Forward(OnEditDblClick, sender); }
void TPanelFieldsSet::EditEnter(TObject* sender) { Forward(OnEditEnter, sender); }
void TPanelFieldsSet::EditExit(TObject* sender) { Forward(OnEditExit, sender); }

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

}  // namespace vantor
