#include <vantor/platform/ui/menus.h>

#include <algorithm>

#include <vantor/platform/core/type_info.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/ui/application.h>

namespace vantor {

// ---------------------------------------------------------------------------
// TMenuItem

const TypeInfo& TMenuItem::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TMenuItem>("TMenuItem", &TComponent::StaticType())
          .Component()
          .Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
          .Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false)
          .Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault, false)
          .Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true)
          .Property("ShortCut", &TMenuItem::GetShortCut, &TMenuItem::SetShortCut, scNone)
          .Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true)
          .Event("OnClick", &TMenuItem::OnClick)
          .Build();
  return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  TComponent::Destroying();
  Clear();
  if (parent_ != nullptr) parent_->Remove(this);
}

TMenuItem* TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count()) {
    throw EMenuError("Menu index out of range (" + std::to_string(index) + ")");
  }
  return items_[static_cast<std::size_t>(index)];
}

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (item == nullptr) throw EMenuError("Cannot insert a null menu item");
  if (item->parent_ != nullptr || item->menu_ != nullptr) {
    throw EMenuError("Menu inserted twice");
  }
  for (const TMenuItem* p = this; p != nullptr; p = p->parent_) {
    if (p == item) throw EMenuError("A menu item cannot contain itself");
  }
  if (index < 0 || index > Count()) {
    throw EMenuError("Menu index out of range (" + std::to_string(index) + ")");
  }
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
}

void TMenuItem::Delete(int index) {
  TMenuItem* item = Items(index);
  items_.erase(items_.begin() + index);
  item->parent_ = nullptr;
}

void TMenuItem::Remove(TMenuItem* item) {
  const int index = IndexOf(item);
  if (index >= 0) Delete(index);
}

void TMenuItem::Clear() {
  // Last first, as owners free; each item leaves the list as it goes.
  while (!items_.empty()) delete items_.back();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* top = this;
  while (top->parent_ != nullptr) top = top->parent_;
  return top->menu_;
}

TMenuItem* TMenuItem::Find(std::string_view caption) const {
  for (TMenuItem* item : items_) {
    if (item->visible_ && AnsiSameText(StripHotkey(item->caption_), StripHotkey(caption))) {
      return item;
    }
  }
  for (TMenuItem* item : items_) {
    if (!item->visible_) continue;
    if (TMenuItem* found = item->Find(caption)) return found;
  }
  return nullptr;
}

void TMenuItem::Click() {
  if (!enabled_ || IsLine()) return;
  OnClick(this);
}

std::vector<TComponent*> TMenuItem::GetChildren(TComponent* /*root*/) const {
  return {items_.begin(), items_.end()};
}

TComponent* TMenuItem::GetParentComponent() const {
  if (parent_ == nullptr) return nullptr;
  // The top-level items stand in the stream under the menu, not under its root item.
  if (parent_->menu_ != nullptr) return parent_->menu_;
  return parent_;
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (parent_ != nullptr) parent_->Remove(this);
  if (auto* menu = dynamic_cast<TMenu*>(parent)) {
    menu->Items()->Add(this);
  } else if (auto* item = dynamic_cast<TMenuItem*>(parent)) {
    item->Add(this);
  }
}

// ---------------------------------------------------------------------------
// TMenu

const TypeInfo& TMenu::StaticType() {
  static const TypeInfo info = TypeBuilder<TMenu>("TMenu", &TComponent::StaticType()).Build();
  return info;
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr)) {
  items_->menu_ = this;
}

TMenu::~TMenu() {
  TComponent::Destroying();
  items_.reset();  // frees the items still in the tree
}

std::vector<TComponent*> TMenu::GetChildren(TComponent* root) const {
  return items_->GetChildren(root);
}

// ---------------------------------------------------------------------------
// TPopupMenu

const TypeInfo& TPopupMenu::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TPopupMenu>("TPopupMenu", &TMenu::StaticType())
          .Component()
          .Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment, paLeft)
          .Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true)
          .Event("OnPopup", &TPopupMenu::OnPopup)
          .Build();
  return info;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

TPopupMenu::~TPopupMenu() { TComponent::Destroying(); }

void TPopupMenu::SetPopupComponent(TComponent* component) {
  if (component == popup_component_) return;
  popup_component_ = component;
  if (component != nullptr) FreeNotification(component);
}

void TPopupMenu::Notification(TComponent* c, TOperation op) {
  TMenu::Notification(c, op);
  if (op == opRemove && c == popup_component_) popup_component_ = nullptr;
}

void TPopupMenu::Popup(int x, int y) {
  OnPopup(this);
  if (TMenuItem* chosen = Application->TrackPopupMenu(*this, {x, y})) chosen->Click();
}

void RegisterMenuClasses() {
  RegisterClass(TMenuItem::StaticType());
  RegisterClass(TPopupMenu::StaticType());
}

}  // namespace vantor
