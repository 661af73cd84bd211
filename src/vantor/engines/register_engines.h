#pragma once
// Registration of the engines' classes with the class registry, so that the form stream
// and the designer find the published panels and the record classes by name.

namespace vantor {

// Registers TDBFilterPanel, TDBFindPanel, TFilterRecord and TFindRecord (repeat calls
// do no harm).
void RegisterEngineClasses();

}  // namespace vantor
