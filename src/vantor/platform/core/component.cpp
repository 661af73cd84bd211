#include <vantor/platform/core/component.h>

#include <algorithm>
#include <cctype>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/identifiers.h>
#include <vantor/platform/rtl/utf8.h>

namespace vantor {

namespace {

void Erase(std::vector<TComponent*>& list, TComponent* c) {
  list.erase(std::remove(list.begin(), list.end(), c), list.end());
}

}  // namespace

bool IsValidIdent(std::string_view name) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size();) {
    const Utf8Unit u = DecodeUtf8At(name, i);
    if (u.invalid) return false;
    const bool ok = u.cp == '_' || (i == 0 ? IsLetterChar(u.cp) : IsLetterOrDigitChar(u.cp));
    if (!ok) return false;
    i += u.len;
  }
  return true;
}

const TypeInfo& TComponent::StaticType() {
  static const TypeInfo info = TypeBuilder<TComponent>("TComponent", &TPersistent::StaticType())
                                   .Property("Tag", &TComponent::Tag, &TComponent::SetTag, 0)
                                   .Build();
  return info;
}

TComponent::TComponent(TComponent* owner) {
  if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Tell everyone linked to us, then unlink both ways.
  while (!free_notifies_.empty()) {
    TComponent* other = free_notifies_.back();
    free_notifies_.pop_back();
    Erase(other->free_notifies_, this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_ != nullptr) owner_->RemoveComponent(this);
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name)) {
    throw EComponentError("'" + name + "' is not a valid component name");
  }
  if (!name.empty() && owner_ != nullptr) {
    TComponent* other = owner_->FindComponent(name);
    if (other != nullptr && other != this) {
      throw EComponentError("A component named " + name + " already exists");
    }
  }
  name_ = name;
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return components_[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (owner_ == nullptr) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_) {
    if (SameIdent(c->name_, name)) return c;
  }
  return nullptr;
}

void TComponent::InsertComponent(TComponent* c) {
  if (c == nullptr || c->owner_ == this) return;
  ValidateInsert(c);
  if (!c->name_.empty()) {
    TComponent* other = FindComponent(c->name_);
    if (other != nullptr) throw EComponentError("A component named " + c->name_ + " already exists");
  }
  if (c->owner_ != nullptr) c->owner_->RemoveComponent(c);
  Insert(c);
  if (state_.Contains(csDesigning)) c->SetDesigning(true);
  Notification(c, opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
  if (c == nullptr || c->owner_ != this) return;
  Notification(c, opRemove);
  Remove(c);
}

void TComponent::Insert(TComponent* c) {
  components_.push_back(c);
  ++components_version_;
  c->owner_ = this;
}

void TComponent::Remove(TComponent* c) {
  Erase(components_, c);
  ++components_version_;
  c->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    Remove(c);
    delete c;
  }
}

void TComponent::SetDesigning(bool designing) {
  if (designing) {
    state_.Include(csDesigning);
  } else {
    state_.Exclude(csDesigning);
  }
  for (TComponent* c : components_) c->SetDesigning(designing);
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::FreeNotification(TComponent* c) {
  if (c == nullptr || c == this) return;
  if (std::find(free_notifies_.begin(), free_notifies_.end(), c) == free_notifies_.end()) {
    free_notifies_.push_back(c);
  }
  if (std::find(c->free_notifies_.begin(), c->free_notifies_.end(), this) ==
      c->free_notifies_.end()) {
    c->free_notifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* c) {
  if (c == nullptr) return;
  Erase(free_notifies_, c);
  Erase(c->free_notifies_, this);
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::Notification(TComponent* c, TOperation op) {
  if (op == opRemove && c != nullptr) RemoveFreeNotification(c);
  // Copy: a handler may free or move owned components. Once the list has changed, a
  // child is reached only if it is still owned; until then no search is needed (which
  // keeps notifying n components linear, not quadratic).
  const std::vector<TComponent*> owned = components_;
  const std::uint64_t version = components_version_;
  for (TComponent* child : owned) {
    if (components_version_ != version &&
        std::find(components_.begin(), components_.end(), child) == components_.end()) {
      continue;
    }
    child->Notification(c, op);
  }
}

void TComponent::ValidateInsert(TComponent* /*c*/) {}

std::vector<TComponent*> TComponent::GetChildren(TComponent* root) const {
  std::vector<TComponent*> children;
  if (root != this) return children;
  for (TComponent* c : components_) {
    if (!c->HasParent()) children.push_back(c);
  }
  return children;
}

const std::any* TComponent::FindMethod(std::string_view name) const {
  auto it = methods_.find(name);
  return it == methods_.end() ? nullptr : &it->second;
}

}  // namespace vantor
