#pragma once
// What the designer prints: the palette, the components of a form, the properties of an
// object as the inspector shows them, the items of a collection, and the window in front
// with its controls. Each writes plain lines, so that scripts and tests can read them.

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include <vantor/platform/design/property_editor.h>

namespace vantor {
class TCollection;
class TComponent;
class TDesignRegistry;
class TForm;
}  // namespace vantor

namespace designer {

// "Vantor: TDBFilterPanel TDBFindPanel ...", one page a line, in registration order.
void WritePalette(std::ostream& out, const vantor::TDesignRegistry& registry);

// "Form1: TForm", then one indented line per component: "DBFilterPanel1: TDBFilterPanel
// in Form1" (the parent shown for controls).
void WriteComponents(std::ostream& out, const vantor::TComponent& root);

// The marks of what an editor offers beyond typing: "[list]", "[...]", "[+]", "[read-only]".
std::string AttributeMarks(vantor::TPropertyAttributes attributes);

// "Name = value  [marks]", one property a line, names padded to one column.
void WriteProperties(std::ostream& out, const std::vector<std::unique_ptr<vantor::TPropertyEditor>>& editors);

// "[0] city: TFilterRecord", one item a line; "(no items)" for an empty collection.
void WriteItems(std::ostream& out, const vantor::TCollection& collection);

// The window's name, class and caption, then its controls in creation order: name, class,
// caption or text, the lines of list boxes (the selected one marked), and "disabled" or
// "hidden" where it applies.
void WriteWindow(std::ostream& out, const vantor::TForm& form);

}  // namespace designer
