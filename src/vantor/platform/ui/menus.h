#pragma once
// Menus: TMenuItem is one command of a menu (or a submenu: an item with items of its
// own), TMenu holds the tree under its root item, and TPopupMenu is the menu a control
// shows where the user right-clicks it (TControl::PopupMenu).
//
// Ownership: items are components like any other, owned by whatever created them (a
// form, for the items the designer drops), and the form stream writes them nested under
// the menu or item they belong to. Independently of that, an item frees the sub-items
// still in its list when it is freed, and an item leaves its parent's list when it is
// freed, so neither side ever holds a dangling entry.
//
// Headless, a popup menu is not drawn: Popup records the showing in the application
// (TApplication::PopupMenus) and takes the user's choice from the scripted user
// (TScriptedUser::ChooseMenuItem); with no choice queued the user dismisses the menu.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/core/component.h>
#include <vantor/platform/core/event.h>
#include <vantor/platform/rtl/enum_names.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/font.h>
#include <vantor/platform/ui/hotkey.h>

namespace vantor {

class TMenu;

// A menu tree used the wrong way: an index out of range, an item inserted twice or
// into itself.
class EMenuError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EMenuError"; }
};

// A key with its modifiers, as menus show it: the virtual key in the low byte and the
// modifier flags above it. 0 is no shortcut.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline constexpr TShortCut scNone = 0;
constexpr TShortCut ShortCut(std::uint16_t key, TShortCut modifiers) {
  return static_cast<TShortCut>((key & 0xFFu) | modifiers);
}

enum class TPopupAlignment : std::uint8_t { paLeft, paRight, paCenter };
using enum TPopupAlignment;
template <>
struct EnumNames<TPopupAlignment> {
  static constexpr std::array<std::string_view, 3> value{"paLeft", "paRight", "paCenter"};
};

// One command of a menu, or a submenu when it has items of its own.
class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  // A caption of "-" makes the item a separator line; it cannot be chosen.
  bool IsLine() const { return caption_ == "-"; }
  bool Checked() const { return checked_; }
  void SetChecked(bool value) { checked_ = value; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { visible_ = value; }
  // The default item of its menu (shown in bold; a double click chooses it).
  bool Default() const { return default_; }
  void SetDefault(bool value) { default_ = value; }
  TShortCut GetShortCut() const { return short_cut_; }
  void SetShortCut(TShortCut value) { short_cut_ = value; }

  // --- Sub-items, in menu order ---
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const;  // EMenuError out of range
  // Appends `item`; EMenuError when it already sits in a menu or would contain itself.
  void Add(TMenuItem* item) { Insert(Count(), item); }
  // Inserts `item` before position `index` (0 ... Count()).
  void Insert(int index, TMenuItem* item);
  // Takes the item at `index` out of the list without freeing it: it still belongs to
  // its owner, or to the caller when it has none.
  void Delete(int index);
  // Takes `item` out of the list without freeing it; nothing happens when it is not there.
  void Remove(TMenuItem* item);
  // Frees every sub-item.
  void Clear();
  // Position of `item` among the sub-items, -1 when it is not one.
  int IndexOf(const TMenuItem* item) const;
  // The item whose list this one sits in, or null.
  TMenuItem* Parent() const { return parent_; }
  // Position in the parent's list, -1 without a parent.
  int MenuIndex() const { return parent_ != nullptr ? parent_->IndexOf(this) : -1; }
  // The menu whose tree this item belongs to, or null.
  TMenu* GetParentMenu() const;
  // The first visible sub-item, searched depth first, whose caption without accelerator
  // marks equals `caption` (case-insensitive); null when none.
  TMenuItem* Find(std::string_view caption) const;

  // The user chose the item: fires OnClick while the item is enabled.
  virtual void Click();

  // The form stream writes sub-items nested inside their item.
  std::vector<TComponent*> GetChildren(TComponent* root) const override;
  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }
  void SetParentComponent(TComponent* parent) override;

  TNotifyEvent OnClick;

 private:
  friend class TMenu;

  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  bool default_ = false;
  TShortCut short_cut_ = scNone;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on a menu's root item only
};

// A tree of menu items under a root item that has no caption of its own.
class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The root item: its sub-items are the menu's top-level items.
  TMenuItem* Items() const { return items_.get(); }

  // The form stream writes the top-level items nested inside the menu.
  std::vector<TComponent*> GetChildren(TComponent* root) const override;

 private:
  std::unique_ptr<TMenuItem> items_;
};

// The menu a control shows where the user right-clicks it.
class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // Whether a right click on a control that names this menu pops it up by itself.
  bool AutoPopup() const { return auto_popup_; }
  void SetAutoPopup(bool value) { auto_popup_ = value; }
  // Where the menu sits relative to the popup point.
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment value) { alignment_ = value; }
  // The control the menu was last popped up for (set before OnPopup fires); null when
  // the menu was popped up directly or that component has been freed.
  TComponent* PopupComponent() const { return popup_component_; }
  void SetPopupComponent(TComponent* component);

  // Shows the menu at a screen point: fires OnPopup (which may still change the items),
  // records the showing and lets the user choose; a chosen item gets its Click before
  // Popup returns.
  virtual void Popup(int x, int y);

  void Notification(TComponent* c, TOperation op) override;

  // Fires just before the menu shows.
  TNotifyEvent OnPopup;

 private:
  bool auto_popup_ = true;
  TPopupAlignment alignment_ = paLeft;
  TComponent* popup_component_ = nullptr;
};

// Registers TMenuItem and TPopupMenu with the form stream. Safe to call more than once.
void RegisterMenuClasses();

}  // namespace vantor
