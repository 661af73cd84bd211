#include <vantor/platform/ui/control.h>

#include <algorithm>
#include <array>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/saturating.h>
#include <vantor/platform/ui/menus.h>
#include <vantor/platform/ui/win_control.h>

namespace vantor {

namespace {

struct CursorName {
  TCursor cursor;
  std::string_view name;
};
constexpr std::array<CursorName, 21> kCursorNames{{
    {crDefault, "crDefault"},     {crNone, "crNone"},         {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},       {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},     {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},   {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},         {crHandPoint, "crHandPoint"},
}};

}  // namespace

std::optional<std::int64_t> CursorValueOfIdent(std::string_view ident) {
  for (const CursorName& entry : kCursorNames) {
    if (AnsiSameText(entry.name, ident)) return entry.cursor;
  }
  return std::nullopt;
}

std::optional<std::string> CursorIdentOfValue(std::int64_t value) {
  for (const CursorName& entry : kCursorNames) {
    if (entry.cursor == value) return std::string(entry.name);
  }
  return std::nullopt;
}


namespace {

TShiftState g_keyboard_shift;
TControl* g_capture = nullptr;

}  // namespace

TShiftState KeyboardShiftState() { return g_keyboard_shift; }
void SetKeyboardShiftState(TShiftState state) { g_keyboard_shift = state; }
TControl* GetCaptureControl() { return g_capture; }

TShiftState KeysToShiftState(std::intptr_t keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s.Include(ssShift);
  if (keys & MK_CONTROL) s.Include(ssCtrl);
  if (keys & MK_LBUTTON) s.Include(ssLeft);
  if (keys & MK_RBUTTON) s.Include(ssRight);
  if (keys & MK_MBUTTON) s.Include(ssMiddle);
  if (g_keyboard_shift.Contains(ssAlt)) s.Include(ssAlt);
  return s;
}

std::intptr_t ShiftStateToKeys(TShiftState shift) {
  std::intptr_t keys = 0;
  if (shift.Contains(ssShift)) keys |= MK_SHIFT;
  if (shift.Contains(ssCtrl)) keys |= MK_CONTROL;
  if (shift.Contains(ssLeft)) keys |= MK_LBUTTON;
  if (shift.Contains(ssRight)) keys |= MK_RBUTTON;
  if (shift.Contains(ssMiddle)) keys |= MK_MBUTTON;
  return keys;
}

TShiftState KeyDataToShiftState(std::intptr_t key_data) {
  TShiftState s = g_keyboard_shift * TShiftState{ssShift, ssCtrl};
  if (key_data & KF_ALTDOWN_BIT) s.Include(ssAlt);
  return s;
}

// ---------------------------------------------------------------------------
// TControl

// Every control publishes its bounds, cursor and hint; the other properties are
// published by each descendant that shows them (an edit has Text, a label Caption).
const TypeInfo& TControl::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TControl>("TControl", &TComponent::StaticType())
          .Property("Left", &TControl::Left, &TControl::SetLeft)
          .Property("Top", &TControl::Top, &TControl::SetTop)
          .Property("Width", &TControl::Width, &TControl::SetWidth)
          .Property("Height", &TControl::Height, &TControl::SetHeight)
          .Property("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault)
          .Idents(CursorValueOfIdent, CursorIdentOfValue)
          .Property("Hint", &TControl::Hint, &TControl::SetHint)
          .Build();
  return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  font_->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  TComponent::Destroying();
  if (g_capture == this) g_capture = nullptr;
  if (parent_ != nullptr) parent_->Remove(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  // A size that would take the right or bottom edge past the largest int ends there, so
  // every edge of the control stays representable; compared after that, so asking again
  // for the same too-large size is no change.
  const TRect bounds = Bounds(left, top, std::max(0, width), std::max(0, height));
  if (bounds == BoundsRect()) return;
  const bool sized = bounds.Width() != width_ || bounds.Height() != height_;
  Invalidate();  // the old place
  UpdateBoundsRect(bounds);
  Invalidate();  // the new place
  if (sized) BoundsSized();
  if (parent_ != nullptr) parent_->ChildBoundsChanged(this);
  RequestAlign();
}

void TControl::UpdateBoundsRect(const TRect& r) {
  left_ = r.Left;
  top_ = r.Top;
  width_ = std::max(0, r.Width());
  height_ = std::max(0, r.Height());
}

void TControl::BoundsSized() { Resize(); }

TRect TControl::GetClientRect() const { return {0, 0, width_, height_}; }

void TControl::SetClientWidth(int v) {
  SetWidth(SaturateToInt(std::int64_t{width_} + v - ClientWidth()));
}

void TControl::SetClientHeight(int v) {
  SetHeight(SaturateToInt(std::int64_t{height_} + v - ClientHeight()));
}

TPoint TControl::GetClientOrigin() const {
  if (parent_ == nullptr) return {left_, top_};
  const TPoint p = parent_->ClientOrigin();
  return {SaturatingAdd(p.X, left_), SaturatingAdd(p.Y, top_)};
}

TPoint TControl::ClientToScreen(TPoint p) const {
  const TPoint o = ClientOrigin();
  return {SaturatingAdd(p.X, o.X), SaturatingAdd(p.Y, o.Y)};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  const TPoint o = ClientOrigin();
  return {SaturatingSub(p.X, o.X), SaturatingSub(p.Y, o.Y)};
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent != nullptr) {
    const auto* self = dynamic_cast<const TWinControl*>(this);
    if (static_cast<const TControl*>(parent) == this ||
        (self != nullptr && self->ContainsControl(parent))) {
      throw EInvalidOperation("A control cannot have itself or its child as parent");
    }
    // The new container may refuse the control; it then stays where it was.
    parent->ValidateInsert(this);
  }
  if (parent_ != nullptr) parent_->Remove(this);
  if (parent != nullptr) parent->Insert(this);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (menu == popup_menu_) return;
  popup_menu_ = menu;
  if (menu != nullptr) FreeNotification(menu);
}

void TControl::Notification(TComponent* c, TOperation op) {
  TComponent::Notification(c, op);
  if (op == opRemove && c != nullptr && c == popup_menu_) popup_menu_ = nullptr;
}

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* win = dynamic_cast<TWinControl*>(parent)) SetParent(win);
}

TWinControl* TControl::TopLevel() const {
  const TControl* c = this;
  while (c->parent_ != nullptr) c = c->parent_;
  return const_cast<TWinControl*>(dynamic_cast<const TWinControl*>(c));
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Perform(CM_VISIBLECHANGED, visible ? 1 : 0);
  RequestAlign();
}

bool TControl::IsVisibleOnScreen() const {
  for (const TControl* c = this; c != nullptr; c = c->parent_) {
    if (!c->visible_) return false;
  }
  return true;
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  const TAlign old = align_;
  align_ = align;
  if (parent_ != nullptr && (old != alNone || align != alNone)) parent_->AlignControl(this);
}

void TControl::BringToFront() {
  if (parent_ == nullptr) return;
  auto& list = parent_->controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end() || it + 1 == list.end()) return;
  list.erase(it);
  list.push_back(this);
  Invalidate();
  if (align_ != alNone) parent_->Realign();
}

void TControl::SendToBack() {
  if (parent_ == nullptr) return;
  auto& list = parent_->controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end() || it == list.begin()) return;
  list.erase(it);
  list.insert(list.begin(), this);
  Invalidate();
  if (align_ != alNone) parent_->Realign();
}

namespace {
bool Reading(const TComponent& c) {
  return c.ComponentState().Contains(csReading) || c.ComponentState().Contains(csLoading);
}
}  // namespace

void TControl::SetParentFont(bool value) {
  if (value == parent_font_) return;
  parent_font_ = value;
  if (parent_ != nullptr && !Reading(*this)) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  parent_color_ = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (value == parent_color_) return;
  parent_color_ = value;
  if (parent_ != nullptr && !Reading(*this)) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetCursor(TCursor cursor) {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetText(const std::string& text) {
  if (text_ == text) return;  // the window text, whatever GetText makes of it
  Perform(WM_SETTEXT, 0, reinterpret_cast<std::intptr_t>(&text));
  Perform(CM_TEXTCHANGED);
}

void TControl::SetShowHint(bool value) {
  if (value == show_hint_) return;
  show_hint_ = value;
  parent_show_hint_ = false;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value) {
  if (value == parent_show_hint_) return;
  parent_show_hint_ = value;
  if (parent_ != nullptr && !Reading(*this)) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetName(const std::string& name) {
  const bool change_text = control_style_.Contains(csSetCaption) && !Reading(*this) &&
                           Name() == GetText() &&
                           (Owner() == nullptr || !Reading(*Owner()));
  TComponent::SetName(name);
  if (change_text) SetText(name);
}

std::intptr_t TControl::Perform(std::uint32_t msg, std::intptr_t wparam, std::intptr_t lparam) {
  TMessage m{msg, wparam, lparam, 0};
  WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_MOUSEMOVE: WMMouseMove(m); return;
    case WM_LBUTTONDOWN: WMButtonDown(m, mbLeft, false); return;
    case WM_LBUTTONDBLCLK: WMButtonDown(m, mbLeft, true); return;
    case WM_LBUTTONUP: WMButtonUp(m, mbLeft); return;
    case WM_RBUTTONDOWN: WMButtonDown(m, mbRight, false); return;
    case WM_RBUTTONDBLCLK: WMButtonDown(m, mbRight, true); return;
    case WM_RBUTTONUP: WMButtonUp(m, mbRight); return;
    case WM_MBUTTONDOWN: WMButtonDown(m, mbMiddle, false); return;
    case WM_MBUTTONDBLCLK: WMButtonDown(m, mbMiddle, true); return;
    case WM_MBUTTONUP: WMButtonUp(m, mbMiddle); return;
    case WM_CONTEXTMENU: WMContextMenu(m); return;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(m); return;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(m); return;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(m); return;
    case CM_COLORCHANGED: CMColorChanged(m); return;
    case CM_FONTCHANGED: CMFontChanged(m); return;
    case CM_VISIBLECHANGED: CMVisibleChanged(m); return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(m); return;
    default: DefaultHandler(m); return;
  }
}

void TControl::DefaultHandler(TMessage& m) {
  switch (m.Msg) {
    case WM_SETTEXT:
      text_ = *reinterpret_cast<const std::string*>(m.LParam);
      m.Result = 1;
      return;
    case WM_GETTEXT:
      *reinterpret_cast<std::string*>(m.LParam) = text_;
      m.Result = static_cast<std::intptr_t>(text_.size());
      return;
    case WM_GETTEXTLENGTH:
      m.Result = static_cast<std::intptr_t>(text_.size());
      return;
    default:
      m.Result = 0;
      return;
  }
}

void TControl::Invalidate() {
  ++invalidate_count_;
  if (parent_ != nullptr && dynamic_cast<TWinControl*>(this) == nullptr) {
    parent_->paint_pending_ = true;
  }
}

void TControl::Repaint() {
  if (parent_ == nullptr || !parent_->HandleAllocated() || !visible_) return;
  Perform(WM_PAINT, reinterpret_cast<std::intptr_t>(&parent_->Surface()));
}

void TControl::Update() {
  if (parent_ != nullptr) parent_->Update();
}

bool TControl::MouseCapture() const { return g_capture == this; }

void TControl::SetMouseCapture(bool value) {
  if (value) {
    g_capture = this;
  } else if (g_capture == this) {
    g_capture = nullptr;
  }
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (parent_ != nullptr) NotifyParentChanged();
}

void TControl::NotifyParentChanged() {
  Perform(CM_PARENTCOLORCHANGED);
  Perform(CM_PARENTFONTCHANGED);
  Perform(CM_PARENTSHOWHINTCHANGED);
  if (dynamic_cast<TWinControl*>(this) != nullptr) Perform(CM_PARENTCTL3DCHANGED);
}

void TControl::Click() { OnClick(this); }
void TControl::DblClick() { OnDblClick(this); }
void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseUp(this, button, shift, x, y);
}
void TControl::Resize() { OnResize(this); }

void TControl::FontChanged() {
  parent_font_ = false;
  Perform(CM_FONTCHANGED);
}

void TControl::RequestAlign() {
  if (parent_ != nullptr && align_ != alNone) parent_->AlignControl(this);
}

void TControl::WMMouseMove(TMessage& m) {
  DefaultHandler(m);
  if (control_style_.Contains(csNoStdEvents)) return;
  MouseMove(KeysToShiftState(m.WParam), GetXLParam(m.LParam), GetYLParam(m.LParam));
}

void TControl::WMButtonDown(TMessage& m, TMouseButton button, bool dbl) {
  // Pressed before the window's own handling, so an edit focused by the click knows
  // the focus came from the mouse (and keeps the caret instead of selecting all).
  if (button == mbLeft) control_state_.Include(csLButtonDown);
  DefaultHandler(m);
  if (button == mbLeft) {
    if (control_style_.Contains(csCaptureMouse)) SetMouseCapture(true);
    if (dbl) {
      if (control_style_.Contains(csClickEvents)) DblClick();
    } else if (control_style_.Contains(csClickEvents)) {
      control_state_.Include(csClicked);
    }
  }
  DoMouseDown(m, button, dbl ? TShiftState{ssDouble} : TShiftState{});
}

void TControl::WMButtonUp(TMessage& m, TMouseButton button) {
  DefaultHandler(m);
  if (button == mbLeft) {
    if (control_style_.Contains(csCaptureMouse)) SetMouseCapture(false);
    control_state_.Exclude(csLButtonDown);
    if (control_state_.Contains(csClicked)) {
      control_state_.Exclude(csClicked);
      // A click counts only when the button is released over the control.
      if (PtInRect(GetClientRect(), {GetXLParam(m.LParam), GetYLParam(m.LParam)})) Click();
    }
  }
  DoMouseUp(m, button);
  // Releasing the right button asks for the context menu at that point, as the window
  // system's default handling of the release does.
  if (button == mbRight && !Destroying()) {
    const TPoint at = ClientToScreen({GetXLParam(m.LParam), GetYLParam(m.LParam)});
    Perform(WM_CONTEXTMENU, 0, MakeLParam(at.X, at.Y));
  }
}

void TControl::WMContextMenu(TMessage& m) {
  m.Result = 0;
  // A control being designed answers its designer's clicks, not its user's.
  if (ComponentState().Contains(csDesigning)) return;
  if (popup_menu_ == nullptr || !popup_menu_->AutoPopup()) {
    if (parent_ != nullptr) m.Result = parent_->Perform(WM_CONTEXTMENU, m.WParam, m.LParam);
    return;
  }
  TPoint at{GetXLParam(m.LParam), GetYLParam(m.LParam)};
  if (m.LParam == MakeLParam(-1, -1)) at = ClientToScreen({0, 0});
  // The menu may free this control; keep what the call needs in locals.
  TPopupMenu* menu = popup_menu_;
  menu->SetPopupComponent(this);
  m.Result = 1;
  menu->Popup(at.X, at.Y);
}

void TControl::DoMouseDown(TMessage& m, TMouseButton button, TShiftState extra) {
  if (control_style_.Contains(csNoStdEvents)) return;
  MouseDown(button, KeysToShiftState(m.WParam) + extra, GetXLParam(m.LParam), GetYLParam(m.LParam));
}

void TControl::DoMouseUp(TMessage& m, TMouseButton button) {
  if (control_style_.Contains(csNoStdEvents)) return;
  MouseUp(button, KeysToShiftState(m.WParam), GetXLParam(m.LParam), GetYLParam(m.LParam));
}

void TControl::CMParentFontChanged(TMessage& m) {
  if (!parent_font_) return;
  const TFont* font = m.WParam != 0 ? reinterpret_cast<const TFont*>(m.LParam)
                                    : (parent_ != nullptr ? parent_->Font() : nullptr);
  if (font == nullptr) return;
  SetFont(font);
  parent_font_ = true;
}

void TControl::CMParentColorChanged(TMessage& m) {
  if (!parent_color_) return;
  if (m.WParam != 0) {
    SetColor(static_cast<TColor>(m.LParam));
  } else if (parent_ != nullptr) {
    SetColor(parent_->Color());
  }
  parent_color_ = true;
}

void TControl::CMParentShowHintChanged(TMessage& /*m*/) {
  if (!parent_show_hint_ || parent_ == nullptr) return;
  SetShowHint(parent_->ShowHint());
  parent_show_hint_ = true;
}

void TControl::CMColorChanged(TMessage& /*m*/) { Invalidate(); }

void TControl::CMFontChanged(TMessage& /*m*/) { Invalidate(); }

void TControl::CMVisibleChanged(TMessage& /*m*/) {
  if (dynamic_cast<TWinControl*>(this) == nullptr) Invalidate();
}

void TControl::CMEnabledChanged(TMessage& /*m*/) { Invalidate(); }

// ---------------------------------------------------------------------------
// TGraphicControl

const TypeInfo& TGraphicControl::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TGraphicControl>("TGraphicControl", &TControl::StaticType()).Build();
  return info;
}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::SetParent(TWinControl* parent) {
  canvas_->FreeHandle();
  TControl::SetParent(parent);
}

void TGraphicControl::SetBounds(int left, int top, int width, int height) {
  canvas_->FreeHandle();
  TControl::SetBounds(left, top, width, height);
}

void TGraphicControl::WndProc(TMessage& m) {
  if (m.Msg == WM_PAINT) {
    WMPaint(m);
    return;
  }
  TControl::WndProc(m);
}

void TGraphicControl::WMPaint(TMessage& m) {
  if (m.WParam == 0) return;
  canvas_->SetHandle(reinterpret_cast<HDC>(m.WParam));
  canvas_->SetOrigin({Left(), Top()});
  struct Release {
    TControlCanvas* c;
    ~Release() { c->FreeHandle(); }
  } release{canvas_.get()};
  Paint();
}

}  // namespace vantor
