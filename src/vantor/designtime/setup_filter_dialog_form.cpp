#include <vantor/designtime/setup_filter_dialog_form.h>

#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/form_resource.h>

namespace vantor {

const TypeInfo& TfmSetupFilterDialog::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TfmSetupFilterDialog>("TfmSetupFilterDialog", &TfmSetupRecord::StaticType()).Build();
  return info;
}

TfmSetupFilterDialog::TfmSetupFilterDialog(TFieldsSet* owner)
    : TfmSetupRecord(owner, TDBFilterDialog::StaticType()) {
  ReadFormResource(*this, "TfmSetupFilterDialog");
}

const TypeInfo& TfmSetupFilterDialog::OwnerClass() const { return TDBFilterDialog::StaticType(); }

}  // namespace vantor
