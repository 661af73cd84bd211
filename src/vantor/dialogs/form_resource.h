#pragma once
// Reading the package's compiled form descriptions into a form. A form class reads the
// description of its own class in its constructor, after its ancestor's (a descendant
// form's description names only what it changes, "inherited bbOk: TBitBtn ... end"), and
// finds its controls by name afterwards.

#include <string>
#include <string_view>

#include <vantor/platform/core/component.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

class TForm;

// Registers the control classes the package's form descriptions create (repeat calls do
// no harm).
void RegisterFormDescriptionClasses();

// Fills `form` from the compiled description of `class_name`: properties, controls (owned
// by the form) and handlers bound through the form's method table. OnCreate does not run
// here: the form is announced once its whole class has read its descriptions (NewForm).
// EReadError when the library holds no description of that class.
void ReadFormResource(TForm& form, std::string_view class_name);

// The component `name` that `owner` owns, as a T; EReadError naming the missing control
// when the description did not make one of that name and class.
template <typename T>
T* DescribedControl(const TComponent& owner, std::string_view name) {
  T* found = dynamic_cast<T*>(owner.FindComponent(name));
  if (found == nullptr) {
    throw EReadError("Form description of " + owner.ClassName() + " has no " + std::string(name));
  }
  return found;
}

}  // namespace vantor
