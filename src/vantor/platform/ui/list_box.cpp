#include <vantor/platform/ui/list_box.h>

#include <algorithm>
#include <cassert>
#include <cwctype>

#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/publishing.h>

namespace vantor {

namespace {

// The one drag in progress (the mouse has one button to hold).
struct DragInfo {
  TListBox* source = nullptr;
  bool started = false;   // past the threshold (or begun at once)
  TPoint start;           // screen point where the button went down
  TControl* target = nullptr;
  bool accepted = false;
};
DragInfo g_drag;
TPoint g_mouse;  // the last mouse position a list box saw, in screen coordinates

// The deepest visible control under a screen point, within `top`'s window.
TControl* ControlAtScreen(TWinControl* top, TPoint screen) {
  if (top == nullptr) return nullptr;
  TPoint p = top->ScreenToClient(screen);
  if (!PtInRect(top->ClientRect(), p)) return nullptr;
  TWinControl* at = top;
  while (true) {
    TControl* child = at->ControlAtPos(at->ScreenToClient(screen), false);
    if (child == nullptr) return at;
    auto* win = dynamic_cast<TWinControl*>(child);
    if (win == nullptr) return child;
    at = win;
  }
}

std::intptr_t SendDrag(TControl* target, TDragMessage kind, TObject* source, TPoint screen,
                       bool* accept) {
  TDragRec rec;
  rec.source = source;
  rec.pos = target->ScreenToClient(screen);
  const std::intptr_t result = target->Perform(CM_DRAG, static_cast<std::intptr_t>(kind),
                                               reinterpret_cast<std::intptr_t>(&rec));
  if (accept != nullptr) *accept = rec.accept;
  return result;
}

// Tells the control under the mouse about the drag, leaving the previous one.
void DragTo(TPoint screen) {
  TControl* target = ControlAtScreen(g_drag.source->TopLevel(), screen);
  if (target != g_drag.target) {
    if (g_drag.target != nullptr) {
      SendDrag(g_drag.target, TDragMessage::dmDragLeave, g_drag.source, screen, nullptr);
    }
    g_drag.target = target;
    g_drag.accepted = false;
    if (target != nullptr) {
      SendDrag(target, TDragMessage::dmDragEnter, g_drag.source, screen, &g_drag.accepted);
    }
    return;
  }
  if (target != nullptr) {
    SendDrag(target, TDragMessage::dmDragMove, g_drag.source, screen, &g_drag.accepted);
  }
}

}  // namespace

const TypeInfo& TListBox::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TListBox> b("TListBox", &TWinControl::StaticType());
    b.Component();
    PublishWinControl(b, false, true);
    b.Property("DragMode", &TListBox::DragMode, &TListBox::SetDragMode, dmManual)
        .Property("ExtendedSelect", &TListBox::ExtendedSelect, &TListBox::SetExtendedSelect, true)
        .Property("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight)
        .Property("Items", &TListBox::Items)
        .Property("MultiSelect", &TListBox::MultiSelect, &TListBox::SetMultiSelect, false)
        .Property("Style", &TListBox::Style, &TListBox::SetStyle, lbStandard)
        .Event("OnDragDrop", &TListBox::OnDragDrop)
        .Event("OnDragOver", &TListBox::OnDragOver)
        .Event("OnEndDrag", &TListBox::OnEndDrag);
    return b.Build();
  }();
  return info;
}

TListBox::TListBox(TComponent* owner) : TWinControl(owner), items_(std::make_unique<TStrings>()) {
  SetControlStyle({csDoubleClicks, csCaptureMouse});
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  items_->OnChange = [this](TStrings*) { ItemsChanged(); };
}

TListBox::~TListBox() {
  if (g_drag.source == this) g_drag = {};
  if (g_drag.target == this) g_drag.target = nullptr;
  items_->OnChange = nullptr;
}

void TListBox::CreateParams(TCreateParams& p) const {
  TWinControl::CreateParams(p);
  if (Ctl3D()) {
    p.ExStyle |= WS_EX_CLIENTEDGE;
  } else {
    p.Style |= WS_BORDER;
  }
}

// --- Lines and selection ---

void TListBox::ItemsChanged() {
  FollowItems();
  Invalidate();
}

void TListBox::FollowItems() {
  const int count = items_->Count();
  selected_.resize(static_cast<std::size_t>(count), false);
  if (item_index_ >= count) item_index_ = -1;
  if (anchor_ >= count) anchor_ = -1;
  top_index_ = std::clamp(top_index_, 0, std::max(0, count - 1));
}

std::vector<bool>::reference TListBox::Flag(int index) {
  // Every change of the selection begins with FollowItems, and the callers pass lines
  // they checked against the count.
  assert(selected_.size() == static_cast<std::size_t>(items_->Count()) && index >= 0 && index < items_->Count());
  return selected_[static_cast<std::size_t>(index)];
}

void TListBox::ClearSelection() { std::fill(selected_.begin(), selected_.end(), false); }

int TListBox::ItemIndex() const { return item_index_ < items_->Count() ? item_index_ : -1; }

void TListBox::SetItemIndex(int value) {
  FollowItems();
  if (value < -1 || value >= items_->Count()) {
    throw EListError("List index out of bounds (" + std::to_string(value) + ")");
  }
  if (value == item_index_ && (value < 0 || Flag(value))) return;
  ClearSelection();
  item_index_ = value;
  anchor_ = value;
  if (value >= 0) {
    Flag(value) = true;
    MakeVisible(value);
  }
  Invalidate();
}

void TListBox::SetMultiSelect(bool value) {
  if (value == multi_select_) return;
  multi_select_ = value;
  // A single-selection list keeps only the line with the caret.
  if (!value) {
    FollowItems();
    ClearSelection();
    if (item_index_ >= 0) Flag(item_index_) = true;
  }
  Invalidate();
}

bool TListBox::Selected(int index) const {
  if (index < 0 || index >= items_->Count()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  // A line added since the list box last followed its items has no flag yet: unselected.
  const auto line = static_cast<std::size_t>(index);
  return line < selected_.size() && selected_[line];
}

void TListBox::SetSelected(int index, bool value) {
  if (index < 0 || index >= items_->Count()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  if (!multi_select_) {
    if (value) {
      SetItemIndex(index);
    } else if (index == ItemIndex()) {
      SetItemIndex(-1);
    }
    return;
  }
  FollowItems();
  if (Flag(index) == value) return;
  Flag(index) = value;
  Invalidate();
}

int TListBox::SelCount() const {
  // Flags past the lines belong to lines deleted since the list box last followed them.
  const auto lines = std::min(selected_.size(), static_cast<std::size_t>(items_->Count()));
  return static_cast<int>(std::count(selected_.begin(), selected_.begin() + static_cast<std::ptrdiff_t>(lines), true));
}

void TListBox::SetItemHeight(int value) {
  if (value == item_height_ || value <= 0) return;
  item_height_ = value;
  Invalidate();
}

void TListBox::SetTopIndex(int value) {
  value = std::clamp(value, 0, std::max(0, items_->Count() - 1));
  if (value == top_index_) return;
  top_index_ = value;
  Invalidate();
}

int TListBox::VisibleLines() const { return std::max(1, ClientHeight() / item_height_); }

int TListBox::ItemAtPos(TPoint pos, bool existing) const {
  if (PtInRect(ClientRect(), pos)) {
    const int index = top_index_ + pos.Y / item_height_;
    if (index < items_->Count()) return index;
  }
  return existing ? -1 : items_->Count();
}

TRect TListBox::ItemRect(int index) const {
  const int top = (index - top_index_) * item_height_;
  return {0, top, ClientWidth(), top + item_height_};
}

void TListBox::MakeVisible(int index) {
  if (index < top_index_) {
    SetTopIndex(index);
  } else if (index >= top_index_ + VisibleLines()) {
    SetTopIndex(index - VisibleLines() + 1);
  }
}

// A selection the user makes: the caret moves to `index`, the selection follows the
// list's rules, and OnClick tells the application.
void TListBox::UserSelect(int index, TShiftState shift) {
  if (index < 0 || index >= items_->Count()) return;
  FollowItems();
  auto at = [this](int i) -> bool { return Flag(i); };
  if (!multi_select_) {
    ClearSelection();
    Flag(index) = true;
    anchor_ = index;
  } else if (!extended_select_) {
    Flag(index) = !at(index);
    anchor_ = index;
  } else if (shift.Contains(ssShift) && anchor_ >= 0) {
    ClearSelection();
    for (int i = std::min(anchor_, index); i <= std::max(anchor_, index); ++i) {
      Flag(i) = true;
    }
  } else if (shift.Contains(ssCtrl)) {
    Flag(index) = !at(index);
    anchor_ = index;
  } else {
    ClearSelection();
    Flag(index) = true;
    anchor_ = index;
  }
  item_index_ = index;
  MakeVisible(index);
  Invalidate();
  Click();
}

// --- Dragging ---

bool TListBox::Dragging() const { return g_drag.source == this && g_drag.started; }

void TListBox::BeginDrag(bool immediate) {
  if (g_drag.source != nullptr) return;  // one drag at a time
  g_drag = {};
  g_drag.source = this;
  g_drag.start = g_mouse;
  SetMouseCapture(true);
  if (immediate) {
    g_drag.started = true;
    DragTo(g_mouse);
  }
}

void TListBox::EndDrag(bool drop) {
  if (g_drag.source != this) return;
  const DragInfo drag = g_drag;
  g_drag = {};
  SetMouseCapture(false);
  if (!drag.started) return;  // never left the press: it was a click
  TControl* target = drag.target;
  TPoint at;
  if (target != nullptr) at = target->ScreenToClient(g_mouse);
  if (drop && target != nullptr && drag.accepted) {
    SendDrag(target, TDragMessage::dmDragDrop, this, g_mouse, nullptr);
  } else {
    if (target != nullptr) SendDrag(target, TDragMessage::dmDragLeave, this, g_mouse, nullptr);
    target = nullptr;
    at = {};
  }
  DoEndDrag(target, at.X, at.Y);
}

void TListBox::DragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
  accept = false;
  if (!OnDragOver.Assigned()) return;
  accept = true;
  OnDragOver(this, source, x, y, state, accept);
}

void TListBox::DragDrop(TObject* source, int x, int y) { OnDragDrop(this, source, x, y); }

void TListBox::DoEndDrag(TObject* target, int x, int y) { OnEndDrag(this, target, x, y); }

void TListBox::CMDrag(TMessage& m) {
  auto* rec = reinterpret_cast<TDragRec*>(m.LParam);
  m.Result = 0;
  if (rec == nullptr) return;
  switch (static_cast<TDragMessage>(m.WParam)) {
    case TDragMessage::dmDragEnter:
    case TDragMessage::dmDragMove:
    case TDragMessage::dmDragLeave: {
      const TDragState state = static_cast<TDragMessage>(m.WParam) == TDragMessage::dmDragEnter
                                   ? dsDragEnter
                                   : static_cast<TDragMessage>(m.WParam) == TDragMessage::dmDragMove
                                         ? dsDragMove
                                         : dsDragLeave;
      bool accept = false;
      DragOver(rec->source, rec->pos.X, rec->pos.Y, state, accept);
      rec->accept = accept;
      m.Result = accept ? 1 : 0;
      return;
    }
    case TDragMessage::dmDragDrop:
      DragDrop(rec->source, rec->pos.X, rec->pos.Y);
      m.Result = 1;
      return;
    case TDragMessage::dmDragCancel:
      return;
  }
}

// --- Messages ---

void TListBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(m); return;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(m); return;
    case WM_MOUSEMOVE: WMMouseMove(m); return;
    case WM_LBUTTONUP: WMLButtonUp(m); return;
    case WM_KEYDOWN: WMKeyDown(m); return;
    case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
    case CM_DRAG: CMDrag(m); return;
    default: TWinControl::WndProc(m); return;
  }
}

void TListBox::WMLButtonDown(TMessage& m) {
  const TPoint p{GetXLParam(m.LParam), GetYLParam(m.LParam)};
  g_mouse = ClientToScreen(p);
  if (CanFocus() && !Focused()) SetFocus();
  const TShiftState shift = KeysToShiftState(m.WParam);
  const int index = ItemAtPos(p, true);
  if (index >= 0) UserSelect(index, shift);
  TWinControl::WndProc(m);
  // An automatic drag starts from every press but the ones that extend a selection.
  if (drag_mode_ == dmAutomatic && index >= 0 &&
      !(multi_select_ && (shift.Contains(ssCtrl) || shift.Contains(ssShift)))) {
    BeginDrag(false);
  }
}

void TListBox::WMLButtonDblClk(TMessage& m) {
  const TPoint p{GetXLParam(m.LParam), GetYLParam(m.LParam)};
  g_mouse = ClientToScreen(p);
  // The first press of the double click selected the line already.
  const int index = ItemAtPos(p, true);
  TWinControl::WndProc(m);
  if (index >= 0) DblClick();
}

void TListBox::WMMouseMove(TMessage& m) {
  const TPoint p{GetXLParam(m.LParam), GetYLParam(m.LParam)};
  g_mouse = ClientToScreen(p);
  if (g_drag.source == this) {
    if (!g_drag.started && (std::abs(g_mouse.X - g_drag.start.X) >= kDragThreshold ||
                            std::abs(g_mouse.Y - g_drag.start.Y) >= kDragThreshold)) {
      g_drag.started = true;
    }
    if (g_drag.started) DragTo(g_mouse);
  }
  TWinControl::WndProc(m);
}

void TListBox::WMLButtonUp(TMessage& m) {
  const TPoint p{GetXLParam(m.LParam), GetYLParam(m.LParam)};
  g_mouse = ClientToScreen(p);
  if (g_drag.source == this) {
    if (g_drag.started) DragTo(g_mouse);
    EndDrag(true);
  }
  TWinControl::WndProc(m);
}

void TListBox::WMKeyDown(TMessage& m) {
  TWinControl::WndProc(m);  // the KeyDown handlers first; a zeroed key is consumed
  const auto key = static_cast<std::uint16_t>(m.WParam);
  if (key == 0 || items_->Count() == 0) return;
  FollowItems();
  const int last = items_->Count() - 1;
  const int page = std::max(1, VisibleLines() - 1);
  int next = item_index_;
  switch (key) {
    case VK_UP: next = item_index_ < 0 ? 0 : item_index_ - 1; break;
    case VK_DOWN: next = item_index_ + 1; break;
    case VK_HOME: next = 0; break;
    case VK_END: next = last; break;
    case VK_PRIOR: next = item_index_ - page; break;
    case VK_NEXT: next = item_index_ < 0 ? page : item_index_ + page; break;
    default: {
      // A letter or digit moves to the next line that begins with it.
      const char32_t ch = KeyToChar(key, {});
      if (ch == 0 || ch < U'0') return;
      for (int i = 1; i <= items_->Count(); ++i) {
        const int candidate = (std::max(item_index_, -1) + i) % items_->Count();
        const std::string& text = items_->Strings(candidate);
        if (!text.empty() && std::towlower(static_cast<wint_t>(static_cast<unsigned char>(text[0]))) ==
                                 std::towlower(static_cast<wint_t>(ch))) {
          next = candidate;
          break;
        }
      }
      break;
    }
  }
  next = std::clamp(next, 0, last);
  if (next == item_index_ && Flag(next)) return;
  UserSelect(next, KeyboardShiftState());
}

void TListBox::PaintWindow(HDC dc) {
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.SetFont(Font());
  canvas.Brush()->SetColor(Color());
  canvas.FillRect(ClientRect());
  FollowItems();
  const int last = std::min(items_->Count(), top_index_ + VisibleLines() + 1);
  for (int i = top_index_; i < last; ++i) {
    const TRect r = ItemRect(i);
    const bool sel = Flag(i);
    canvas.Brush()->SetColor(sel ? clHighlight : Color());
    canvas.Font()->SetColor(sel ? clHighlightText : Font()->Color());
    canvas.TextRect(r, r.Left + 2, r.Top, items_->Strings(i));
  }
}

}  // namespace vantor
