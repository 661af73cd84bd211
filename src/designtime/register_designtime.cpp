#include "designtime/register_designtime.h"

#include "designtime/setup_filter_dialog_form.h"
#include "designtime/setup_find_dialog_form.h"
#include "dialogs/filter_dialog.h"
#include "dialogs/find_dialog.h"
#include "dialogs/register_dialogs.h"

namespace vantor {

void RegisterSetupForms() {
  RegisterDialogClasses();
  RegisterSetupForm(TDBFindDialog::StaticType(), &ExecuteSetupForm<TfmSetupFindDialog>);
  RegisterSetupForm(TDBFilterDialog::StaticType(), &ExecuteSetupForm<TfmSetupFilterDialog>);
}

}  // namespace vantor
