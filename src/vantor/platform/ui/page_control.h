#pragma once
// TPageControl: a stack of pages (TTabSheet) of which one shows at a time, with a row of
// tabs to choose it. The user switches pages by clicking a tab, with the arrow keys while
// the tabs have the focus, and with Ctrl+Tab / Ctrl+Shift+Tab from anywhere on the
// page control; OnChanging may refuse a switch, OnChange reports it. Code that sets
// ActivePage fires neither. Pages whose TabVisible is false have no tab; with no tab
// at all the control has no tab row (a page control used as a plain stack of pages).

#include <vector>

#include <vantor/platform/ui/win_control.h>

namespace vantor {

class TPageControl;

using TTabChangingEvent = Event<TObject*, bool&>;

// One page of a TPageControl.
class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TPageControl* PageControl() const { return page_control_; }
  // Moves the sheet into a page control (as its last page) or out of it (null).
  void SetPageControl(TPageControl* page_control);
  // Position among the page control's pages; -1 outside one.
  int PageIndex() const;
  void SetPageIndex(int value);
  // Index among the pages that have a tab; -1 when the sheet has none.
  int TabIndex() const;
  bool TabVisible() const { return tab_visible_; }
  void SetTabVisible(bool value);

  void SetParentComponent(TComponent* parent) override;
  void SetText(const std::string& text) override;

 private:
  friend class TPageControl;
  TPageControl* page_control_ = nullptr;
  bool tab_visible_ = true;
};

class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int index) const;  // EListError out of bounds
  TTabSheet* ActivePage() const { return active_page_; }
  // Shows that page (which must be one of this control's, or null for none).
  void SetActivePage(TTabSheet* page);
  // The active page's index among the tabs (-1 when it has no tab or there is none).
  int TabIndex() const;
  void SetTabIndex(int value);
  int ActivePageIndex() const;
  void SetActivePageIndex(int value);
  // The next (or previous) page with a tab, cycling; null when there is none.
  TTabSheet* FindNextPage(TTabSheet* current, bool go_forward, bool check_tab_visible) const;
  // Switches to the next or previous page as the user does (OnChanging, OnChange).
  void SelectNextPage(bool go_forward);
  // Height of the tab row (0 when no page has a tab).
  int TabHeight() const;
  // The rectangle of a tab in client coordinates (empty for a page without a tab).
  TRect TabRect(int tab_index) const;
  // The tab under a client point, or -1.
  int IndexOfTabAt(int x, int y) const;
  // Where the pages go: the client area less the tab row and the frame.
  void AdjustClientRect(TRect& rect) const override;

  std::vector<TComponent*> GetChildren(TComponent* root) const override;
  void WndProc(TMessage& message) override;

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

 protected:
  virtual bool CanChange();
  virtual void Change();
  void PaintWindow(HDC dc) override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void MovePage(TTabSheet* page, int index);
  void PageTabChanged();
  // A switch the user asked for: OnChanging may refuse it.
  void UserSelect(TTabSheet* page);
  TTabSheet* TabPage(int tab_index) const;

  std::vector<TTabSheet*> pages_;
  TTabSheet* active_page_ = nullptr;
};

}  // namespace vantor
