#pragma once
// TControl: a visual component. It has bounds in its parent's client coordinates, a
// parent windowed control, visibility, enabling, alignment, font, colour, cursor and
// text, and it reacts to messages: Perform sends a message to the virtual WndProc,
// whose switch hands each message to a small named handler and everything else to
// DefaultHandler. Font, colour and hint follow the parent's while their Parent* flag
// is set: the parent broadcasts CM_PARENTFONTCHANGED (and the colour and hint
// counterparts) with WParam 0 to its children whenever its own value changes, and a
// child with the flag copies the value; setting a value explicitly clears the flag.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <vantor/platform/core/alignment.h>
#include <vantor/platform/core/component.h>
#include <vantor/platform/core/event.h>
#include <vantor/platform/rtl/enum_names.h>
#include <vantor/platform/rtl/set.h>
#include <vantor/platform/ui/canvas.h>
#include <vantor/platform/ui/color.h>
#include <vantor/platform/ui/font.h>
#include <vantor/platform/ui/messages.h>
#include <vantor/platform/ui/system.h>

namespace vantor {

class TWinControl;
class TPopupMenu;

enum class TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
using enum TAlign;
template <>
struct EnumNames<TAlign> {
  static constexpr std::array<std::string_view, 6> value{"alNone",  "alTop",   "alBottom",
                                                         "alLeft",  "alRight", "alClient"};
};


// Border of panels, edits and scroll boxes.
enum class TBorderStyle : std::uint8_t { bsNone, bsSingle };
using enum TBorderStyle;
template <>
struct EnumNames<TBorderStyle> {
  static constexpr std::array<std::string_view, 2> value{"bsNone", "bsSingle"};
};

enum class TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };
using enum TMouseButton;
template <>
struct EnumNames<TMouseButton> {
  static constexpr std::array<std::string_view, 3> value{"mbLeft", "mbRight", "mbMiddle"};
};

enum class TShiftStateItem : std::uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using enum TShiftStateItem;
using TShiftState = Set<TShiftStateItem>;
template <>
struct EnumNames<TShiftStateItem> {
  static constexpr std::array<std::string_view, 7> value{"ssShift", "ssAlt",    "ssCtrl", "ssLeft",
                                                         "ssRight", "ssMiddle", "ssDouble"};
};

enum class TControlStyleItem : std::uint8_t {
  csAcceptsControls,
  csCaptureMouse,
  csDesignInteractive,
  csClickEvents,
  csFramed,
  csSetCaption,
  csOpaque,
  csDoubleClicks,
  csFixedWidth,
  csFixedHeight,
  csNoDesignVisible,
  csReplicatable,
  csNoStdEvents,
  csDisplayDragImage,
  csReflector,
};
using enum TControlStyleItem;
using TControlStyle = Set<TControlStyleItem>;
template <>
struct EnumNames<TControlStyleItem> {
  static constexpr std::array<std::string_view, 15> value{
      "csAcceptsControls", "csCaptureMouse",  "csDesignInteractive", "csClickEvents",
      "csFramed",          "csSetCaption",    "csOpaque",            "csDoubleClicks",
      "csFixedWidth",      "csFixedHeight",   "csNoDesignVisible",   "csReplicatable",
      "csNoStdEvents",     "csDisplayDragImage", "csReflector"};
};

enum class TControlStateItem : std::uint8_t {
  csLButtonDown,
  csClicked,
  csPalette,
  csReadingState,
  csAlignmentNeeded,
  csFocusing,
  csCreating,
  csPaintCopy,
  csCustomPaint,
  csDestroyingHandle,
};
using enum TControlStateItem;
using TControlState = Set<TControlStateItem>;

// Cursor identifiers (16-bit signed, as stored).
using TCursor = std::int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
// A cursor's name ("crHourGlass") and the cursor of a name (case-insensitive), in the form
// a published cursor property names its values with (TypeBuilder::Idents), so that forms
// read and write "Cursor = crHandPoint".
std::optional<std::int64_t> CursorValueOfIdent(std::string_view ident);
std::optional<std::string> CursorIdentOfValue(std::int64_t value);

using TMouseEvent = Event<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = Event<TObject*, TShiftState, int, int>;
using TKeyEvent = Event<TObject*, std::uint16_t&, TShiftState>;
using TKeyPressEvent = Event<TObject*, char32_t&>;

// The modifier keys and mouse buttons held down, as the keyboard state reports them.
// SendKey and the scripted user set it while they deliver input.
TShiftState KeyboardShiftState();
void SetKeyboardShiftState(TShiftState state);
// The control holding the mouse capture, or null.
TControl* GetCaptureControl();
// Mouse-message key flags (MK_SHIFT ...) as a shift state, and back.
TShiftState KeysToShiftState(std::intptr_t keys);
std::intptr_t ShiftStateToKeys(TShiftState shift);
// The shift state of a key message: keyboard Shift/Ctrl, and Alt from the key data.
TShiftState KeyDataToShiftState(std::intptr_t key_data);

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // --- Bounds, in the parent's client coordinates ---
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  // Moves and sizes the control in one step: a windowed control with a window gets
  // WM_WINDOWPOSCHANGED (and from it WM_SIZE when the size changed); the parent
  // realigns when the control is aligned; Resize runs when the size changed.
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }

  // The client area in the control's own coordinates (windows exclude their borders
  // and scroll bars).
  virtual TRect GetClientRect() const;
  TRect ClientRect() const { return GetClientRect(); }
  int ClientWidth() const { return GetClientRect().Width(); }
  int ClientHeight() const { return GetClientRect().Height(); }
  void SetClientWidth(int v);
  void SetClientHeight(int v);
  // Screen position of the client area's top-left corner.
  virtual TPoint GetClientOrigin() const;
  TPoint ClientOrigin() const { return GetClientOrigin(); }
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  // --- Parent ---
  TWinControl* Parent() const { return parent_; }
  // Moves the control into `parent`'s controls (parent->ValidateInsert(this) first,
  // so a container can refuse it), or out of any parent with null. EInvalidOperation
  // when `parent` is the control itself or one of its own children.
  virtual void SetParent(TWinControl* parent);
  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }
  void SetParentComponent(TComponent* parent) override;
  // The topmost windowed control above this one (itself when it has no parent and is windowed).
  TWinControl* TopLevel() const;

  // --- Visibility, enabling, alignment ---
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent visible.
  bool IsVisibleOnScreen() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  TAlign Align() const { return align_; }
  virtual void SetAlign(TAlign align);
  // Brings the control to the end of its parent's list (painted last, aligned last).
  void BringToFront();
  void SendToBack();

  // --- Font, colour, cursor, text, hint ---
  TFont* Font() const { return font_.get(); }
  void SetFont(const TFont* font) { font_->Assign(font); }
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool value);
  bool IsFontStored() const { return !parent_font_; }
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool ParentColor() const { return parent_color_; }
  void SetParentColor(bool value);
  bool IsColorStored() const { return !parent_color_; }
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  // The control's text (a label's or panel's caption, an edit's contents).
  virtual std::string GetText() const { return text_; }
  virtual void SetText(const std::string& text);
  std::string Text() const { return GetText(); }
  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& caption) { SetText(caption); }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parent_show_hint_; }
  void SetParentShowHint(bool value);
  bool IsShowHintStored() const { return !parent_show_hint_; }

  // --- Popup menu ---
  // The menu a right click on the control pops up (when its AutoPopup is set); a
  // reference, cleared when the menu is freed.
  TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* menu);
  void Notification(TComponent* c, TOperation op) override;

  // A name change also sets the caption while the caption still equals the old name
  // and csSetCaption is in ControlStyle (how a newly dropped control gets its caption).
  void SetName(const std::string& name) override;

  TControlStyle ControlStyle() const { return control_style_; }
  void SetControlStyle(TControlStyle style) { control_style_ = style; }
  TControlState ControlState() const { return control_state_; }
  void SetControlState(TControlState state) { control_state_ = state; }

  // --- Messages ---
  std::intptr_t Perform(std::uint32_t msg, std::intptr_t wparam = 0, std::intptr_t lparam = 0);
  virtual void WndProc(TMessage& message);
  // What a message does when no handler takes it: the window system's default answer.
  virtual void DefaultHandler(TMessage& message);

  // --- Painting ---
  // Marks the control for repainting; counted, so tests can see invalidations.
  virtual void Invalidate();
  int InvalidateCount() const { return invalidate_count_; }
  void ResetInvalidateCount() { invalidate_count_ = 0; }
  // Paints now (recorded on the window surface).
  virtual void Repaint();
  // Paints when an invalidation is pending.
  virtual void Update();
  void Refresh() { Repaint(); }

  // --- Mouse capture: the control that receives every mouse message while it holds it.
  bool MouseCapture() const;
  void SetMouseCapture(bool value);

  // Applies the parent's font, colour and hint after the form stream has read the control.
  void Loaded() override;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

 protected:
  friend class TWinControl;

  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  // Fired after the size changed; fires OnResize.
  virtual void Resize();
  // The font's OnChange: the control stops following its parent's font.
  virtual void FontChanged();
  // Asks the parent to realign its children because this one's alignment matters.
  void RequestAlign();
  // Sends the parent-follow notifications after insertion or loading.
  void NotifyParentChanged();
  // Stores bounds without any notification (for alignment from inside WM_ handlers).
  void UpdateBoundsRect(const TRect& r);
  // True while this control is being destroyed (virtual dispatch no longer reaches
  // the derived parts then).
  bool Destroying() const { return ComponentState().Contains(csDestroying); }

  // Message handlers.
  void WMMouseMove(TMessage& m);
  void WMButtonDown(TMessage& m, TMouseButton button, bool dbl);
  void WMButtonUp(TMessage& m, TMouseButton button);
  // WM_CONTEXTMENU: pops up PopupMenu at the point (at the client origin for the menu
  // key), or hands the request to the parent when the control has no menu to show.
  void WMContextMenu(TMessage& m);
  void CMParentFontChanged(TMessage& m);
  void CMParentColorChanged(TMessage& m);
  void CMParentShowHintChanged(TMessage& m);
  void CMColorChanged(TMessage& m);
  void CMFontChanged(TMessage& m);
  void CMVisibleChanged(TMessage& m);
  void CMEnabledChanged(TMessage& m);

  // A changed size reported after the bounds were stored (windowed controls realign).
  virtual void BoundsSized();

 private:
  void DoMouseDown(TMessage& m, TMouseButton button, TShiftState extra);
  void DoMouseUp(TMessage& m, TMouseButton button);

  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  TWinControl* parent_ = nullptr;
  TPopupMenu* popup_menu_ = nullptr;
  bool visible_ = true;
  bool enabled_ = true;
  TAlign align_ = alNone;
  std::unique_ptr<TFont> font_;
  bool parent_font_ = true;
  TColor color_ = clWindow;
  bool parent_color_ = true;
  TCursor cursor_ = crDefault;
  std::string text_;
  std::string hint_;
  bool show_hint_ = false;
  bool parent_show_hint_ = true;
  TControlStyle control_style_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState control_state_;
  int invalidate_count_ = 0;
};

// A control without a window of its own (labels, speed buttons): it paints on its
// parent's surface through its Canvas, in its own coordinates.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TCanvas* Canvas() const { return canvas_.get(); }
  void WndProc(TMessage& message) override;
  void SetParent(TWinControl* parent) override;
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  // Draws the control on Canvas.
  virtual void Paint() {}
  // WM_PAINT: WParam is the device context of the parent's surface.
  void WMPaint(TMessage& m);

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

}  // namespace vantor
