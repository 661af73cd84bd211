#include "dialogs/register_dialogs.h"

#include "dialogs/filter_dialog.h"
#include "dialogs/find_dialog.h"
#include "dialogs/form_resource.h"

namespace vantor {

void RegisterDialogClasses() {
  RegisterFormDescriptionClasses();
  RegisterClass(TDBFindDialog::StaticType());
  RegisterClass(TDBFilterDialog::StaticType());
}

}  // namespace vantor
