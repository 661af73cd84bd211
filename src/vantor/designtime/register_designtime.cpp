#include <vantor/designtime/register_designtime.h>

#include <vantor/designtime/setup_filter_dialog_form.h>
#include <vantor/designtime/setup_find_dialog_form.h>
#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/find_dialog.h>
#include <vantor/dialogs/register_dialogs.h>

namespace vantor {

void RegisterSetupForms() {
  RegisterDialogClasses();
  RegisterSetupForm(TDBFindDialog::StaticType(), &ExecuteSetupForm<TfmSetupFindDialog>);
  RegisterSetupForm(TDBFilterDialog::StaticType(), &ExecuteSetupForm<TfmSetupFilterDialog>);
}

}  // namespace vantor
