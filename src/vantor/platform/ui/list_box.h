#pragma once
// TListBox: a list of text lines, one or many of them selected. The user selects with
// the mouse (a press on a line) and with the arrow, Home, End and page keys; each
// selection the user makes fires OnClick.
//
// Drag and drop. With DragMode dmAutomatic a press on the list selects the line under
// the mouse and starts a drag, which begins once the mouse has moved a few pixels with
// the button held (BeginDrag(false); BeginDrag(true) begins at once). While the mouse
// moves, the control under it is asked whether it accepts the drop (CM_DRAG; a list box
// answers through OnDragOver); releasing the button over a control that accepted it
// drops there (OnDragDrop), and the source hears how it ended (OnEndDrag, with a null
// target when nothing took the drop). A press and release without moving is a click.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <vantor/platform/core/strings.h>
#include <vantor/platform/ui/win_control.h>

namespace vantor {

enum class TDragMode : std::uint8_t { dmManual, dmAutomatic };
using enum TDragMode;
template <>
struct EnumNames<TDragMode> {
  static constexpr std::array<std::string_view, 2> value{"dmManual", "dmAutomatic"};
};

enum class TDragState : std::uint8_t { dsDragEnter, dsDragLeave, dsDragMove };
using enum TDragState;

enum class TListBoxStyle : std::uint8_t { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
using enum TListBoxStyle;
template <>
struct EnumNames<TListBoxStyle> {
  static constexpr std::array<std::string_view, 3> value{"lbStandard", "lbOwnerDrawFixed",
                                                         "lbOwnerDrawVariable"};
};

using TDragOverEvent = Event<TObject*, TObject*, int, int, TDragState, bool&>;
using TDragDropEvent = Event<TObject*, TObject*, int, int>;
using TEndDragEvent = Event<TObject*, TObject*, int, int>;

// What CM_DRAG carries (LParam points to it; WParam is the TDragMessage).
enum class TDragMessage : std::uint8_t { dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel };
// The drag operation a CM_DRAG message is about.
struct TDragRec {
  TObject* source = nullptr;
  TPoint pos;  // in the receiving control's client coordinates
  bool accept = false;
};

class TListBox : public TWinControl {
 public:
  explicit TListBox(TComponent* owner);
  ~TListBox() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TStrings* Items() const { return items_.get(); }
  void SetItems(const TStrings* items) { items_->Assign(items); }

  // The line with the caret (in a single-selection list, the selected line); -1 for none.
  int ItemIndex() const;
  // Selects that line (and only it) and scrolls it into view; -1 clears the selection.
  // Code that sets it fires no OnClick. EListError for an index outside the lines.
  void SetItemIndex(int value);
  bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool value);
  // With MultiSelect: a plain click selects one line, Ctrl+click adds or removes one,
  // Shift+click selects a range. Without it, every click toggles one line.
  bool ExtendedSelect() const { return extended_select_; }
  void SetExtendedSelect(bool value) { extended_select_ = value; }
  bool Selected(int index) const;
  void SetSelected(int index, bool value);
  int SelCount() const;

  // Every line is ItemHeight pixels tall.
  int ItemHeight() const { return item_height_; }
  void SetItemHeight(int value);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle value) { style_ = value; }
  // The first line shown.
  int TopIndex() const { return top_index_; }
  void SetTopIndex(int value);
  // How many whole lines the client area shows.
  int VisibleLines() const;
  // The line at a point of the client area. A point below the last line (or outside the
  // list) gives -1 when `existing`, else the number of lines.
  int ItemAtPos(TPoint pos, bool existing) const;
  // The rectangle of a line in client coordinates (it may lie outside the client area).
  TRect ItemRect(int index) const;
  void Clear() { items_->Clear(); }

  // --- Dragging ---
  TDragMode DragMode() const { return drag_mode_; }
  void SetDragMode(TDragMode value) { drag_mode_ = value; }
  // Starts dragging this list: at once, or after the mouse has moved DragThreshold pixels.
  void BeginDrag(bool immediate);
  // Ends the drag: dropped on the accepting target when `drop`, else cancelled.
  void EndDrag(bool drop);
  bool Dragging() const;
  static constexpr int kDragThreshold = 5;

  void WndProc(TMessage& message) override;

  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;

 protected:
  // A drag passes over this list: OnDragOver decides (no handler: refused).
  virtual void DragOver(TObject* source, int x, int y, TDragState state, bool& accept);
  virtual void DragDrop(TObject* source, int x, int y);
  virtual void DoEndDrag(TObject* target, int x, int y);
  void PaintWindow(HDC dc) override;
  void CreateParams(TCreateParams& params) const override;

  void WMLButtonDown(TMessage& m);
  // The second press of a double click: on a line, the list tells the application
  // (OnDblClick), as a list box's double-click notice does.
  void WMLButtonDblClk(TMessage& m);
  void WMMouseMove(TMessage& m);
  void WMLButtonUp(TMessage& m);
  void WMKeyDown(TMessage& m);
  void CMDrag(TMessage& m);

 private:
  void ItemsChanged();
  // Brings the selection in line with the lines: they may change inside an update bracket
  // of the items, and the list box hears of it (ItemsChanged) only at its end.
  void FollowItems();
  // The selection flag of line `index`, once FollowItems has run.
  std::vector<bool>::reference Flag(int index);
  void UserSelect(int index, TShiftState shift);
  void MakeVisible(int index);
  void ClearSelection();

  std::unique_ptr<TStrings> items_;
  std::vector<bool> selected_;
  int item_index_ = -1;
  int anchor_ = -1;
  int top_index_ = 0;
  int item_height_ = 16;
  bool multi_select_ = false;
  bool extended_select_ = true;
  TListBoxStyle style_ = lbStandard;
  TDragMode drag_mode_ = dmManual;
};

}  // namespace vantor
