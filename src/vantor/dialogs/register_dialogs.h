#pragma once
// Registration of the dialog components with the class registry, so that form streams
// create TDBFindDialog and TDBFilterDialog by name.

namespace vantor {

// Registers the two dialogs, and the classes their forms and panels need (repeat calls
// do no harm).
void RegisterDialogClasses();

}  // namespace vantor
