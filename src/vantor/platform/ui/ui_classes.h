#pragma once
// Registration of the control classes of this layer with the class registry, so the
// form stream can create them by name ("TPanel", "TMaskEdit" ...).

namespace vantor {

// Registers TPanel, TScrollBox, TLabel, TEdit, TMaskEdit, TSpeedButton and the popup
// menu classes (TPopupMenu, TMenuItem). Safe to call more than once.
void RegisterUiClasses();

}  // namespace vantor
