#pragma once
// Registration of the design-time layer's parts with the layers below.

namespace vantor {

// Registers the setup forms of the find and filter dialogs, so that their Setup buttons
// and ShowSetupForm open them (repeat calls do no harm).
void RegisterSetupForms();

}  // namespace vantor
