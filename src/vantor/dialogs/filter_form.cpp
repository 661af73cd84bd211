#include <vantor/dialogs/filter_form.h>

#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/form_resource.h>
#include <vantor/platform/data/data_source.h>

namespace vantor {

const TypeInfo& TfmFilter::StaticType() {
  static const TypeInfo info = TypeBuilder<TfmFilter>("TfmFilter", &TfmFieldsSet::StaticType()).Build();
  return info;
}

TfmFilter::TfmFilter(TDBFilterDialog* owner) : TfmFieldsSet(owner), dialog_(owner) {
  ReadFormResource(*this, "TfmFilter");
  paFiltered = DescribedControl<TPanel>(*this, "paFiltered");
  cbFiltered = DescribedControl<TCheckBox>(*this, "cbFiltered");
}

void TfmFilter::FormActivate(TObject* sender) {
  // Only the activation that starts the showing sets the box: coming back from the setup
  // form must not undo the user's tick.
  const bool entering = !SessionOpen();
  TfmFieldsSet::FormActivate(sender);
  if (entering) cbFiltered->SetChecked(dialog_->GetFiltered());
}

void TfmFilter::FormCloseQuery(TObject* sender, bool& can_close) {
  TfmFieldsSet::FormCloseQuery(sender, can_close);
  if (ModalResult() != mrOk) return;
  // Without a connected data set there is nothing to filter, and the box is ignored.
  TDataSource* source = dialog_->GetDataSource();
  if (source == nullptr || source->DataSet() == nullptr) return;
  dialog_->SetFiltered(cbFiltered->Checked());
}

}  // namespace vantor
