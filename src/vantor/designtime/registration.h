#pragma once
// Register: what a designer calls when it loads this package. It puts the four
// components a developer drops on a form on the palette page "Vantor" and attaches the
// fields editor to the Fields property and to the context menu of every panel and
// dialog component, and the field-name list to a field record's FieldName. Nothing else
// of the package goes on the palette (the panels inside the dialog components, the
// forms, the records and option objects).

namespace vantor {

void Register();

// Registers the palette images, 24 x 24 in 16 colours, named after the classes in
// capitals ("TDBFILTERPANEL"). Register does it first; repeat calls do no harm.
void RegisterPaletteImages();

}  // namespace vantor
