#pragma once
// TComponent: a named persistent object in an ownership tree. An owner frees the
// components it owns; components that hold references to others ask for a free
// notification and are told (Notification(c, opRemove)) before the other goes away.
//
// C++ note: a destructor runs after the derived parts are gone, so the base class
// can no longer reach derived overrides. A class whose Notification (or other
// virtual) must see its owned components leave calls Destroying() and
// DestroyComponents() at the top of its own destructor.

#include <any>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/core/persistent.h>
#include <vantor/platform/rtl/set.h>

namespace vantor {

enum class TComponentStateItem : std::uint8_t {
  csLoading,
  csReading,
  csWriting,
  csDestroying,
  csDesigning,
  csAncestor,
  csUpdating,
  csFixups,
};
using TComponentState = Set<TComponentStateItem>;
using enum TComponentStateItem;

enum class TOperation : std::uint8_t { opInsert, opRemove };
using enum TOperation;

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TComponent* Owner() const { return owner_; }
  TPersistent* GetOwner() const override { return owner_; }
  std::string GetNamePath() const override { return name_; }

  const std::string& Name() const { return name_; }
  // Raises EComponentError for a name that is not an identifier ("'1x' is not a valid
  // component name") or is taken by another component of the same owner
  // ("A component named X already exists"). The empty name is always allowed.
  virtual void SetName(const std::string& name);
  std::int32_t Tag() const { return tag_; }
  void SetTag(std::int32_t tag) { tag_ = tag; }

  // Owned components, in creation (insertion) order.
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;  // EListError out of bounds
  int ComponentIndex() const;               // position in the owner's list, -1 without owner
  // The owned component of that name (case-insensitive), or null.
  TComponent* FindComponent(std::string_view name) const;
  // Takes ownership of `c` (removing it from its previous owner). Calls ValidateInsert(c)
  // first, then Notification(c, opInsert).
  void InsertComponent(TComponent* c);
  // Gives up ownership of `c` (Notification(c, opRemove) first); the caller now owns it.
  void RemoveComponent(TComponent* c);
  // Frees every owned component, last created first.
  void DestroyComponents();

  TComponentState ComponentState() const { return state_; }
  // For the filer and the designer: raise or clear a state flag on this component.
  void IncludeState(TComponentStateItem s) { state_.Include(s); }
  void ExcludeState(TComponentStateItem s) { state_.Exclude(s); }
  // Marks this component and everything it owns as being designed (or not).
  void SetDesigning(bool designing);
  // Sets csDestroying on this component and everything it owns.
  void Destroying();

  // Asks to be told (Notification(this_component, opRemove)) when `c` is freed;
  // the link is mutual, so whichever side goes first unlinks the other.
  void FreeNotification(TComponent* c);
  void RemoveFreeNotification(TComponent* c);

  // Called once the whole tree has been read from the form stream; clears csLoading.
  virtual void Loaded();
  // A component was inserted into or is being removed from this one's neighbourhood.
  // The default forwards the notice to every owned component.
  virtual void Notification(TComponent* c, TOperation op);
  // Refuses a component that may not be inserted (raise); called by InsertComponent and,
  // for controls, when a control is given this component as its parent.
  virtual void ValidateInsert(TComponent* c);

  // For the form stream: the child components written nested inside this one.
  // The default: when this is the root, its owned components that have no parent
  // component. Controls override it to list the controls they contain.
  virtual std::vector<TComponent*> GetChildren(TComponent* root) const;
  // The component this one is nested under in the stream (a control's parent), or null.
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual bool HasParent() const { return false; }
  // Makes `parent` the stream parent of this component (a control's SetParent).
  virtual void SetParentComponent(TComponent* /*parent*/) {}

  // The method table of a root component (a form): handlers by name, for events read
  // from the form stream. `handler` is the Event's std::function<void(Args...)>.
  template <typename F>
  void RegisterMethod(const std::string& name, F handler) {
    methods_[name] = std::any(std::move(handler));
  }
  // The handler registered under that name, or null.
  const std::any* FindMethod(std::string_view name) const;
  // The name under which a handler was registered (for the writer), or "".
  std::string MethodName(const EventBase& event) const { return event.HandlerName(); }

 private:
  void Insert(TComponent* c);
  void Remove(TComponent* c);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::int32_t tag_ = 0;
  TComponentState state_;
  std::vector<TComponent*> components_;
  // Counts the insertions into and removals from components_, so that a notification
  // walking a copy of the list knows whether the list is still the same.
  std::uint64_t components_version_ = 0;
  std::vector<TComponent*> free_notifies_;
  std::map<std::string, std::any, std::less<>> methods_;
};

// True when `name` is an identifier: a letter or underscore, then letters, digits, underscores.
// Letters and digits are those of any script (`Доб`, `Manutenção`), as names in forms
// written by other tools use them; the text must be valid UTF-8.
bool IsValidIdent(std::string_view name);

// The component itself when it is of class T, else null (the host's "is"/"as").
template <typename T>
T* As(TPersistent* p) {
  return dynamic_cast<T*>(p);
}
template <typename T>
const T* As(const TPersistent* p) {
  return dynamic_cast<const T*>(p);
}

}  // namespace vantor
