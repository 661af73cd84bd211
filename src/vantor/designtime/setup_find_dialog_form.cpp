#include <vantor/designtime/setup_find_dialog_form.h>

#include <array>
#include <cassert>

#include <vantor/dialogs/find_dialog.h>
#include <vantor/dialogs/form_resource.h>

namespace vantor {

namespace {

constexpr std::array<const char*, 3> kCompareItems = {"Exact comparison", "Initial comparison",
                                                      "Partial comparison"};
constexpr std::array<const char*, 3> kCountItems = {"No visible fields", "Single field visible",
                                                    "Two fields visible"};
// Indexed by TFindOptions.
constexpr std::array<const char*, 4> kFindOptionItems = {"Exact index searching", "Nearest index searching",
                                                         "Fast searching", "Normal searching"};

template <std::size_t N>
void FillItems(TComboBox* box, const std::array<const char*, N>& items) {
  box->Items()->Clear();
  for (const char* item : items) box->Items()->Add(item);
}

}  // namespace

const TypeInfo& TfmSetupFindDialog::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TfmSetupFindDialog>("TfmSetupFindDialog", &TfmSetupRecord::StaticType()).Build();
  return info;
}

TfmSetupFindDialog::TfmSetupFindDialog(TFieldsSet* owner) : TfmSetupRecord(owner, TDBFindDialog::StaticType()) {
  assert(dynamic_cast<TDBFindDialog*>(owner) != nullptr);
  RegisterMethod("cbFindOptionsChange", TNotifyEvent::Handler([this](TObject* s) { cbFindOptionsChange(s); }));
  ReadFormResource(*this, "TfmSetupFindDialog");
  cbcMemo = DescribedControl<TComboBox>(*this, "cbcMemo");
  cbvMemo = DescribedControl<TComboBox>(*this, "cbvMemo");
  cbFindOptions = DescribedControl<TComboBox>(*this, "cbFindOptions");
  FillItems(cbcMemo, kCompareItems);
  FillItems(cbvMemo, kCountItems);
  FillItems(cbFindOptions, kFindOptionItems);
  compare_boxes_.push_back(cbcMemo);
  count_boxes_.push_back(cbvMemo);
}

const TypeInfo& TfmSetupFindDialog::OwnerClass() const { return TDBFindDialog::StaticType(); }

TDBFindDialog& TfmSetupFindDialog::FindDialog() const { return static_cast<TDBFindDialog&>(*Dialog()); }

TDBFindDialog& TfmSetupFindDialog::FindScratch() const {
  // The scratch copy is made from OwnerClass, a TDBFindDialog.
  assert(dynamic_cast<TDBFindDialog*>(Scratch()) != nullptr);
  return static_cast<TDBFindDialog&>(*Scratch());
}

void TfmSetupFindDialog::UpdateFieldsSet() {
  TfmSetupRecord::UpdateFieldsSet();
  cbFindOptions->SetItemIndex(static_cast<int>(FindScratch().GetFindOptions()));
}

void TfmSetupFindDialog::SetDataSource() { Scratch()->SetDataSource(Dialog()->GetDataSource()); }

void TfmSetupFindDialog::ReadData() {
  TfmSetupRecord::ReadData();
  FindScratch().SetFindOptions(FindDialog().GetFindOptions());
}

void TfmSetupFindDialog::ReadFields() {
  // The copy shares the component's data source (SetDataSource), so its records find
  // their fields, types and labels there.
  TFieldsList& list = *Scratch()->Fields();
  UpdateGuard<TCollection> update(list);
  list.Clear();
  for (TFieldRecord* source : Dialog()->Fields()->Records()) list.Add()->Assign(source);
}

void TfmSetupFindDialog::SaveData() {
  TfmSetupRecord::SaveData();
  FindDialog().SetFindOptions(FindScratch().GetFindOptions());
}

void TfmSetupFindDialog::cbFindOptionsChange(TObject* /*sender*/) {
  if (cbFindOptions->ItemIndex() < 0) return;
  FindScratch().SetFindOptions(static_cast<TFindOptions>(cbFindOptions->ItemIndex()));
  UpdateForm();
}

}  // namespace vantor
