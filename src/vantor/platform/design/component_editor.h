#pragma once
// TComponentEditor: what the designer does with a component as a whole: the verbs
// it adds to the component's context menu, and a double-click (Edit). Packages derive
// their own and register them for a component class (see design_registry.h).

#include <string>

namespace vantor {

class TComponent;
class TFormDesigner;

class TComponentEditor {
 public:
  TComponentEditor(TComponent* component, TFormDesigner& designer);
  TComponentEditor(const TComponentEditor&) = delete;
  TComponentEditor& operator=(const TComponentEditor&) = delete;
  virtual ~TComponentEditor() = default;

  // The double-click: runs the first verb when there is one.
  virtual void Edit();
  // Runs verb `index` (0 .. GetVerbCount()-1); other indexes do nothing.
  virtual void ExecuteVerb(int /*index*/) {}
  // The menu text of verb `index` ("" outside the verbs).
  virtual std::string GetVerb(int /*index*/) const { return {}; }
  virtual int GetVerbCount() const { return 0; }

  TComponent* Component() const { return component_; }
  TFormDesigner& Designer() const { return designer_; }

 private:
  TComponent* component_;
  TFormDesigner& designer_;
};

}  // namespace vantor
