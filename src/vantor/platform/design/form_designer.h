#pragma once
// TFormDesigner: the designer of one form (the designed root). Editors talk to the host
// through it: they report that the design changed (Modified) and put objects into the
// property inspector (SelectComponent). It also names new components and lists the
// components of the root by class, which the reference editors offer as values.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/core/component.h>

namespace vantor {

class TFormDesigner {
 public:
  // `root` is the form being designed; it is not owned and must outlive the designer.
  explicit TFormDesigner(TComponent* root);
  TFormDesigner(const TFormDesigner&) = delete;
  TFormDesigner& operator=(const TFormDesigner&) = delete;
  virtual ~TFormDesigner() = default;

  TComponent* GetRoot() const { return root_; }

  // The design has changed and must be saved: raises IsModified and calls OnModified.
  virtual void Modified();
  bool IsModified() const { return modified_; }
  // After saving: the design is the saved one again.
  void ClearModified() { modified_ = false; }

  // The objects shown in the inspector: components, and also collections and their
  // items (a panel's field list or one field record). Null selects nothing.
  virtual void SelectComponent(TPersistent* instance);
  void SetSelections(std::vector<TPersistent*> selection);
  const std::vector<TPersistent*>& GetSelections() const { return selection_; }

  // A name not yet used in the root for a component of class `class_name`:
  // "TDBFilterPanel" gives "DBFilterPanel1", then "DBFilterPanel2".
  std::string UniqueName(std::string_view class_name) const;
  // The root itself or one of its components by name (case-insensitive), or null.
  TComponent* GetComponent(std::string_view name) const;
  // The name under which a component is known in this design ("" for none).
  std::string GetComponentName(const TComponent* component) const;
  // Calls `proc` with the name of each named component of the root (the root too) of
  // class `info` or a descendant, in creation order.
  void GetComponentNames(const TypeInfo& info,
                         const std::function<void(const std::string&)>& proc) const;

  // Creates a component of a registered class, owned by the root and named uniquely,
  // marked as being designed; `parent` (a control of the root, or the root) becomes
  // its stream parent when the class can have one. Reports Modified.
  TComponent* CreateComponent(const TypeInfo& info, TComponent* parent);

  // Called after each Modified, and when the selection changes.
  std::function<void()> OnModified;
  std::function<void()> OnSelectionChanged;

 private:
  TComponent* root_;
  bool modified_ = false;
  std::vector<TPersistent*> selection_;
};

}  // namespace vantor
