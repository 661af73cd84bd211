#include <vantor/designtime/fields_editor.h>

#include <algorithm>
#include <cassert>
#include <memory>

#include <vantor/criteria/field_record.h>
#include <vantor/designtime/values_form.h>
#include <vantor/dialogs/fields_set.h>
#include <vantor/dialogs/form_resource.h>
#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/core/registry.h>
#include <vantor/platform/core/strings.h>
#include <vantor/platform/core/update_guard.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/design/form_designer.h>
#include <vantor/platform/rtl/number_text.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/message_dialogs.h>

namespace vantor {

namespace {

constexpr const char* kRegKeyBase = "Software\\Corvale\\Collection Editor\\";
// The key is kept in a short string.
constexpr std::size_t kMaxRegKey = 255;

TPanelFieldsSet* PanelOf(const TFieldsList* list) {
  return list == nullptr ? nullptr : dynamic_cast<TPanelFieldsSet*>(list->Owner());
}

TDataSet* DataSetOf(const TFieldsList* list) {
  const TPanelFieldsSet* panel = PanelOf(list);
  if (panel == nullptr || panel->GetDataSource() == nullptr) return nullptr;
  return panel->GetDataSource()->DataSet();
}

}  // namespace

// ---- TFLDesigner ----

TFLDesigner::~TFLDesigner() {
  if (EditDlg == nullptr) return;
  TFieldsEditDlg* dlg = EditDlg;
  dlg->FieldsListDesigner = nullptr;  // the window must not free this link again
  EditDlg = nullptr;
  delete dlg;
}

void TFLDesigner::DataEvent() {
  if (EditDlg != nullptr) EditDlg->UpdateFields();
}

TFLDesigner* NewFLDesigner(TFieldsList* list) { return new TFLDesigner(list); }

// ---- TFieldsEditDlg ----

const TypeInfo& TFieldsEditDlg::StaticType() {
  static const TypeInfo info = TypeBuilder<TFieldsEditDlg>("TFieldsEditDlg", &TForm::StaticType()).Build();
  return info;
}

TFieldsEditDlg::TFieldsEditDlg(TComponent* owner) : TForm(owner, TCreateNew{}) {
  RegisterMethod("FormShow", TNotifyEvent::Handler([this](TObject* s) { FormShow(s); }));
  RegisterMethod("FormActivate", TNotifyEvent::Handler([this](TObject* s) { FormActivate(s); }));
  RegisterMethod("FormClose", TCloseEvent::Handler([this](TObject* s, TCloseAction& a) { FormClose(s, a); }));
  RegisterMethod("lbFieldsClick", TNotifyEvent::Handler([this](TObject* s) { lbFieldsClick(s); }));
  RegisterMethod("lbFieldsDragOver",
                 TDragOverEvent::Handler([this](TObject* s, TObject* src, int x, int y, TDragState st, bool& a) {
                   lbFieldsDragOver(s, src, x, y, st, a);
                 }));
  RegisterMethod("lbFieldsDragDrop", TDragDropEvent::Handler([this](TObject* s, TObject* src, int x, int y) {
                   lbFieldsDragDrop(s, src, x, y);
                 }));
  RegisterMethod("buAddClick", TNotifyEvent::Handler([this](TObject* s) { buAddClick(s); }));
  RegisterMethod("buDeleteClick", TNotifyEvent::Handler([this](TObject* s) { buDeleteClick(s); }));
  RegisterMethod("buMoveUpClick", TNotifyEvent::Handler([this](TObject* s) { buMoveUpClick(s); }));
  RegisterMethod("buMoveDownClick", TNotifyEvent::Handler([this](TObject* s) { buMoveDownClick(s); }));
  RegisterMethod("buAddAllClick", TNotifyEvent::Handler([this](TObject* s) { buAddAllClick(s); }));
  RegisterMethod("buDeleteAllClick", TNotifyEvent::Handler([this](TObject* s) { buDeleteAllClick(s); }));
  RegisterMethod("buSetDataClick", TNotifyEvent::Handler([this](TObject* s) { buSetDataClick(s); }));
  RegisterMethod("buUpdateClick", TNotifyEvent::Handler([this](TObject* s) { buUpdateClick(s); }));
  ReadFormResource(*this, "TFieldsEditDlg");
  lbFields = DescribedControl<TListBox>(*this, "lbFields");
  paRight = DescribedControl<TPanel>(*this, "paRight");
  buAdd = DescribedControl<TButton>(*this, "buAdd");
  buDelete = DescribedControl<TButton>(*this, "buDelete");
  buMoveUp = DescribedControl<TButton>(*this, "buMoveUp");
  buMoveDown = DescribedControl<TButton>(*this, "buMoveDown");
  buAddAll = DescribedControl<TButton>(*this, "buAddAll");
  buDeleteAll = DescribedControl<TButton>(*this, "buDeleteAll");
  Bevel1 = DescribedControl<TBevel>(*this, "Bevel1");
  paData = DescribedControl<TPanel>(*this, "paData");
  buSetData = DescribedControl<TButton>(*this, "buSetData");
  buUpdate = DescribedControl<TButton>(*this, "buUpdate");
}

TFieldsEditDlg::~TFieldsEditDlg() {
  if (watched_ != nullptr) RemoveFreeNotification(watched_);
  if (FieldsListDesigner != nullptr) {
    TFLDesigner* link = FieldsListDesigner;
    link->EditDlg = nullptr;  // the link must not free this window again
    FieldsListDesigner = nullptr;
    delete link;
  }
}

TPanelFieldsSet* TFieldsEditDlg::Panel() const { return PanelOf(FieldsList); }

void TFieldsEditDlg::WatchPanel() {
  TPanelFieldsSet* panel = Panel();
  if (panel == watched_) return;
  if (watched_ != nullptr) RemoveFreeNotification(watched_);
  watched_ = panel;
  if (watched_ != nullptr) FreeNotification(watched_);
}

void TFieldsEditDlg::Notification(TComponent* c, TOperation op) {
  TForm::Notification(c, op);
  // The panel's own parts may already be gone when its removal is told, so the list is
  // not asked anything here.
  if (op != opRemove || c != watched_) return;
  // The panel, and with it the list, is going: the window has nothing left to edit.
  watched_ = nullptr;
  FieldsList = nullptr;
  Release();
}

void TFieldsEditDlg::UpdateFields() {
  if (FieldsList == nullptr) return;
  TStrings& lines = *lbFields->Items();
  {
    UpdateGuard<TStrings> update(lines);
    if (FieldsList->DefaultFields()) {
      lines.Clear();
    } else {
      for (int i = 0; i < FieldsList->Count(); ++i) {
        if (i < lines.Count()) {
          lines.SetStrings(i, GetItemsName(i));
        } else {
          AddField(i);
        }
      }
      while (lines.Count() > FieldsList->Count()) lines.Delete(lines.Count() - 1);
    }
  }
  buSetData->SetEnabled(lines.Count() > 0);
  buUpdate->SetEnabled(buSetData->Enabled());
}

void TFieldsEditDlg::AddField(int index) { lbFields->Items()->Add(GetItemsName(index)); }

std::string TFieldsEditDlg::GetItemsName(int index) const {
  return " " + IntToStr(index) + " - " + FieldsList->Items(index)->DisplayName();
}

void TFieldsEditDlg::SetIndex(int index) {
  if (FormDesigner == nullptr || FieldsList == nullptr) return;
  if (index < 0 || index >= FieldsList->Count() || FieldsList->DefaultFields()) {
    FormDesigner->SelectComponent(FieldsList);
    return;
  }
  lbFields->SetItemIndex(index);
  FormDesigner->SelectComponent(FieldsList->Items(index));
}

std::string TFieldsEditDlg::GetRegKey() const {
  std::string key = kRegKeyBase + (FieldsList != nullptr ? FieldsList->ClassName() : std::string("TFieldsList"));
  if (key.size() > kMaxRegKey) key.resize(kMaxRegKey);
  return key;
}

void TFieldsEditDlg::FormShow(TObject* /*sender*/) {
  UpdateFields();
  const TPanelFieldsSet* panel = Panel();
  std::string name = panel != nullptr ? panel->Name() : std::string();
  // A dialog component's inner panel has no name of its own; the component's is the one
  // the developer knows.
  if (name.empty() && panel != nullptr && panel->Owner() != nullptr) name = panel->Owner()->Name();
  SetCaption("Editing " + name + ".Fields");
  auto registry = std::make_unique<TRegistry>();
  registry->OpenKey(GetRegKey(), true);
  if (registry->ValueExists("Width")) SetWidth(registry->ReadInteger("Width"));
  if (registry->ValueExists("Height")) SetHeight(registry->ReadInteger("Height"));
}

void TFieldsEditDlg::FormActivate(TObject* /*sender*/) {
  SetIndex(lbFields->ItemIndex() >= 0 ? lbFields->ItemIndex() : 0);
}

void TFieldsEditDlg::FormClose(TObject* /*sender*/, TCloseAction& action) {
  {
    auto registry = std::make_unique<TRegistry>();
    registry->OpenKey(GetRegKey(), true);
    registry->WriteInteger("Width", Width());
    registry->WriteInteger("Height", Height());
  }
  action = caFree;
  TPanelFieldsSet* panel = Panel();
  if (FormDesigner == nullptr || panel == nullptr) return;
  if (panel->Owner() == nullptr || dynamic_cast<TForm*>(panel->Owner()) != nullptr) {
    FormDesigner->SelectComponent(panel);
  } else {
    FormDesigner->SelectComponent(panel->Owner());
  }
}

void TFieldsEditDlg::lbFieldsClick(TObject* /*sender*/) { SetIndex(lbFields->ItemIndex()); }

void TFieldsEditDlg::lbFieldsDragOver(TObject* /*sender*/, TObject* source, int /*x*/, int /*y*/,
                                      TDragState /*state*/, bool& accept) {
  accept = source == lbFields;
}

void TFieldsEditDlg::lbFieldsDragDrop(TObject* /*sender*/, TObject* source, int x, int y) {
  if (source != lbFields || FieldsList == nullptr) return;
  const int selected = lbFields->ItemIndex();
  if (selected < 0 || selected >= FieldsList->Count()) return;
  int target = lbFields->ItemAtPos({x, y}, false);
  if (target >= lbFields->Items()->Count()) target = lbFields->Items()->Count() - 1;
  // A drop always lands on a line or below the last one, and the list has lines here.
  assert(target >= 0 && target < FieldsList->Count());
  FieldsList->Items(selected)->SetIndex(target);
  UpdateFields();
  if (FormDesigner != nullptr) FormDesigner->Modified();
  SetIndex(target);
}

void TFieldsEditDlg::buAddClick(TObject* /*sender*/) {
  if (FieldsList == nullptr) return;
  {
    UpdateGuard<TCollection> update(*FieldsList);
    // The first explicit field replaces the implicit default list.
    if (FieldsList->DefaultFields()) FieldsList->Clear();
    FieldsList->Add();
    FieldsList->SetDefaultFields(FieldsList->Count() == 0);
  }
  UpdateFields();
  SetIndex(lbFields->Items()->Count() - 1);
  if (FormDesigner != nullptr) FormDesigner->Modified();
}

void TFieldsEditDlg::buDeleteClick(TObject* /*sender*/) {
  if (FieldsList == nullptr) return;
  const int index = lbFields->ItemIndex();
  if (index < 0 || index >= FieldsList->Count()) return;
  const int next = index < FieldsList->Count() - 1 ? index : std::max(index - 1, 0);
  delete FieldsList->Items(index);
  FieldsList->SetDefaultFields(FieldsList->Count() == 0);
  UpdateFields();
  SetIndex(next);
  if (FormDesigner != nullptr) FormDesigner->Modified();
}

void TFieldsEditDlg::MoveSelected(int index) {
  FieldsList->Items(lbFields->ItemIndex())->SetIndex(index);
  UpdateFields();
  SetIndex(index);
  if (FormDesigner != nullptr) FormDesigner->Modified();
}

void TFieldsEditDlg::buMoveUpClick(TObject* /*sender*/) {
  if (FieldsList == nullptr || lbFields->ItemIndex() < 1) return;
  MoveSelected(lbFields->ItemIndex() - 1);
}

void TFieldsEditDlg::buMoveDownClick(TObject* /*sender*/) {
  const int index = lbFields->ItemIndex();
  if (FieldsList == nullptr || index < 0 || index >= lbFields->Items()->Count() - 1) return;
  MoveSelected(index + 1);
}

void TFieldsEditDlg::buAddAllClick(TObject* /*sender*/) {
  TDataSet* data_set = DataSetOf(FieldsList);
  if (data_set == nullptr) return;
  TModalResult answer = mrNo;
  if (lbFields->Items()->Count() > 0) {
    answer = MessageDlg("Delete existing fields?", mtConfirmation, mbYesNoCancel, 0);
  }
  if (answer == mrCancel) return;
  {
    UpdateGuard<TCollection> update(*FieldsList);
    if (answer == mrYes) {
      FieldsList->Clear();
      lbFields->Clear();
    } else if (FieldsList->DefaultFields()) {
      FieldsList->Clear();
    }
    for (int i = 0; i < data_set->FieldCount(); ++i) {
      FieldsList->Add()->SetFieldName(data_set->Fields(i)->FieldName());
    }
    FieldsList->SetDefaultFields(FieldsList->Count() == 0);
  }
  UpdateFields();
  SetIndex(0);
  if (FormDesigner != nullptr) FormDesigner->Modified();
}

void TFieldsEditDlg::buDeleteAllClick(TObject* /*sender*/) {
  if (FieldsList == nullptr) return;
  const TModalResult answer = MessageDlg("Delete all fields?", mtConfirmation, {mbYes, mbNo}, 0);
  if (answer != mrYes || lbFields->Items()->Count() == 0) return;
  {
    UpdateGuard<TCollection> update(*FieldsList);
    FieldsList->Clear();
    FieldsList->SetDefaultFields(FieldsList->Count() == 0);
  }
  UpdateFields();
  SetIndex(0);
  if (FormDesigner != nullptr) FormDesigner->Modified();
}

void TFieldsEditDlg::buSetDataClick(TObject* /*sender*/) {
  if (FieldsList == nullptr) return;
  std::unique_ptr<TfmValues> form(NewForm<TfmValues>(Application));
  // With no line selected this is the list's own index error.
  form->FieldRecord = FieldsList->Items(lbFields->ItemIndex());
  if (form->ShowModal() == mrOk && FormDesigner != nullptr) FormDesigner->Modified();
}

void TFieldsEditDlg::buUpdateClick(TObject* /*sender*/) {
  if (TPanelFieldsSet* panel = Panel()) panel->ValuesChanged();
}

// ---- opening the window ----

TFieldsEditDlg* CreateFieldsEditDlg(TFormDesigner* form_designer, TFieldsList* list,
                                    TFLDesignerClass designer_class) {
  if (list == nullptr) throw EInvalidOperation("There is no field list to edit");
  if (list->Designer() != nullptr) {
    auto* link = dynamic_cast<TFLDesigner*>(list->Designer());
    if (link == nullptr) throw EInvalidCast("Invalid class typecast");
    if (link->EditDlg != nullptr) return link->EditDlg;
  }
  auto* dlg = new TFieldsEditDlg(Application);
  TFLDesigner* link = nullptr;
  try {
    link = designer_class(list);
  } catch (...) {
    delete dlg;
    throw;
  }
  dlg->FieldsListDesigner = link;
  link->EditDlg = dlg;
  dlg->FormDesigner = form_designer;
  dlg->FieldsList = list;
  dlg->WatchPanel();
  return dlg;
}

void ShowFieldsEditDlg(TFormDesigner* form_designer, TFieldsList* list, TFLDesignerClass designer_class) {
  if (TFieldsEditDlg* dlg = CreateFieldsEditDlg(form_designer, list, designer_class)) dlg->Show();
}

// ---- property and component editors ----

std::string TCustomFieldsProperty::GetValue() const {
  const TPersistent* value = GetObjectValue();
  return "(" + (value != nullptr ? value->ClassName() : TFieldsList::StaticType().Name()) + ")";
}

void TFieldsProperty::Edit() {
  TCustomFieldsProperty::Edit();
  auto* dialog = dynamic_cast<TFieldsSet*>(GetComponent(0));
  if (dialog == nullptr) throw EInvalidCast("Invalid class typecast");
  ShowFieldsEditDlg(&Designer(), dialog->Fields(), &NewFLDesigner);
}

void TPanelFieldsProperty::Edit() {
  TCustomFieldsProperty::Edit();
  auto* panel = dynamic_cast<TPanelFieldsSet*>(GetComponent(0));
  if (panel == nullptr) throw EInvalidCast("Invalid class typecast");
  ShowFieldsEditDlg(&Designer(), panel->Fields(), &NewFLDesigner);
}

std::string TCustomFieldsEditor::GetVerb(int index) const { return index == 0 ? "Fields Editor..." : ""; }

void TFieldsEditor::ExecuteVerb(int index) {
  if (index != 0) return;
  auto* dialog = dynamic_cast<TFieldsSet*>(Component());
  if (dialog == nullptr) throw EInvalidCast("Invalid class typecast");
  ShowFieldsEditDlg(&Designer(), dialog->Fields(), &NewFLDesigner);
}

void TPanelFieldsEditor::ExecuteVerb(int index) {
  if (index != 0) return;
  auto* panel = dynamic_cast<TPanelFieldsSet*>(Component());
  if (panel == nullptr) throw EInvalidCast("Invalid class typecast");
  ShowFieldsEditDlg(&Designer(), panel->Fields(), &NewFLDesigner);
}

void TRecordFieldNameProperty::GetValues(const TGetStrProc& proc) const {
  const auto list = std::make_unique<TStringList>();
  GetValueList(*list);
  for (int i = 0; i < list->Count(); ++i) proc(list->Strings(i));
}

void TRecordFieldNameProperty::GetValueList(TStrings& list) const {
  const auto* record = dynamic_cast<const TFieldRecord*>(GetComponent(0));
  if (record == nullptr) return;
  if (TDataSet* data_set = DataSetOf(dynamic_cast<const TFieldsList*>(record->Collection()))) {
    data_set->GetFieldNames(list);
  }
}

}  // namespace vantor
