#include <vantor/platform/ui/scrolling_win_control.h>

#include <algorithm>

#include <vantor/platform/core/temporary_change.h>
#include <vantor/platform/rtl/saturating.h>
#include <vantor/platform/ui/publishing.h>

namespace vantor {

// --- TControlScrollBar ---

const TypeInfo& TControlScrollBar::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TControlScrollBar>("TControlScrollBar", &TPersistent::StaticType())
          .Property("Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement, 8)
          .Property("Margin", &TControlScrollBar::Margin, &TControlScrollBar::SetMargin, 0)
          .Property("Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition, 0)
          .Property("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange, 0)
          .Stored(&TControlScrollBar::IsRangeStored)
          .Property("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible, true)
          .Build();
  return info;
}

TControlScrollBar::TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind)
    : control_(control), kind_(kind) {}

TPersistent* TControlScrollBar::GetOwner() const { return control_; }

void TControlScrollBar::SetIncrement(int value) { increment_ = std::max(1, value); }

void TControlScrollBar::SetMargin(int value) {
  value = std::max(0, value);
  if (value == margin_) return;
  margin_ = value;
  if (control_->AutoScroll()) control_->UpdateScrollBars();
}

void TControlScrollBar::SetRange(int value) {
  value = std::max(0, value);
  control_->SetAutoScroll(false);
  if (value == range_) return;
  range_ = value;
  control_->UpdateScrollBars();
}

bool TControlScrollBar::IsRangeStored() const { return !control_->AutoScroll(); }

void TControlScrollBar::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  control_->UpdateScrollBars();
}

bool TControlScrollBar::IsScrollBarVisible() const { return shown_; }

int TControlScrollBar::ScrollRange() const {
  const TRect client = control_->GetClientRect();
  const int extent = kind_ == sbHorizontal ? client.Width() : client.Height();
  return shown_ ? std::max(0, range_ - extent) : 0;
}

void TControlScrollBar::SetPosition(int value) {
  value = std::clamp(value, 0, ScrollRange());
  if (value == position_) return;
  const int delta = position_ - value;
  position_ = value;
  if (kind_ == sbHorizontal) {
    control_->ScrollBy(delta, 0);
  } else {
    control_->ScrollBy(0, delta);
  }
}

void TControlScrollBar::Assign(const TPersistent* source) {
  const auto* bar = dynamic_cast<const TControlScrollBar*>(source);
  if (bar == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  increment_ = bar->increment_;
  margin_ = bar->margin_;
  visible_ = bar->visible_;
  SetRange(bar->range_);
  SetPosition(bar->position_);
}

// --- TScrollingWinControl ---

const TypeInfo& TScrollingWinControl::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TScrollingWinControl>("TScrollingWinControl", &TWinControl::StaticType())
          .Build();
  return info;
}

TScrollingWinControl::TScrollingWinControl(TComponent* owner)
    : TWinControl(owner),
      horz_(std::make_unique<TControlScrollBar>(this, sbHorizontal)),
      vert_(std::make_unique<TControlScrollBar>(this, sbVertical)) {}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool value) {
  if (value == auto_scroll_) return;
  auto_scroll_ = value;
  if (value) {
    UpdateScrollBars();
  } else {
    horz_->range_ = 0;
    vert_->range_ = 0;
    UpdateScrollBars();
  }
}

void TScrollingWinControl::ShownBars(bool& horz, bool& vert) const {
  const TRect area = TWinControl::ClientAreaInWindow();
  const int cx = GetSystemMetrics(SM_CXVSCROLL);
  const int cy = GetSystemMetrics(SM_CYHSCROLL);
  horz = false;
  vert = false;
  // Each bar that shows narrows the other direction; two rounds settle it.
  for (int round = 0; round < 3; ++round) {
    const int width = area.Width() - (vert ? cx : 0);
    const int height = area.Height() - (horz ? cy : 0);
    const bool h = horz_->visible_ && horz_->range_ > width;
    const bool v = vert_->visible_ && vert_->range_ > height;
    if (h == horz && v == vert) break;
    horz = h;
    vert = v;
  }
}

TRect TScrollingWinControl::ClientAreaInWindow() const {
  TRect r = TWinControl::ClientAreaInWindow();
  if (vert_->shown_) r.Right -= GetSystemMetrics(SM_CXVSCROLL);
  if (horz_->shown_) r.Bottom -= GetSystemMetrics(SM_CYHSCROLL);
  r.Right = std::max(r.Left, r.Right);
  r.Bottom = std::max(r.Top, r.Bottom);
  return r;
}

void TScrollingWinControl::CalcAutoRange() {
  int right = 0;
  int bottom = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    if (c->Align() == alNone || c->Align() == alLeft || c->Align() == alRight) {
      right = std::max(right, SaturatingAdd(c->BoundsRect().Right, horz_->position_));
    }
    if (c->Align() == alNone || c->Align() == alTop || c->Align() == alBottom) {
      bottom = std::max(bottom, SaturatingAdd(c->BoundsRect().Bottom, vert_->position_));
    }
  }
  horz_->range_ = right > 0 ? SaturatingAdd(right, horz_->margin_) : 0;
  vert_->range_ = bottom > 0 ? SaturatingAdd(bottom, vert_->margin_) : 0;
}

bool TScrollingWinControl::RecalcBars() {
  if (auto_scroll_) CalcAutoRange();
  bool horz = false;
  bool vert = false;
  ShownBars(horz, vert);
  const bool changed = horz != horz_->shown_ || vert != vert_->shown_;
  horz_->shown_ = horz;
  vert_->shown_ = vert;
  // Positions beyond the new scroll range come back, moving the children with them.
  for (TControlScrollBar* bar : {horz_.get(), vert_.get()}) {
    const int limit = bar->ScrollRange();
    if (bar->position_ > limit) {
      const int delta = bar->position_ - limit;
      bar->position_ = limit;
      if (bar->kind_ == sbHorizontal) {
        ScrollBy(delta, 0);
      } else {
        ScrollBy(0, delta);
      }
    }
  }
  return changed;
}

void TScrollingWinControl::UpdateScrollBars() {
  if (updating_ != 0 || Destroying()) return;
  ++updating_;
  struct Done {
    int& n;
    ~Done() { --n; }
  } done{updating_};
  if (!RecalcBars()) return;
  // A bar that appears or goes changes the client area, as a window resize would.
  if (HandleAllocated()) {
    const TRect r = GetClientRect();
    Perform(WM_SIZE, SIZE_RESTORED, MakeLParam(r.Width(), r.Height()));
  } else {
    Realign();
    Resize();
  }
  Invalidate();
}

void TScrollingWinControl::ScrollBy(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  ++updating_;
  struct Done {
    int& n;
    ~Done() { --n; }
  } done{updating_};
  {
    // The children move as one block: the requests their moves make are not answered.
    DisableAlign();
    ScopeExit enable([this] { EnableAlign(); });
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      c->SetBounds(SaturatingAdd(c->Left(), dx), SaturatingAdd(c->Top(), dy), c->Width(), c->Height());
    }
    SetControlState(ControlState() - TControlState{csAlignmentNeeded});
  }
  Invalidate();
}

void TScrollingWinControl::ScrollInView(TControl* control) {
  if (control == nullptr || control->Parent() != this) return;
  const TRect client = GetClientRect();
  const TRect bounds = control->BoundsRect();
  if (bounds.Left < 0) {
    horz_->SetPosition(SaturatingAdd(horz_->position_, bounds.Left));
  } else if (bounds.Right > client.Width()) {
    horz_->SetPosition(SaturatingAdd(horz_->position_, bounds.Right - client.Width()));
  }
  if (bounds.Top < 0) {
    vert_->SetPosition(SaturatingAdd(vert_->position_, bounds.Top));
  } else if (bounds.Bottom > client.Height()) {
    vert_->SetPosition(SaturatingAdd(vert_->position_, bounds.Bottom - client.Height()));
  }
}

void TScrollingWinControl::AlignControls(TControl* control, TRect& rect) {
  // Aligned children fill the scrolled content, not just the visible part, and keep
  // their place in it whatever the scroll position. Placing them may show or hide a
  // bar, which changes the client area: place them again then (twice at most).
  ++updating_;
  struct Done {
    int& n;
    ~Done() { --n; }
  } done{updating_};
  RecalcBars();
  for (int pass = 0; pass < 3; ++pass) {
    TRect base = GetClientRect();
    AdjustClientRect(base);
    const int width = std::max(horz_->shown_ ? horz_->range_ : 0, base.Width());
    const int height = std::max(vert_->shown_ ? vert_->range_ : 0, base.Height());
    rect = Bounds(base.Left - horz_->position_, base.Top - vert_->position_, width, height);
    TWinControl::AlignControls(control, rect);
    if (!RecalcBars()) break;
  }
}

void TScrollingWinControl::ChildBoundsChanged(TControl* /*control*/) {
  if (auto_scroll_ && updating_ == 0) UpdateScrollBars();
}

void TScrollingWinControl::BoundsSized() {
  UpdateScrollBars();
  TWinControl::BoundsSized();
}

void TScrollingWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_SIZE:
      UpdateScrollBars();
      break;
    case CM_CONTROLCHANGE:
    case CM_CONTROLLISTCHANGE:
      TWinControl::WndProc(m);
      if (auto_scroll_) UpdateScrollBars();
      return;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

// --- TScrollBox ---

const TypeInfo& TScrollBox::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TScrollBox> b("TScrollBox", &TScrollingWinControl::StaticType());
    b.Component()
        .Property("Align", &TControl::Align, &TControl::SetAlign, alNone)
        .Property("AutoScroll", &TScrollingWinControl::AutoScroll,
                  &TScrollingWinControl::SetAutoScroll, true)
        .Property("BorderStyle", &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle, bsSingle);
    PublishWindowLook(b).Property("HorzScrollBar", &TScrollingWinControl::HorzScrollBar);
    PublishParentLook(b, true);
    PublishHints(b, true);
    PublishTabStop(b, false)
        .Property("VertScrollBar", &TScrollingWinControl::VertScrollBar)
        .Property("Visible", &TControl::Visible, &TControl::SetVisible, true);
    PublishFocusMouseEvents(b, false).Event("OnResize", &TControl::OnResize);
    return b.Build();
  }();
  return info;
}

TScrollBox::TScrollBox(TComponent* owner) : TScrollingWinControl(owner) {
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  SetBounds(0, 0, 185, 41);
}

void TScrollBox::SetBorderStyle(TBorderStyle value) {
  if (value == border_style_) return;
  border_style_ = value;
  Perform(CM_CTL3DCHANGED);
  UpdateScrollBars();
}

void TScrollBox::CreateParams(TCreateParams& params) const {
  TScrollingWinControl::CreateParams(params);
  if (border_style_ == bsSingle) {
    if (NewStyleControls() && Ctl3D()) {
      params.ExStyle |= WS_EX_CLIENTEDGE;
    } else {
      params.Style |= WS_BORDER;
    }
  }
}

}  // namespace vantor
