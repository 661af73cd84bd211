#pragma once
// TWinControl: a control with a window of its own. It contains other controls (aligned
// in creation order: top ones stack down from the top, bottom ones up from the bottom,
// then left, right, and a client one fills the rest), takes the keyboard focus, turns
// key messages into KeyDown/KeyPress/KeyUp, and has a window handle once it is created
// (headless, the handle is a number; the window's painting is recorded on Surface()).
//
// Focus. One control in the process holds the focus (GetFocus). The topmost windowed
// control above a focused control owns the focus bookkeeping: when the focus moves it
// sends CM_EXIT to the previously entered control and its parents up to (not including)
// the first one that contains the new control, then CM_ENTER from below that common
// ancestor down to the new control. CM_ENTER/CM_EXIT run DoEnter/DoExit, which fire
// OnEnter/OnExit. A form overrides FocusControl/SetFocusedControl to keep its
// ActiveControl.
//
// Keys. SendKey and TypeText deliver input as real messages: a dialog key (Tab,
// arrows, Enter, Escape) that the control does not claim through WM_GETDLGCODE is
// offered to the focus owner as CM_DIALOGKEY first; otherwise WM_KEYDOWN, WM_CHAR for
// the character the key makes, and WM_KEYUP follow. A KeyDown or KeyPress handler can
// change the key or zero it; a zeroed key is not processed further.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/ui/canvas.h>
#include <vantor/platform/ui/control.h>

namespace vantor {

// What a window is created with (CreateParams fills it; the style bits decide the
// window's border and scroll bars, and so its client area).
struct TCreateParams {
  std::string Caption;
  std::uint32_t Style = 0;
  std::uint32_t ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  std::intptr_t WndParent = 0;
  std::string WinClassName;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // --- Children, in insertion order ---
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const;  // EListError out of bounds
  // True when `control` is this control or lies anywhere inside it.
  bool ContainsControl(const TControl* control) const;
  // The visible (and, unless allowed, enabled) child whose bounds contain `p` (client
  // coordinates), the last inserted first; null when none.
  TControl* ControlAtPos(TPoint p, bool allow_disabled) const;
  // Sends a message to every child; stops at the first that sets a non-zero Result.
  void Broadcast(TMessage& message);
  // Sends a message with WParam 0 and LParam 0 to every child.
  void NotifyControls(std::uint32_t msg);
  // InsertControl(c) is c->SetParent(this); RemoveControl(c) takes c out when it is a child.
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  std::vector<TComponent*> GetChildren(TComponent* root) const override;

  // --- 3-D look ---
  bool Ctl3D() const { return ctl3d_; }
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return parent_ctl3d_; }
  void SetParentCtl3D(bool value);
  bool IsCtl3DStored() const { return !parent_ctl3d_; }

  // --- Tab order and focus ---
  // Position among the parent's windowed children in tab order; -1 without a parent.
  int TabOrder() const;
  void SetTabOrder(int value);
  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool value);
  // Visible and enabled, and so is every parent up to a form that shows.
  virtual bool CanFocus() const;
  // Gives the control the focus; EInvalidOperation "Cannot focus a disabled or invisible
  // window" when it cannot take it.
  virtual void SetFocus();
  virtual bool Focused() const;
  // The windowed children and their children, depth first, each level in tab order.
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  // The control after (or before) `current` in tab order among this control's
  // descendants, cycling; only tab stops when `check_tab_stop`, only direct children
  // when `check_parent`; only controls that can take the focus. Null when none.
  TWinControl* FindNextControl(TWinControl* current, bool go_forward, bool check_tab_stop,
                               bool check_parent) const;
  // Focuses FindNextControl(current, go_forward, check_tab_stop, !check_tab_stop).
  void SelectNext(TWinControl* current, bool go_forward, bool check_tab_stop);
  // The control that keeps the focus bookkeeping for this one: the topmost windowed parent.
  TWinControl* FocusOwner() const;
  // On the focus owner: moves the system focus to `control` (a form also makes it its
  // ActiveControl). The default gives `control`'s window the focus at once.
  virtual void FocusControl(TWinControl* control);
  // On the focus owner, when `control`'s window got the focus: the CM_EXIT/CM_ENTER walk.
  virtual void SetFocusedControl(TWinControl* control);
  // On the focus owner: the control that last received CM_ENTER (null: none, or the owner).
  TWinControl* EnteredControl() const { return entered_; }

  // --- Window handle ---
  bool HandleAllocated() const { return handle_ != 0; }
  // The handle, creating the window (and its parents' first) when needed.
  std::intptr_t Handle();
  void HandleNeeded();
  // Destroys and creates the window again (after a change of style).
  void RecreateWnd();
  // The style the window has (or would be created with).
  std::uint32_t WindowStyle() const;
  std::uint32_t WindowExStyle() const;
  // The windowed control of a handle, or null.
  static TWinControl* FindControl(std::intptr_t handle);
  // Recorded painting of the window.
  TDeviceContext& Surface() { return surface_; }
  // The window's device context for a full repaint: the surface, emptied of the last
  // painting. EndPaint marks the window painted.
  HDC BeginPaint();
  void EndPaint();
  // The window's device context for drawing outside WM_PAINT (added to the surface).
  HDC GetDC() { return &surface_; }
  bool PaintPending() const { return paint_pending_; }
  // Repaints this window and every windowed descendant that has a window.
  void PaintAll();

  // --- Alignment ---
  void DisableAlign() { ++align_level_; }
  void EnableAlign();
  bool AlignDisabled() const { return align_level_ != 0; }
  // Realigns every aligned child now (or when alignment is enabled again).
  void Realign();
  // Places the aligned children inside `rect`, which shrinks as they take their share.
  virtual void AlignControls(TControl* control, TRect& rect);
  // The part of the client area given to aligned children (a panel leaves out its
  // border and bevels). Default: the client rectangle unchanged.
  virtual void AdjustClientRect(TRect& rect) const;

  bool Showing() const { return IsVisibleOnScreen(); }

  void SetBounds(int left, int top, int width, int height) override;
  TRect GetClientRect() const override;
  TPoint GetClientOrigin() const override;
  void Invalidate() override;
  void Repaint() override;
  void Update() override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void Loaded() override;
  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

 protected:
  // Fills the parameters of the window to create; descendants add their styles.
  virtual void CreateParams(TCreateParams& params) const;
  // Creates the window: assigns the handle, then the window system's WM_SIZE.
  virtual void CreateWnd();
  virtual void DestroyWnd();
  void CreateHandle();
  void DestroyHandle();

  // The client area within the window rectangle (window coordinates): the window less
  // its border (a sunken client edge, or a one-pixel border) and its scroll bars, as the
  // style bits of CreateParams say. A form adds its caption and frame.
  virtual TRect ClientAreaInWindow() const;
  // A form that previews its controls' keys answers true (then its own KeyDown,
  // KeyPress and KeyUp see every key of its controls first).
  virtual bool KeyPreview() const { return false; }
  // Run the key handlers for a key message; true when the key was consumed (zeroed).
  bool DoKeyDown(TMessage& m);
  bool DoKeyUp(TMessage& m);
  bool DoKeyPress(TMessage& m);

  virtual void DoEnter();
  virtual void DoExit();
  // Key handlers; `key` may be changed or zeroed (0: the key is consumed).
  virtual void KeyDown(std::uint16_t& key, TShiftState shift);
  virtual void KeyUp(std::uint16_t& key, TShiftState shift);
  virtual void KeyPress(char32_t& key);
  // Paints the window's own content on `dc` (a custom control paints its canvas).
  virtual void PaintWindow(HDC dc);
  // Paints the visible non-windowed children on `dc`, in list order.
  void PaintControls(HDC dc);
  // Gives up the focus when it is inside this control (hidden, disabled, removed).
  void RemoveFocus(bool removing);
  // On the focus owner, when `control` (inside it, or itself) is hidden, disabled or, with
  // `removing`, leaves the tree: the bookkeeping lets go of the controls inside it.
  virtual void ForgetFocusInside(TWinControl* control, bool removing);
  void BoundsSized() override;
  // A child moved or changed its size (a scrolling box recomputes its ranges).
  virtual void ChildBoundsChanged(TControl* /*control*/) {}

  // Message handlers.
  void WMPaint(TMessage& m);
  void WMSize(TMessage& m);
  void WMWindowPosChanged(TMessage& m);
  void WMSetFocus(TMessage& m);
  void WMKillFocus(TMessage& m);
  void WMNCHitTest(TMessage& m);
  void WMKeyDown(TMessage& m);
  void WMKeyUp(TMessage& m);
  void WMChar(TMessage& m);
  void CMEnter(TMessage& m);
  void CMExit(TMessage& m);
  void CMColorChanged(TMessage& m);
  void CMFontChanged(TMessage& m);
  void CMCtl3DChanged(TMessage& m);
  void CMParentCtl3DChanged(TMessage& m);
  void CMShowHintChanged(TMessage& m);
  // Routes a mouse message over a non-windowed child (or to the one holding the
  // capture) to that child, in its coordinates; true when it did.
  bool IsControlMouseMsg(TMessage& m);

 private:
  friend class TControl;
  // Moves the system focus to this window: WM_KILLFOCUS to the old one, WM_SETFOCUS here.
  void TakeFocus();
  void Insert(TControl* control);
  void Remove(TControl* control);
  void AlignControl(TControl* control);
  void SortTabList();
  // Whether the child lists and the entered control are as the members below say.
  bool TabListIsSound() const;

  // Every child once, in insertion order, each with this control as its parent;
  // tab_list_ holds exactly the windowed ones among them, each once, in tab order.
  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tab_list_;
  int tab_order_ = -1;  // requested while loading, applied by order
  bool tab_stop_ = false;
  bool ctl3d_ = true;
  bool parent_ctl3d_ = true;
  std::intptr_t handle_ = 0;
  int align_level_ = 0;
  // Null, or a control strictly inside this one: a control leaving the tree (removed,
  // destroyed) hands the entered place to its parent first (ForgetFocusInside).
  TWinControl* entered_ = nullptr;
  TDeviceContext surface_;
  bool paint_pending_ = false;
};

// The control holding the keyboard focus, or null.
TWinControl* GetFocus();

}  // namespace vantor
