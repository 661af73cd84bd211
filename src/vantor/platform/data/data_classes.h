#pragma once
// Registration of the data components of this layer with the class registry, so that a
// form read from the form stream can create them by name ("TSQLiteTable", "TDataSource").

namespace vantor {

// Registers TDataSource, TTable, TSQLiteTable, TSQLiteQuery and the field classes
// (RegisterFieldClasses). Safe to call more than once.
void RegisterDataClasses();

}  // namespace vantor
