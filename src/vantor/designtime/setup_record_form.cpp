#include <vantor/designtime/setup_record_form.h>

#include <array>
#include <algorithm>
#include <cassert>
#include <optional>
#include <string>

#include <vantor/criteria/style_options.h>
#include <vantor/dialogs/fields_set_form.h>
#include <vantor/dialogs/form_resource.h>
#include <vantor/platform/core/temporary_change.h>
#include <vantor/platform/core/update_guard.h>
#include <vantor/platform/rtl/number_text.h>
#include <vantor/platform/rtl/string_table.h>
#include <vantor/platform/ui/application.h>

namespace vantor {

namespace {

// The items of the drop-downs: their index is the ordinal of the option.
constexpr std::array<const char*, 3> kCompareItems = {"Exact comparison", "Initial comparison",
                                                      "Partial comparison"};
constexpr std::array<const char*, 3> kCountItems = {"No visible fields", "Single field visible",
                                                    "Two fields visible"};
constexpr const char* kDefaultOptions = "Default options";
// Option sets keep one entry per type category (Boolean 0 ... String 5).
constexpr int kCategories = 6;
// The form never shows a font larger than this.
constexpr int kMaxFontSize = 14;

template <std::size_t N>
void FillItems(TComboBox* box, const std::array<const char*, N>& items) {
  box->Items()->Clear();
  for (const char* item : items) box->Items()->Add(item);
}

// The category a row's drop-down edits, from its Tag.
int Category(const TComboBox* box) {
  const int tag = box->Tag();
  assert(tag >= 0 && tag < kCategories);  // the description tags the rows 0 ... 5
  return tag;
}

}  // namespace

const TypeInfo& TfmSetupRecord::StaticType() {
  static const TypeInfo info = TypeBuilder<TfmSetupRecord>("TfmSetupRecord", &TForm::StaticType()).Build();
  return info;
}

TfmSetupRecord::TfmSetupRecord(TFieldsSet* owner, const TypeInfo& scratch_class)
    : TForm(owner, TCreateNew{}), dialog_(owner) {
  assert(owner != nullptr);
  assert(scratch_class.CreateComponent() && scratch_class.InheritsFrom(TFieldsSet::StaticType()));
  scratch_.reset(static_cast<TFieldsSet*>(scratch_class.CreateComponent()(Application)));

  RegisterMethod("FormCreate", TNotifyEvent::Handler([this](TObject* s) { FormCreate(s); }));
  RegisterMethod("FormCloseQuery", TCloseQueryEvent::Handler([this](TObject* s, bool& c) { FormCloseQuery(s, c); }));
  RegisterMethod("cbFieldsClick", TNotifyEvent::Handler([this](TObject* s) { cbFieldsClick(s); }));
  RegisterMethod("cbCompareChange", TNotifyEvent::Handler([this](TObject* s) { cbCompareChange(s); }));
  RegisterMethod("cbCountChange", TNotifyEvent::Handler([this](TObject* s) { cbCountChange(s); }));
  RegisterMethod("cbFieldCaseSensitiveClick",
                 TNotifyEvent::Handler([this](TObject* s) { cbFieldCaseSensitiveClick(s); }));
  RegisterMethod("cbcBooleanChange", TNotifyEvent::Handler([this](TObject* s) { cbcBooleanChange(s); }));
  RegisterMethod("cbvBooleanChange", TNotifyEvent::Handler([this](TObject* s) { cbvBooleanChange(s); }));
  RegisterMethod("cbCaseSensitiveClick", TNotifyEvent::Handler([this](TObject* s) { cbCaseSensitiveClick(s); }));
  ReadFormResource(*this, "TfmSetupRecord");

  cbFields = DescribedControl<TComboBox>(*this, "cbFields");
  pcOptions = DescribedControl<TPageControl>(*this, "pcOptions");
  tsDefault = DescribedControl<TTabSheet>(*this, "tsDefault");
  tsField = DescribedControl<TTabSheet>(*this, "tsField");
  gbCompareOptions = DescribedControl<TGroupBox>(*this, "gbCompareOptions");
  gbCountOptions = DescribedControl<TGroupBox>(*this, "gbCountOptions");
  cbcBoolean = DescribedControl<TComboBox>(*this, "cbcBoolean");
  cbcDateTime = DescribedControl<TComboBox>(*this, "cbcDateTime");
  cbcFloat = DescribedControl<TComboBox>(*this, "cbcFloat");
  cbcInteger = DescribedControl<TComboBox>(*this, "cbcInteger");
  cbcString = DescribedControl<TComboBox>(*this, "cbcString");
  cbvBoolean = DescribedControl<TComboBox>(*this, "cbvBoolean");
  cbvDateTime = DescribedControl<TComboBox>(*this, "cbvDateTime");
  cbvFloat = DescribedControl<TComboBox>(*this, "cbvFloat");
  cbvInteger = DescribedControl<TComboBox>(*this, "cbvInteger");
  cbvString = DescribedControl<TComboBox>(*this, "cbvString");
  cbCaseSensitive = DescribedControl<TCheckBox>(*this, "cbCaseSensitive");
  gbFieldName = DescribedControl<TGroupBox>(*this, "gbFieldName");
  cbCompare = DescribedControl<TComboBox>(*this, "cbCompare");
  laCompare = DescribedControl<TLabel>(*this, "laCompare");
  cbCount = DescribedControl<TComboBox>(*this, "cbCount");
  laCount = DescribedControl<TLabel>(*this, "laCount");
  cbFieldCaseSensitive = DescribedControl<TCheckBox>(*this, "cbFieldCaseSensitive");
  laCaseSensitive = DescribedControl<TLabel>(*this, "laCaseSensitive");
  paMiddleBottom = DescribedControl<TPanel>(*this, "paMiddleBottom");
  cbAutoEditWidth = DescribedControl<TCheckBox>(*this, "cbAutoEditWidth");
  cbAutoSaveValues = DescribedControl<TCheckBox>(*this, "cbAutoSaveValues");
  mdHorzMargin = DescribedControl<TEdit>(*this, "mdHorzMargin");
  mdVertMargin = DescribedControl<TEdit>(*this, "mdVertMargin");
  bbOk = DescribedControl<TBitBtn>(*this, "bbOk");
  bbCancel = DescribedControl<TBitBtn>(*this, "bbCancel");

  compare_boxes_ = {cbcBoolean, cbcDateTime, cbcFloat, cbcInteger, cbcString};
  count_boxes_ = {cbvBoolean, cbvDateTime, cbvFloat, cbvInteger, cbvString};
  for (TComboBox* box : compare_boxes_) FillItems(box, kCompareItems);
  for (TComboBox* box : count_boxes_) FillItems(box, kCountItems);
  FillItems(cbCompare, kCompareItems);
  FillItems(cbCount, kCountItems);
}

TfmSetupRecord::~TfmSetupRecord() { scratch_.reset(); }

bool TfmSetupRecord::Execute() { return ShowModal() == mrOk; }

// ---- building ----

void TfmSetupRecord::FormCreate(TObject* /*sender*/) {
  TFieldsSet& scratch = *scratch_;
  scratch.Fields()->SetDefaultFields(false);
  SetCtl3D(dialog_->StyleOptions()->GetCtl3D());
  ReadData();
  ReadFields();
  SetDataSource();
  AddcbFields();
  SetColor(dialog_->StyleOptions()->GetColor(0));
  SetFont(dialog_->StyleOptions()->GetFont(0));
  if (Font()->Size() > kMaxFontSize) Font()->SetSize(kMaxFontSize);
  cbFieldsClick(cbFields);
  UpdateForm();
}

void TfmSetupRecord::ReadData() {
  TFieldsSet& scratch = *scratch_;
  cbAutoEditWidth->SetChecked(dialog_->GetAutoEditWidth());
  cbAutoSaveValues->SetChecked(dialog_->GetAutoSaveValues());
  mdHorzMargin->SetText(std::to_string(dialog_->GetHorzMargin()));
  mdVertMargin->SetText(std::to_string(dialog_->GetVertMargin()));
  const TColor edit_color = dialog_->StyleOptions()->GetColor(1);
  mdHorzMargin->SetColor(edit_color);
  mdVertMargin->SetColor(edit_color);
  for (int i = 0; i < kCategories; ++i) {
    scratch.CompareOptions()->SetCompare(i, dialog_->CompareOptions()->GetCompare(i));
    scratch.CountOptions()->SetCount(i, dialog_->CountOptions()->GetCount(i));
  }
  scratch.CompareOptions()->SetCaseInsensitive(dialog_->CompareOptions()->GetCaseInsensitive());
}

void TfmSetupRecord::ReadFields() {
  TFieldsList& list = *scratch_->Fields();
  UpdateGuard<TCollection> update(list);
  list.Clear();
  for (TFieldRecord* source : dialog_->Fields()->Records()) {
    TFieldRecord* copy = list.Add();
    copy->Assign(source);
    // The copy has no data source: it carries its type and labels itself.
    copy->SetRecordKind(rkCalculated);
    copy->SetDataType(source->GetDataType());
    copy->SetDisplayLabel(source->GetDisplayLabel());
    copy->SetVisible(source->GetVisible());
  }
}

void TfmSetupRecord::SetDataSource() {}

void TfmSetupRecord::AddcbFields() {
  cbFields->Items()->Clear();
  cbFields->Items()->Add(kDefaultOptions);
  for (TFieldRecord* record : scratch_->Fields()->Records()) {
    if (scratch_->ValidateFieldRecord(record) && record->GetVisible()) {
      cbFields->Items()->Add(record->GetDisplayLabel(), record);
    }
  }
  cbFields->SetItemIndex(0);
}

// ---- pages ----

TFieldRecord* TfmSetupRecord::SelectedRecord() const {
  const int index = cbFields->ItemIndex();
  if (index < 0 || index >= cbFields->Items()->Count()) return nullptr;
  return static_cast<TFieldRecord*>(cbFields->Items()->Objects(index));
}

void TfmSetupRecord::cbFieldsClick(TObject* /*sender*/) {
  if (SelectedRecord() != nullptr) {
    UpdateField();
    pcOptions->SetActivePage(tsField);
  } else {
    pcOptions->SetActivePage(tsDefault);
  }
}

void TfmSetupRecord::UpdateForm() {
  if (SelectedRecord() != nullptr) {
    UpdateField();
  } else {
    UpdateFieldsSet();
  }
}

void TfmSetupRecord::UpdateFieldsSet() {
  for (TComboBox* box : compare_boxes_) UpdateCompareBox(box);
  cbCaseSensitive->SetChecked(!scratch_->CompareOptions()->GetCaseInsensitive());
  for (TComboBox* box : count_boxes_) UpdateCountBox(box);
}

void TfmSetupRecord::UpdateCompareBox(TComboBox* box) {
  box->SetItemIndex(static_cast<int>(scratch_->CompareOptions()->GetCompare(Category(box))));
  box->SetColor(dialog_->StyleOptions()->GetColor(1));
}

void TfmSetupRecord::UpdateCountBox(TComboBox* box) {
  box->SetItemIndex(static_cast<int>(scratch_->CountOptions()->GetCount(Category(box))));
  box->SetColor(dialog_->StyleOptions()->GetColor(1));
}

void TfmSetupRecord::UpdateField() {
  TFieldRecord* record = SelectedRecord();
  if (record == nullptr) return;
  BeginFieldUpdate();
  ScopeExit unlock([this] { EndFieldUpdate(); });
  const std::string default_value = LoadStr(SDefaultValue);
  cbCompare->SetItemIndex(static_cast<int>(record->GetCompare()));
  laCompare->SetCaption(record->IsAssigned(frvCompare) ? std::string() : default_value);
  cbCount->SetItemIndex(static_cast<int>(record->GetCount()));
  laCount->SetCaption(record->IsAssigned(frvCount) ? std::string() : default_value);
  const bool text = scratch_->CaseSensitiveDependent(record->GetDataType());
  cbFieldCaseSensitive->SetVisible(text);
  cbFieldCaseSensitive->SetChecked(!record->GetCaseInsensitive());
  laCaseSensitive->SetCaption(text && !record->IsAssigned(frvCaseInsensitive) ? default_value : std::string());
}

// ---- changes ----

void TfmSetupRecord::cbCompareChange(TObject* /*sender*/) {
  TFieldRecord* record = SelectedRecord();
  if (field_lock_ != 0 || record == nullptr || cbCompare->ItemIndex() < 0) return;
  record->SetCompare(static_cast<TCompareType>(cbCompare->ItemIndex()));
  UpdateField();
}

void TfmSetupRecord::cbCountChange(TObject* /*sender*/) {
  TFieldRecord* record = SelectedRecord();
  if (field_lock_ != 0 || record == nullptr || cbCount->ItemIndex() < 0) return;
  record->SetCount(static_cast<TCountType>(cbCount->ItemIndex()));
  UpdateField();
}

void TfmSetupRecord::cbFieldCaseSensitiveClick(TObject* /*sender*/) {
  TFieldRecord* record = SelectedRecord();
  if (field_lock_ != 0 || record == nullptr) return;
  record->SetCaseInsensitive(!cbFieldCaseSensitive->Checked());
  UpdateField();
}

void TfmSetupRecord::cbcBooleanChange(TObject* sender) {
  auto* box = dynamic_cast<TComboBox*>(sender);
  if (box == nullptr || box->ItemIndex() < 0) return;
  scratch_->CompareOptions()->SetCompare(Category(box), static_cast<TCompareType>(box->ItemIndex()));
  UpdateFieldsSet();
}

void TfmSetupRecord::cbvBooleanChange(TObject* sender) {
  auto* box = dynamic_cast<TComboBox*>(sender);
  if (box == nullptr || box->ItemIndex() < 0) return;
  scratch_->CountOptions()->SetCount(Category(box), static_cast<TCountType>(box->ItemIndex()));
  UpdateFieldsSet();
}

void TfmSetupRecord::cbCaseSensitiveClick(TObject* /*sender*/) {
  scratch_->CompareOptions()->SetCaseInsensitive(!cbCaseSensitive->Checked());
  UpdateFieldsSet();
}

// ---- writing back ----

void TfmSetupRecord::FormCloseQuery(TObject* /*sender*/, bool& /*can_close*/) {
  if (ModalResult() != mrOk) return;
  // One layout of the dialog (and of its showing form) for the whole write-back.
  UpdateGuard<TFieldsSet> dialog_update(*dialog_);
  TfmFieldsSet* form = dialog_->Form();
  std::optional<UpdateGuard<TfmFieldsSet>> form_update;
  if (form != nullptr) form_update.emplace(*form);
  SaveData();
}

void TfmSetupRecord::SaveData() {
  TFieldsSet& scratch = *scratch_;
  for (int i = 0; i < kCategories; ++i) {
    dialog_->CompareOptions()->SetCompare(i, scratch.CompareOptions()->GetCompare(i));
    dialog_->CountOptions()->SetCount(i, scratch.CountOptions()->GetCount(i));
  }
  dialog_->CompareOptions()->SetCaseInsensitive(scratch.CompareOptions()->GetCaseInsensitive());
  {
    TFieldsList& list = *dialog_->Fields();
    UpdateGuard<TCollection> update(list);
    // Records are matched by position: the copy was made from the component's list in order.
    const int count = std::min(list.Count(), scratch.Fields()->Count());
    for (int i = 0; i < count; ++i) {
      const TFieldRecord* source = scratch.Fields()->Items(i);
      TFieldRecord* target = list.Items(i);
      if (source->IsAssigned(frvCompare)) target->SetCompare(source->GetCompare());
      if (source->IsAssigned(frvCount)) target->SetCount(source->GetCount());
      if (source->IsAssigned(frvCaseInsensitive)) target->SetCaseInsensitive(source->GetCaseInsensitive());
    }
  }
  dialog_->SetAutoEditWidth(cbAutoEditWidth->Checked());
  dialog_->SetAutoSaveValues(cbAutoSaveValues->Checked());
  dialog_->SetHorzMargin(StrToInt(mdHorzMargin->Text()));
  dialog_->SetVertMargin(StrToInt(mdVertMargin->Text()));
}

}  // namespace vantor
