#pragma once
// TComboBox: an edit with a drop-down list of Items. csDropDown lets the user type any
// text; csDropDownList only chooses among the items. The arrow, Home and End keys move
// the choice through the items (a letter jumps to the next item beginning with it in a
// list), Alt+Down or F4 opens and closes the list, and a click on an item of the open
// list chooses it. A choice the user makes fires OnClick, then OnChange; text typed into
// a csDropDown box fires OnChange. Code that sets ItemIndex or Text fires neither.

#include <array>
#include <cstdint>
#include <memory>

#include <vantor/platform/core/strings.h>
#include <vantor/platform/ui/win_control.h>

namespace vantor {

enum class TComboBoxStyle : std::uint8_t {
  csDropDown,
  csSimple,
  csDropDownList,
  csOwnerDrawFixed,
  csOwnerDrawVariable
};
using enum TComboBoxStyle;
template <>
struct EnumNames<TComboBoxStyle> {
  static constexpr std::array<std::string_view, 5> value{
      "csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"};
};

class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* owner);
  ~TComboBox() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle value);
  TStrings* Items() const { return items_.get(); }
  void SetItems(const TStrings* items) { items_->Assign(items); }
  // The chosen item, -1 for none. Setting it shows that item's text; EListError outside
  // -1 .. Count - 1.
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int value);
  // The text shown. In a csDropDownList box it is always an item's text (or empty):
  // setting it chooses the item of that text. In a csDropDown box any text goes, and
  // the item of the same text (compared without case) becomes the chosen one.
  std::string GetText() const override { return text_; }
  void SetText(const std::string& text) override;
  int DropDownCount() const { return drop_down_count_; }
  void SetDropDownCount(int value) { drop_down_count_ = value; }
  int ItemHeight() const { return item_height_; }
  void SetItemHeight(int value);
  // Most characters a csDropDown box takes (0: no limit).
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int value) { max_length_ = value; }
  bool DroppedDown() const { return dropped_down_; }
  void SetDroppedDown(bool value);
  // Where item `index` shows in the open list, in the box's client coordinates (the list
  // hangs below the box).
  TRect DropDownItemRect(int index) const;

  void WndProc(TMessage& message) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;

 protected:
  virtual void Change();
  virtual void DropDown();
  void PaintWindow(HDC dc) override;
  void CreateParams(TCreateParams& params) const override;

  void WMKeyDown(TMessage& m);
  void WMChar(TMessage& m);
  void WMLButtonDown(TMessage& m);
  void WMGetDlgCode(TMessage& m);

 private:
  void ItemsChanged();
  // A choice made by the user: the item's text shows, then OnClick and OnChange.
  void UserChoose(int index);

  std::unique_ptr<TStrings> items_;
  TComboBoxStyle style_ = csDropDown;
  std::string text_;
  int item_index_ = -1;
  int drop_down_count_ = 8;
  int item_height_ = 16;
  int max_length_ = 0;
  bool dropped_down_ = false;
  int list_top_ = 0;  // first item shown in the open list
};

}  // namespace vantor
