#include <vantor/platform/ui/win_control.h>

#include <algorithm>
#include <cassert>
#include <climits>
#include <unordered_map>

#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/saturating.h>
#include <vantor/platform/ui/form.h>

namespace vantor {

namespace {

TWinControl* g_focus = nullptr;
std::intptr_t g_next_handle = 0x10000;

std::unordered_map<std::intptr_t, TWinControl*>& Windows() {
  static std::unordered_map<std::intptr_t, TWinControl*> windows;
  return windows;
}

bool Loading(const TComponent& c) {
  return c.ComponentState().Contains(csLoading) || c.ComponentState().Contains(csReading);
}

}  // namespace

TWinControl* GetFocus() { return g_focus; }

const TypeInfo& TWinControl::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TWinControl>("TWinControl", &TControl::StaticType()).Build();
  return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  TComponent::Destroying();
  // A windowed control frees the controls it contains, last inserted first.
  while (!controls_.empty()) {
    TControl* child = controls_.back();
    Remove(child);
    delete child;
  }
  if (Parent() != nullptr) Parent()->Remove(this);
  RemoveFocus(true);
  DestroyHandle();
}

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return controls_[static_cast<std::size_t>(index)];
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control; c != nullptr; c = c->Parent()) {
    if (c == this) return true;
  }
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allow_disabled) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (c->Visible() && (allow_disabled || c->Enabled()) && PtInRect(c->BoundsRect(), p)) return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
  const std::vector<TControl*> children = controls_;
  for (TControl* c : children) {
    c->WndProc(message);
    if (message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(std::uint32_t msg) {
  TMessage m{msg, 0, 0, 0};
  Broadcast(m);
}

void TWinControl::InsertControl(TControl* control) {
  if (control != nullptr) control->SetParent(this);
}

void TWinControl::RemoveControl(TControl* control) {
  if (control != nullptr && control->Parent() == this) control->SetParent(nullptr);
}

void TWinControl::Insert(TControl* c) {
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<std::intptr_t>(c), 1);
  controls_.push_back(c);
  c->parent_ = this;
  auto* win = dynamic_cast<TWinControl*>(c);
  if (win != nullptr) {
    tab_list_.push_back(win);
    if (win->tab_order_ >= 0) SortTabList();
  }
  if (!Loading(*c)) {
    c->NotifyParentChanged();
    if (win != nullptr) {
      if (HandleAllocated()) win->CreateHandle();
    } else {
      c->Invalidate();
    }
    if (c->Align() != alNone) AlignControl(c);
  }
  Perform(CM_CONTROLCHANGE, reinterpret_cast<std::intptr_t>(c), 1);
  // The child joined both lists at once (the tab list when it has a window), and
  // SetParent took it out of its old parent's first, so it is in neither twice.
  assert(TabListIsSound());
}

void TWinControl::Remove(TControl* c) {
  const bool quiet = Destroying();
  if (!quiet) Perform(CM_CONTROLCHANGE, reinterpret_cast<std::intptr_t>(c), 0);
  if (auto* win = dynamic_cast<TWinControl*>(c)) {
    win->RemoveFocus(true);
    win->DestroyHandle();
    tab_list_.erase(std::remove(tab_list_.begin(), tab_list_.end(), win), tab_list_.end());
  } else if (!quiet) {
    c->Invalidate();
  }
  controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
  c->parent_ = nullptr;
  // The child left both lists, and the entered place left it (RemoveFocus) while it still
  // had this control as its parent.
  assert(TabListIsSound());
  if (quiet) return;
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<std::intptr_t>(c), 0);
  if (c->Align() != alNone) Realign();
}

std::vector<TComponent*> TWinControl::GetChildren(TComponent* root) const {
  std::vector<TComponent*> children;
  for (TControl* c : controls_) {
    if (c->Owner() == root) children.push_back(c);
  }
  return children;
}

// --- 3-D look ---

void TWinControl::SetCtl3D(bool value) {
  if (value == ctl3d_) return;
  ctl3d_ = value;
  parent_ctl3d_ = false;
  Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool value) {
  if (value == parent_ctl3d_) return;
  parent_ctl3d_ = value;
  if (Parent() != nullptr && !Loading(*this)) Perform(CM_PARENTCTL3DCHANGED);
}

// --- Tab order ---

int TWinControl::TabOrder() const {
  if (Parent() == nullptr) return -1;
  const auto& list = Parent()->tab_list_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (Loading(*this)) {
    // The stream gives every control its place; sorting by the requested places makes
    // the final order right whatever order the controls are read in.
    tab_order_ = value;
    if (Parent() != nullptr) Parent()->SortTabList();
    return;
  }
  if (Parent() == nullptr) return;
  auto& list = Parent()->tab_list_;
  const int current = TabOrder();
  if (current < 0) return;
  const int count = static_cast<int>(list.size());
  value = std::clamp(value, 0, count - 1);
  if (value == current) return;
  // TabOrder found this control at `current`, and the clamp keeps `value` in the list.
  assert(list[static_cast<std::size_t>(current)] == this);
  list.erase(list.begin() + current);
  list.insert(list.begin() + value, this);
  assert(Parent()->TabListIsSound());
}

void TWinControl::SortTabList() {
  std::stable_sort(tab_list_.begin(), tab_list_.end(), [](TWinControl* a, TWinControl* b) {
    const int ka = a->tab_order_ < 0 ? INT_MAX : a->tab_order_;
    const int kb = b->tab_order_ < 0 ? INT_MAX : b->tab_order_;
    return ka < kb;
  });
  // Sorting only reorders the windowed children.
  assert(TabListIsSound());
}

bool TWinControl::TabListIsSound() const {
  std::vector<const TControl*> children(controls_.begin(), controls_.end());
  std::vector<const TControl*> windowed;
  for (const TControl* c : children) {
    if (c->Parent() != this) return false;
    if (dynamic_cast<const TWinControl*>(c) != nullptr) windowed.push_back(c);
  }
  std::vector<const TControl*> tabbed(tab_list_.begin(), tab_list_.end());
  std::sort(children.begin(), children.end());
  std::sort(windowed.begin(), windowed.end());
  std::sort(tabbed.begin(), tabbed.end());
  if (std::adjacent_find(children.begin(), children.end()) != children.end() || tabbed != windowed) return false;
  return entered_ == nullptr || (entered_ != this && ContainsControl(entered_));
}

void TWinControl::SetTabStop(bool value) {
  if (value == tab_stop_) return;
  tab_stop_ = value;
  Perform(CM_TABSTOPCHANGED);
}

// --- Focus ---

bool TWinControl::CanFocus() const {
  const TControl* top = this;
  for (const TControl* c = this; c != nullptr; c = c->Parent()) {
    if (!c->Visible() || !c->Enabled()) return false;
    top = c;
  }
  // The focus lives in a window on the screen: the chain must end in a form that shows
  // (a visible form is a showing one). A control on no form, such as a panel kept
  // between the showings of its dialog, has nowhere to take the focus.
  return dynamic_cast<const TForm*>(top) != nullptr;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  FocusOwner()->FocusControl(this);
}

bool TWinControl::Focused() const { return g_focus == this; }

TWinControl* TWinControl::FocusOwner() const {
  TWinControl* top = const_cast<TWinControl*>(this);
  while (top->Parent() != nullptr) top = top->Parent();
  return top;
}

void TWinControl::FocusControl(TWinControl* control) {
  if (control != nullptr) control->TakeFocus();
}

void TWinControl::TakeFocus() {
  HandleNeeded();
  TWinControl* old = g_focus;
  if (old == this) return;
  g_focus = this;
  if (old != nullptr) old->Perform(WM_KILLFOCUS, handle_);
  if (g_focus != this) return;  // a handler moved the focus on
  Perform(WM_SETFOCUS, old != nullptr ? old->handle_ : 0);
}

void TWinControl::SetFocusedControl(TWinControl* control) {
  // Leave the old chain up to the first control that also contains the new one...
  while (entered_ != nullptr && !entered_->ContainsControl(control)) {
    TWinControl* leaving = entered_;
    leaving->Perform(CM_EXIT);
    if (g_focus != control) return;  // a handler took the focus elsewhere
    if (entered_ != leaving) return;
    entered_ = leaving->Parent() == this ? nullptr : leaving->Parent();
    // `leaving` was strictly inside this control, so its parent is inside it or is it.
    assert(TabListIsSound());
  }
  // ...then enter from below that common ancestor down to the new control.
  TWinControl* base = entered_ != nullptr ? entered_ : this;
  while (base != control && control != nullptr && base->ContainsControl(control)) {
    TWinControl* next = control;
    while (next->Parent() != base) next = next->Parent();
    entered_ = next;
    // `next` is a child of `base`, which is this control or inside it.
    assert(TabListIsSound());
    base = next;
    next->Perform(CM_ENTER);
    if (g_focus != control) return;
  }
}

void TWinControl::ForgetFocusInside(TWinControl* control, bool /*removing*/) {
  if (entered_ == nullptr || !control->ContainsControl(entered_)) return;
  TWinControl* parent = control->Parent();
  entered_ = (control == this || parent == nullptr || parent == this) ? nullptr : parent;
  // The entered control was inside `control`, so `control`'s parent, when it is not this
  // control, is strictly inside it too.
  assert(TabListIsSound());
}

void TWinControl::RemoveFocus(bool removing) {
  TWinControl* owner = FocusOwner();
  const bool has_focus = g_focus != nullptr && ContainsControl(g_focus);
  if (removing || owner == this) {
    if (has_focus) g_focus = nullptr;
    owner->ForgetFocusInside(this, removing);
    return;
  }
  if (has_focus) {
    // The focus goes back to the top: the controls left get their CM_EXIT.
    owner->FocusControl(owner);
    if (g_focus != nullptr && ContainsControl(g_focus)) g_focus = nullptr;
  }
  owner->ForgetFocusInside(this, removing);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* c : tab_list_) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool go_forward,
                                          bool check_tab_stop, bool check_parent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const int count = static_cast<int>(list.size());
  auto found = std::find(list.begin(), list.end(), current);
  int start = found == list.end() ? (go_forward ? count - 1 : 0)
                                  : static_cast<int>(found - list.begin());
  int i = start;
  do {
    if (go_forward) {
      i = (i + 1) % count;
    } else {
      i = (i + count - 1) % count;
    }
    TWinControl* c = list[static_cast<std::size_t>(i)];
    if (c->CanFocus() && (c->TabStop() || !check_tab_stop) &&
        (c->Parent() == this || !check_parent)) {
      return c;
    }
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool go_forward, bool check_tab_stop) {
  if (TWinControl* next = FindNextControl(current, go_forward, check_tab_stop, !check_tab_stop)) {
    next->SetFocus();
  }
}

// --- Window handle ---

std::intptr_t TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_ != 0) return;
  if (Parent() != nullptr) Parent()->HandleNeeded();  // creates this window too
  if (handle_ == 0) CreateHandle();
}

void TWinControl::CreateHandle() {
  if (handle_ != 0) return;
  CreateWnd();
  const std::vector<TControl*> children = controls_;
  for (TControl* c : children) {
    if (auto* win = dynamic_cast<TWinControl*>(c)) win->CreateHandle();
  }
}

void TWinControl::DestroyHandle() {
  if (handle_ == 0) return;
  control_state_.Include(csDestroyingHandle);
  for (TControl* c : controls_) {
    if (auto* win = dynamic_cast<TWinControl*>(c)) win->DestroyHandle();
  }
  DestroyWnd();
  control_state_.Exclude(csDestroyingHandle);
}

void TWinControl::CreateParams(TCreateParams& p) const {
  p.Caption = GetText();
  p.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (ControlStyle().Contains(csAcceptsControls)) {
    p.Style |= WS_CLIPCHILDREN;
    p.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (Visible()) p.Style |= WS_VISIBLE;
  if (!Enabled()) p.Style |= WS_DISABLED;
  if (tab_stop_) p.Style |= WS_TABSTOP;
  p.X = Left();
  p.Y = Top();
  p.Width = Width();
  p.Height = Height();
  p.WndParent = Parent() != nullptr ? Parent()->handle_ : 0;
  p.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
  handle_ = g_next_handle;
  g_next_handle += 4;
  Windows()[handle_] = this;
  Perform(WM_CREATE);
  // The window system reports the new window's size as it creates it.
  const TRect r = GetClientRect();
  Perform(WM_SIZE, SIZE_RESTORED, MakeLParam(r.Width(), r.Height()));
}

void TWinControl::DestroyWnd() {
  Perform(WM_DESTROY);
  if (g_focus == this) g_focus = nullptr;
  Windows().erase(handle_);
  handle_ = 0;
}

void TWinControl::RecreateWnd() {
  if (handle_ == 0) return;
  TWinControl* focus = g_focus;
  DestroyHandle();
  CreateHandle();
  if (focus != nullptr && ContainsControl(focus) && focus->HandleAllocated()) g_focus = focus;
}

std::uint32_t TWinControl::WindowStyle() const {
  TCreateParams p;
  CreateParams(p);
  return p.Style;
}

std::uint32_t TWinControl::WindowExStyle() const {
  TCreateParams p;
  CreateParams(p);
  return p.ExStyle;
}

TWinControl* TWinControl::FindControl(std::intptr_t handle) {
  auto it = Windows().find(handle);
  return it == Windows().end() ? nullptr : it->second;
}

TRect TWinControl::ClientAreaInWindow() const {
  TCreateParams p;
  CreateParams(p);
  TRect r{0, 0, Width(), Height()};
  if (p.ExStyle & WS_EX_CLIENTEDGE) {
    InflateRect(r, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
  } else if (p.Style & WS_BORDER) {
    InflateRect(r, -GetSystemMetrics(SM_CXBORDER), -GetSystemMetrics(SM_CYBORDER));
  }
  if (p.Style & WS_VSCROLL) r.Right -= GetSystemMetrics(SM_CXVSCROLL);
  if (p.Style & WS_HSCROLL) r.Bottom -= GetSystemMetrics(SM_CYHSCROLL);
  r.Right = std::max(r.Left, r.Right);
  r.Bottom = std::max(r.Top, r.Bottom);
  return r;
}

TRect TWinControl::GetClientRect() const {
  const TRect r = ClientAreaInWindow();
  return {0, 0, r.Width(), r.Height()};
}

TPoint TWinControl::GetClientOrigin() const {
  const TRect r = ClientAreaInWindow();
  TPoint p{SaturatingAdd(Left(), r.Left), SaturatingAdd(Top(), r.Top)};
  if (Parent() != nullptr) {
    const TPoint o = Parent()->ClientOrigin();
    p = {SaturatingAdd(p.X, o.X), SaturatingAdd(p.Y, o.Y)};
  }
  return p;
}

// --- Painting ---

void TWinControl::Invalidate() {
  TControl::Invalidate();
  paint_pending_ = true;
}

void TWinControl::Repaint() {
  if (handle_ != 0) Perform(WM_PAINT);
}

void TWinControl::Update() {
  if (paint_pending_) Repaint();
}

void TWinControl::PaintAll() {
  Repaint();
  const std::vector<TControl*> children = controls_;
  for (TControl* c : children) {
    if (auto* win = dynamic_cast<TWinControl*>(c)) win->PaintAll();
  }
}

void TWinControl::PaintWindow(HDC dc) {
  TMessage m{WM_PAINT, reinterpret_cast<std::intptr_t>(dc), 0, 0};
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC dc) {
  const std::vector<TControl*> children = controls_;
  for (TControl* c : children) {
    if (dynamic_cast<TWinControl*>(c) == nullptr && c->Visible()) {
      c->Perform(WM_PAINT, reinterpret_cast<std::intptr_t>(dc));
    }
  }
}

// --- Bounds and alignment ---

void TWinControl::SetBounds(int left, int top, int width, int height) {
  // As TControl::SetBounds: the edges stay representable, and the comparison is made
  // with the size that will be kept.
  const TRect bounds = Bounds(left, top, std::max(0, width), std::max(0, height));
  if (bounds == BoundsRect()) return;
  width = bounds.Width();
  height = bounds.Height();
  const bool sized = width != Width() || height != Height();
  const bool moved = left != Left() || top != Top();
  UpdateBoundsRect(bounds);
  if (handle_ != 0) {
    TWindowPos pos{handle_, 0, left, top, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE | (sized ? 0u : SWP_NOSIZE) |
                       (moved ? 0u : SWP_NOMOVE)};
    Perform(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<std::intptr_t>(&pos));
  } else if (sized) {
    BoundsSized();
  }
  if (Parent() != nullptr) Parent()->ChildBoundsChanged(this);
  RequestAlign();
}

void TWinControl::BoundsSized() {
  Realign();
  Resize();
}

void TWinControl::EnableAlign() {
  if (align_level_ > 0) --align_level_;
  if (align_level_ == 0 && control_state_.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* control) {
  if (Destroying() || Loading(*this)) return;
  if (align_level_ != 0) {
    control_state_.Include(csAlignmentNeeded);
    return;
  }
  DisableAlign();
  struct Done {
    TWinControl* w;
    ~Done() {
      // Requests made while the children were being placed are answered by this pass.
      w->control_state_.Exclude(csAlignmentNeeded);
      // DisableAlign above raised the level, and every bracket a child opened on this
      // control meanwhile has closed: EnableAlign never takes it below zero.
      assert(w->align_level_ > 0);
      --w->align_level_;
    }
  } done{this};
  TRect rect = GetClientRect();
  AdjustClientRect(rect);
  AlignControls(control, rect);
}

void TWinControl::AdjustClientRect(TRect& /*rect*/) const {}

void TWinControl::AlignControls(TControl* /*control*/, TRect& rect) {
  const bool designing = ComponentState().Contains(csDesigning);
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    // Controls of one alignment keep the order in which they stand, left to right or top
    // to bottom, so that setting one's Left or Top moves it among the others; at equal
    // positions the earlier created stands first. Top and left ones are placed from
    // their edge in that order, bottom and right ones from their edge backwards.
    std::vector<TControl*> children;
    for (TControl* c : controls_) {
      if (c->Align() == align && (c->Visible() || designing)) children.push_back(c);
    }
    const bool vertical = align == alTop || align == alBottom;
    std::stable_sort(children.begin(), children.end(), [vertical](const TControl* a, const TControl* b) {
      return vertical ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    if (align == alBottom || align == alRight) std::reverse(children.begin(), children.end());
    for (TControl* c : children) {
      const int w = std::max(0, rect.Width());
      const int h = std::max(0, rect.Height());
      switch (align) {
        case alTop:
          c->SetBounds(rect.Left, rect.Top, w, c->Height());
          rect.Top = SaturatingAdd(rect.Top, c->Height());
          break;
        case alBottom:
          c->SetBounds(rect.Left, SaturatingSub(rect.Bottom, c->Height()), w, c->Height());
          rect.Bottom = SaturatingSub(rect.Bottom, c->Height());
          break;
        case alLeft:
          c->SetBounds(rect.Left, rect.Top, c->Width(), h);
          rect.Left = SaturatingAdd(rect.Left, c->Width());
          break;
        case alRight:
          c->SetBounds(SaturatingSub(rect.Right, c->Width()), rect.Top, c->Width(), h);
          rect.Right = SaturatingSub(rect.Right, c->Width());
          break;
        case alClient:
          c->SetBounds(rect.Left, rect.Top, w, h);
          break;
        case alNone:
          break;
      }
    }
  }
}

void TWinControl::SetVisible(bool visible) {
  TControl::SetVisible(visible);
  if (!visible) RemoveFocus(false);
}

void TWinControl::SetEnabled(bool enabled) {
  TControl::SetEnabled(enabled);
  if (!enabled) RemoveFocus(false);
}

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
}

// --- Messages ---

void TWinControl::WndProc(TMessage& m) {
  if (m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST && IsControlMouseMsg(m)) return;
  switch (m.Msg) {
    case WM_PAINT: WMPaint(m); return;
    case WM_SIZE: WMSize(m); return;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(m); return;
    case WM_SETFOCUS: WMSetFocus(m); return;
    case WM_KILLFOCUS: WMKillFocus(m); return;
    case WM_NCHITTEST: WMNCHitTest(m); return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: WMKeyDown(m); return;
    case WM_KEYUP:
    case WM_SYSKEYUP: WMKeyUp(m); return;
    case WM_CHAR: WMChar(m); return;
    case CM_ENTER: CMEnter(m); return;
    case CM_EXIT: CMExit(m); return;
    case CM_COLORCHANGED: CMColorChanged(m); return;
    case CM_FONTCHANGED: CMFontChanged(m); return;
    case CM_CTL3DCHANGED: CMCtl3DChanged(m); return;
    case CM_PARENTCTL3DCHANGED: CMParentCtl3DChanged(m); return;
    case CM_SHOWHINTCHANGED: CMShowHintChanged(m); return;
    default: TControl::WndProc(m); return;
  }
}

void TWinControl::DefaultHandler(TMessage& m) {
  switch (m.Msg) {
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const TWindowPos*>(m.LParam);
      const std::uint32_t flags = pos != nullptr ? pos->flags : 0;
      if ((flags & SWP_NOSIZE) == 0) {
        const TRect r = GetClientRect();
        Perform(WM_SIZE, SIZE_RESTORED, MakeLParam(r.Width(), r.Height()));
      }
      if ((flags & SWP_NOMOVE) == 0) {
        const TRect r = ClientAreaInWindow();
        Perform(WM_MOVE, 0, MakeLParam(SaturatingAdd(Left(), r.Left), SaturatingAdd(Top(), r.Top)));
      }
      if ((flags & (SWP_NOSIZE | SWP_NOMOVE)) != (SWP_NOSIZE | SWP_NOMOVE)) Invalidate();
      m.Result = 0;
      return;
    }
    case WM_NCHITTEST: {
      const TPoint p{GetXLParam(m.LParam), GetYLParam(m.LParam)};
      const TPoint origin = ClientOrigin();
      const TRect area = ClientAreaInWindow();
      const TRect window = Bounds(origin.X - area.Left, origin.Y - area.Top, Width(), Height());
      if (!PtInRect(window, p)) {
        m.Result = HTNOWHERE;
      } else {
        m.Result = PtInRect(Bounds(origin.X, origin.Y, area.Width(), area.Height()), p) ? HTCLIENT
                                                                                        : HTBORDER;
      }
      return;
    }
    case WM_GETDLGCODE:
    case WM_PAINT:
      m.Result = 0;
      return;
    default:
      TControl::DefaultHandler(m);
      return;
  }
}

HDC TWinControl::BeginPaint() {
  surface_.ops.clear();
  return &surface_;
}

void TWinControl::EndPaint() { paint_pending_ = false; }

void TWinControl::WMPaint(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  const bool own = dc == nullptr;
  if (own) dc = BeginPaint();
  PaintWindow(dc);
  PaintControls(dc);
  if (own) EndPaint();
}

void TWinControl::WMSize(TMessage& m) {
  Realign();
  Resize();
  DefaultHandler(m);
}

void TWinControl::WMWindowPosChanged(TMessage& m) { DefaultHandler(m); }

void TWinControl::WMSetFocus(TMessage& m) {
  FocusOwner()->SetFocusedControl(this);
  DefaultHandler(m);
}

void TWinControl::WMKillFocus(TMessage& m) { DefaultHandler(m); }

void TWinControl::WMNCHitTest(TMessage& m) {
  if (ComponentState().Contains(csDesigning) && Parent() != nullptr) {
    m.Result = HTCLIENT;
    return;
  }
  DefaultHandler(m);
}

bool TWinControl::DoKeyDown(TMessage& m) {
  TWinControl* owner = FocusOwner();
  if (owner != this && owner->KeyPreview() && owner->DoKeyDown(m)) return true;
  auto key = static_cast<std::uint16_t>(m.WParam);
  KeyDown(key, KeyDataToShiftState(m.LParam));
  m.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& m) {
  TWinControl* owner = FocusOwner();
  if (owner != this && owner->KeyPreview() && owner->DoKeyUp(m)) return true;
  auto key = static_cast<std::uint16_t>(m.WParam);
  KeyUp(key, KeyDataToShiftState(m.LParam));
  m.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& m) {
  TWinControl* owner = FocusOwner();
  if (owner != this && owner->KeyPreview() && owner->DoKeyPress(m)) return true;
  auto key = static_cast<char32_t>(m.WParam);
  KeyPress(key);
  m.WParam = static_cast<std::intptr_t>(key);
  return key == 0;
}

void TWinControl::WMKeyDown(TMessage& m) {
  if (!DoKeyDown(m)) DefaultHandler(m);
}

void TWinControl::WMKeyUp(TMessage& m) {
  if (!DoKeyUp(m)) DefaultHandler(m);
}

void TWinControl::WMChar(TMessage& m) {
  if (!DoKeyPress(m)) DefaultHandler(m);
}

void TWinControl::KeyDown(std::uint16_t& key, TShiftState shift) { OnKeyDown(this, key, shift); }
void TWinControl::KeyUp(std::uint16_t& key, TShiftState shift) { OnKeyUp(this, key, shift); }
void TWinControl::KeyPress(char32_t& key) { OnKeyPress(this, key); }

void TWinControl::CMEnter(TMessage& /*m*/) { DoEnter(); }
void TWinControl::CMExit(TMessage& /*m*/) { DoExit(); }
void TWinControl::DoEnter() { OnEnter(this); }
void TWinControl::DoExit() { OnExit(this); }

void TWinControl::CMColorChanged(TMessage& m) {
  TControl::CMColorChanged(m);
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& m) {
  TControl::CMFontChanged(m);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMCtl3DChanged(TMessage& /*m*/) {
  // The border style changes with the look, and with it the client area.
  if (handle_ != 0) {
    const TRect r = GetClientRect();
    Perform(WM_SIZE, SIZE_RESTORED, MakeLParam(r.Width(), r.Height()));
  } else {
    Realign();
  }
  Invalidate();
  NotifyControls(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMParentCtl3DChanged(TMessage& m) {
  if (!parent_ctl3d_) return;
  if (m.WParam != 0) {
    SetCtl3D(m.LParam != 0);
  } else if (Parent() != nullptr) {
    SetCtl3D(Parent()->Ctl3D());
  }
  parent_ctl3d_ = true;
}

void TWinControl::CMShowHintChanged(TMessage& /*m*/) { NotifyControls(CM_PARENTSHOWHINTCHANGED); }

bool TWinControl::IsControlMouseMsg(TMessage& m) {
  TControl* target = nullptr;
  TControl* capture = GetCaptureControl();
  if (capture != nullptr && capture->Parent() == this &&
      dynamic_cast<TWinControl*>(capture) == nullptr) {
    target = capture;
  } else if (capture == nullptr) {
    const TPoint p{GetXLParam(m.LParam), GetYLParam(m.LParam)};
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
      TControl* c = *it;
      if (dynamic_cast<TWinControl*>(c) != nullptr) continue;
      if (c->Visible() && c->Enabled() && PtInRect(c->BoundsRect(), p)) {
        target = c;
        break;
      }
    }
  }
  if (target == nullptr) return false;
  m.Result = target->Perform(m.Msg, m.WParam,
                             MakeLParam(GetXLParam(m.LParam) - target->Left(),
                                        GetYLParam(m.LParam) - target->Top()));
  return true;
}

}  // namespace vantor
