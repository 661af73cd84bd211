#include <vantor/platform/ui/page_control.h>

#include <algorithm>

#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/publishing.h>

namespace vantor {

namespace {
constexpr int kFrame = 4;       // the frame around the pages
constexpr int kTabPadding = 6;  // space left and right of a tab's caption
}  // namespace

// --- TTabSheet ---

const TypeInfo& TTabSheet::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TTabSheet> b("TTabSheet", &TWinControl::StaticType());
    b.Component();
    PublishWinControl(b, true, false);
    b.Property("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex)
        .Property("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible, true);
    return b.Build();
  }();
  return info;
}

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  TWinControl::SetVisible(false);
  SetAlign(alClient);
}

TTabSheet::~TTabSheet() {
  if (page_control_ != nullptr) page_control_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* page_control) {
  if (page_control == page_control_) return;
  if (page_control_ != nullptr) page_control_->RemovePage(this);
  SetParent(page_control);
  if (page_control != nullptr) page_control->InsertPage(this);
}

void TTabSheet::SetParentComponent(TComponent* parent) {
  if (auto* pc = dynamic_cast<TPageControl*>(parent)) {
    SetPageControl(pc);
    return;
  }
  TWinControl::SetParentComponent(parent);
}

int TTabSheet::PageIndex() const {
  if (page_control_ == nullptr) return -1;
  const auto& pages = page_control_->pages_;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int value) {
  if (page_control_ == nullptr || value == PageIndex()) return;
  page_control_->MovePage(this, value);
}

int TTabSheet::TabIndex() const {
  if (page_control_ == nullptr || !tab_visible_) return -1;
  int index = 0;
  for (TTabSheet* page : page_control_->pages_) {
    if (page == this) return index;
    if (page->tab_visible_) ++index;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool value) {
  if (value == tab_visible_) return;
  tab_visible_ = value;
  if (page_control_ != nullptr) page_control_->PageTabChanged();
}

void TTabSheet::SetText(const std::string& text) {
  TWinControl::SetText(text);
  if (page_control_ != nullptr) page_control_->Invalidate();
}

// --- TPageControl ---

const TypeInfo& TPageControl::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TPageControl> b("TPageControl", &TWinControl::StaticType());
    b.Component();
    PublishWinControl(b, false, true);
    b.Property("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage)
        .Event("OnChange", &TPageControl::OnChange)
        .Event("OnChanging", &TPageControl::OnChanging);
    return b.Build();
  }();
  return info;
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  SetControlStyle({csCaptureMouse, csClickEvents, csDoubleClicks});
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
}

TPageControl::~TPageControl() {
  // The sheets still inside are freed with the control; they need not tell it.
  for (TTabSheet* page : pages_) page->page_control_ = nullptr;
  pages_.clear();
  active_page_ = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const {
  if (index < 0 || index >= PageCount()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return pages_[static_cast<std::size_t>(index)];
}

std::vector<TComponent*> TPageControl::GetChildren(TComponent* root) const {
  std::vector<TComponent*> children;
  for (TTabSheet* page : pages_) {
    if (page->Owner() == root) children.push_back(page);
  }
  return children;
}

void TPageControl::InsertPage(TTabSheet* page) {
  pages_.push_back(page);
  page->page_control_ = this;
  if (active_page_ == nullptr) SetActivePage(page);
  Invalidate();
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  TTabSheet* next = nullptr;
  if (page == active_page_) {
    next = FindNextPage(page, true, false);
    if (next == page) next = nullptr;
  }
  pages_.erase(it);
  page->page_control_ = nullptr;
  if (page == active_page_) {
    active_page_ = nullptr;
    SetActivePage(next);
  }
  Invalidate();
}

void TPageControl::MovePage(TTabSheet* page, int index) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  pages_.erase(it);
  index = std::clamp(index, 0, static_cast<int>(pages_.size()));
  pages_.insert(pages_.begin() + index, page);
  Invalidate();
}

void TPageControl::PageTabChanged() {
  Realign();
  Invalidate();
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page != nullptr && page->page_control_ != this) {
    throw EInvalidOperation("The page does not belong to this page control");
  }
  if (page == active_page_) return;
  TTabSheet* old = active_page_;
  // The focus does not stay on a page that disappears: it goes to the new page's first
  // control, or to the page control itself.
  TWinControl* focused = GetFocus();
  const bool focus_inside = old != nullptr && focused != nullptr && old->ContainsControl(focused);
  active_page_ = page;
  if (page != nullptr) {
    page->BringToFront();
    page->TWinControl::SetVisible(true);
  }
  if (old != nullptr) old->TWinControl::SetVisible(false);
  if (focus_inside) {
    TWinControl* next = page != nullptr ? page->FindNextControl(nullptr, true, true, false) : nullptr;
    if (next != nullptr) {
      next->SetFocus();
    } else if (CanFocus()) {
      SetFocus();
    }
  }
  Invalidate();
}

int TPageControl::ActivePageIndex() const { return active_page_ != nullptr ? active_page_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int value) {
  SetActivePage(value >= 0 && value < PageCount() ? Pages(value) : nullptr);
}

int TPageControl::TabIndex() const { return active_page_ != nullptr ? active_page_->TabIndex() : -1; }

TTabSheet* TPageControl::TabPage(int tab_index) const {
  for (TTabSheet* page : pages_) {
    if (page->TabIndex() == tab_index) return page;
  }
  return nullptr;
}

void TPageControl::SetTabIndex(int value) { SetActivePage(TabPage(value)); }

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool go_forward,
                                      bool check_tab_visible) const {
  if (pages_.empty()) return nullptr;
  const int count = PageCount();
  auto it = std::find(pages_.begin(), pages_.end(), current);
  int start = it == pages_.end() ? (go_forward ? count - 1 : 0) : static_cast<int>(it - pages_.begin());
  int i = start;
  do {
    i = go_forward ? (i + 1) % count : (i + count - 1) % count;
    TTabSheet* page = pages_[static_cast<std::size_t>(i)];
    if (!check_tab_visible || page->TabVisible()) return page;
  } while (i != start);
  return nullptr;
}

bool TPageControl::CanChange() {
  bool allow = true;
  OnChanging(this, allow);
  return allow;
}

void TPageControl::Change() { OnChange(this); }

void TPageControl::UserSelect(TTabSheet* page) {
  if (page == nullptr || page == active_page_) return;
  if (!CanChange()) return;
  SetActivePage(page);
  Change();
}

void TPageControl::SelectNextPage(bool go_forward) {
  UserSelect(FindNextPage(active_page_, go_forward, true));
}

int TPageControl::TabHeight() const {
  const bool any = std::any_of(pages_.begin(), pages_.end(), [](TTabSheet* p) { return p->TabVisible(); });
  if (!any) return 0;
  TCanvas canvas;
  canvas.SetFont(Font());
  return canvas.TextHeight("0") + 2 * kTabPadding - 2;
}

TRect TPageControl::TabRect(int tab_index) const {
  TCanvas canvas;
  canvas.SetFont(Font());
  const int height = TabHeight();
  int x = 2;
  for (TTabSheet* page : pages_) {
    if (!page->TabVisible()) continue;
    const int width = canvas.TextWidth(page->Caption()) + 2 * kTabPadding;
    if (page->TabIndex() == tab_index) return {x, 0, x + width, height};
    x += width;
  }
  return {};
}

int TPageControl::IndexOfTabAt(int x, int y) const {
  for (TTabSheet* page : pages_) {
    const int tab = page->TabIndex();
    if (tab >= 0 && PtInRect(TabRect(tab), {x, y})) return tab;
  }
  return -1;
}

void TPageControl::AdjustClientRect(TRect& rect) const {
  TWinControl::AdjustClientRect(rect);
  rect.Top += TabHeight();
  InflateRect(rect, -kFrame, -kFrame);
  rect.Right = std::max(rect.Left, rect.Right);
  rect.Bottom = std::max(rect.Top, rect.Bottom);
}

void TPageControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: {
      const int tab = IndexOfTabAt(GetXLParam(m.LParam), GetYLParam(m.LParam));
      if (tab >= 0) {
        if (CanFocus() && !Focused()) SetFocus();
        UserSelect(TabPage(tab));
      }
      TWinControl::WndProc(m);
      return;
    }
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS;
      return;
    case WM_KEYDOWN: {
      TWinControl::WndProc(m);
      const auto key = static_cast<std::uint16_t>(m.WParam);
      if (key == VK_RIGHT || key == VK_DOWN) SelectNextPage(true);
      if (key == VK_LEFT || key == VK_UP) SelectNextPage(false);
      return;
    }
    case CM_DIALOGKEY: {
      // Ctrl+Tab turns the pages while the focus is anywhere on the control.
      TWinControl* focused = GetFocus();
      const bool ctrl = KeyboardShiftState().Contains(ssCtrl);
      if (m.WParam == VK_TAB && ctrl && focused != nullptr && ContainsControl(focused)) {
        SelectNextPage(!KeyboardShiftState().Contains(ssShift));
        m.Result = 1;
        return;
      }
      m.Result = 0;
      return;
    }
    default:
      TWinControl::WndProc(m);
      return;
  }
}

void TPageControl::PaintWindow(HDC dc) {
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.SetFont(Font());
  const int height = TabHeight();
  TRect frame{0, height, Width(), Height()};
  Frame3D(canvas, frame, clBtnHighlight, cl3DDkShadow, 1);
  for (TTabSheet* page : pages_) {
    const int tab = page->TabIndex();
    if (tab < 0) continue;
    TRect r = TabRect(tab);
    if (page != active_page_) r.Top += 2;
    Frame3D(canvas, r, clBtnHighlight, cl3DDkShadow, 1);
    canvas.Brush()->SetColor(Color());
    canvas.TextRect(r, r.Left + kTabPadding - 1, r.Top + 2, page->Caption());
  }
}

}  // namespace vantor
