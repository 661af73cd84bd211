#include <vantor/platform/design/component_editor.h>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

TComponentEditor::TComponentEditor(TComponent* component, TFormDesigner& designer)
    : component_(component), designer_(designer) {
  if (component_ == nullptr) throw EInvalidOperation("A component editor needs a component");
}

void TComponentEditor::Edit() {
  if (GetVerbCount() > 0) ExecuteVerb(0);
}

}  // namespace vantor
