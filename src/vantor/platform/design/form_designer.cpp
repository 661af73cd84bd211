#include <vantor/platform/design/form_designer.h>

#include <cassert>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/number_text.h>

namespace vantor {

TFormDesigner::TFormDesigner(TComponent* root) : root_(root) {
  if (root_ == nullptr) throw EInvalidOperation("A form designer needs a form to design");
}

void TFormDesigner::Modified() {
  modified_ = true;
  if (OnModified) OnModified();
}

void TFormDesigner::SelectComponent(TPersistent* instance) {
  std::vector<TPersistent*> selection;
  if (instance != nullptr) selection.push_back(instance);
  SetSelections(std::move(selection));
}

void TFormDesigner::SetSelections(std::vector<TPersistent*> selection) {
  selection_ = std::move(selection);
  if (OnSelectionChanged) OnSelectionChanged();
}

std::string TFormDesigner::UniqueName(std::string_view class_name) const {
  std::string_view base = class_name;
  // Class names start with the type prefix T, which names leave out.
  if (base.size() > 1 && (base[0] == 'T' || base[0] == 't')) base.remove_prefix(1);
  for (int n = 1;; ++n) {
    std::string candidate = std::string(base) + IntToStr(n);
    if (GetComponent(candidate) == nullptr) return candidate;
  }
}

TComponent* TFormDesigner::GetComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  if (AnsiSameText(root_->Name(), name)) return root_;
  return root_->FindComponent(name);
}

std::string TFormDesigner::GetComponentName(const TComponent* component) const {
  return component == nullptr ? std::string() : component->Name();
}

void TFormDesigner::GetComponentNames(const TypeInfo& info,
                                      const std::function<void(const std::string&)>& proc) const {
  if (!root_->Name().empty() && root_->InheritsFrom(info)) proc(root_->Name());
  for (int i = 0; i < root_->ComponentCount(); ++i) {
    const TComponent* c = root_->Components(i);
    if (!c->Name().empty() && c->InheritsFrom(info)) proc(c->Name());
  }
}

TComponent* TFormDesigner::CreateComponent(const TypeInfo& info, TComponent* parent) {
  if (!info.CreateComponent()) {
    throw EInvalidOperation("Cannot create a component of class " + info.Name());
  }
  TComponent* c = info.CreateComponent()(root_);
  // The factory makes the component with the root as its owner, which is what lets
  // the root free it on any failure below.
  assert(c->Owner() == root_);
  try {
    c->SetName(UniqueName(info.Name()));
    c->SetDesigning(true);
    if (parent != nullptr && c->HasParent()) c->SetParentComponent(parent);
  } catch (...) {
    delete c;
    throw;
  }
  Modified();
  return c;
}

}  // namespace vantor
