#include <vantor/dialogs/register_dialogs.h>

#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/find_dialog.h>
#include <vantor/dialogs/form_resource.h>

namespace vantor {

void RegisterDialogClasses() {
  RegisterFormDescriptionClasses();
  RegisterClass(TDBFindDialog::StaticType());
  RegisterClass(TDBFilterDialog::StaticType());
}

}  // namespace vantor
