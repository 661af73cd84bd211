// Buttons, check box, combo box, list box (selection, drag and drop), page control,
// group box and bevel: what the user's clicks and keys do to them, delivered as messages.

#include <memory>
#include <string>
#include <vector>

#include <vantor/platform/ui/bevel.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/check_box.h>
#include <vantor/platform/ui/combo_box.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/group_box.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/list_box.h>
#include <vantor/platform/ui/page_control.h>
#include "platform/ui/form_fixture.h"

namespace vantor {
namespace {

using testing::HeadlessTest;

template <typename C>
C* Place(TComponent* owner, TWinControl* parent, const std::string& name, TRect bounds) {
  auto* c = new C(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBoundsRect(bounds);
  return c;
}

class ControlsTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    form = std::make_unique<TForm>(nullptr);
    form->SetName("fmControls");
    form->SetClientWidth(400);
    form->SetClientHeight(300);
  }
  void TearDown() override {
    form.reset();
    HeadlessTest::TearDown();
  }
  std::unique_ptr<TForm> form;
};

// --- TBitBtn ---

TEST_F(ControlsTest, BitBtnKindsSetCaptionResultRolesAndGlyph) {
  auto* bb = Place<TBitBtn>(form.get(), form.get(), "bbOk", Bounds(0, 0, 75, 25));
  bb->SetKind(bkOK);
  EXPECT_EQ(bb->Caption(), "OK");
  EXPECT_EQ(bb->ModalResult(), mrOk);
  EXPECT_TRUE(bb->Default());
  EXPECT_FALSE(bb->Cancel());
  EXPECT_FALSE(bb->Glyph()->Empty());
  EXPECT_EQ(bb->NumGlyphs(), 2);
  EXPECT_FALSE(bb->IsCustomCaption());

  bb->SetKind(bkCancel);
  EXPECT_EQ(bb->Caption(), "Cancel");
  EXPECT_EQ(bb->ModalResult(), mrCancel);
  EXPECT_FALSE(bb->Default());
  EXPECT_TRUE(bb->Cancel());

  bb->SetKind(bkHelp);
  EXPECT_EQ(bb->Caption(), "&Help");
  EXPECT_EQ(bb->ModalResult(), mrNone);
  EXPECT_EQ(bb->Kind(), bkHelp);
}

TEST_F(ControlsTest, BitBtnBecomesCustomWhenItsRolesChange) {
  auto* bb = Place<TBitBtn>(form.get(), form.get(), "bbNext", Bounds(0, 0, 75, 25));
  bb->SetKind(bkOK);
  bb->SetCaption("Next");
  EXPECT_EQ(bb->Kind(), bkOK);  // a new caption alone keeps the kind ...
  EXPECT_TRUE(bb->IsCustomCaption());
  bb->SetDefault(false);
  EXPECT_EQ(bb->Kind(), bkCustom);  // ... losing the default role does not
  EXPECT_TRUE(bb->IsCustom());
  EXPECT_EQ(bb->ModalResult(), mrOk);
}

TEST_F(ControlsTest, HelpKindOpensTheFormsHelpTopicOrFallsBackToOnClick) {
  auto* bb = Place<TBitBtn>(form.get(), form.get(), "bbHelp", Bounds(0, 0, 75, 25));
  bb->SetKind(bkHelp);
  int clicks = 0;
  bb->OnClick = [&](TObject*) { ++clicks; };
  bb->Click();
  EXPECT_EQ(clicks, 1);  // no topic on the form
  form->SetHelpContext(4711);
  bb->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(Application->HelpLog(), (std::vector<THelpContext>{4711}));
}

TEST_F(ControlsTest, ButtonClicksWithMouseAndSpaceButNotWhenReleasedOutside) {
  auto* bu = Place<TButton>(form.get(), form.get(), "buAdd", Bounds(8, 8, 89, 21));
  int clicks = 0;
  bu->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  ClickAt(bu, 10, 10);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(bu->Focused());  // pressing a button focuses it
  SendKey(bu, VK_SPACE);
  EXPECT_EQ(clicks, 2);
  bu->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(10, 10));
  bu->Perform(WM_LBUTTONUP, 0, MakeLParam(200, 10));  // released away from the button
  EXPECT_EQ(clicks, 2);
}

// --- TCheckBox ---

TEST_F(ControlsTest, CheckBoxTogglesOnClickAndSpaceAndReportsEveryChange) {
  auto* cb = Place<TCheckBox>(form.get(), form.get(), "cbFiltered", Bounds(8, 8, 129, 17));
  std::vector<bool> clicks;
  cb->OnClick = [&](TObject*) { clicks.push_back(cb->Checked()); };
  ScriptedUser().Click("cbFiltered").Press(VK_SPACE).Click("cbFiltered").CloseWindow();
  form->ShowModal();
  EXPECT_TRUE(cb->Checked());
  cb->SetChecked(false);  // code changes are reported too
  cb->SetChecked(false);  // no change, no click
  EXPECT_EQ(clicks, (std::vector<bool>{true, false, true, false}));
}

TEST_F(ControlsTest, CheckBoxWithAllowGrayedCyclesThroughThreeStates) {
  auto* cb = Place<TCheckBox>(form.get(), form.get(), "cbCase", Bounds(8, 8, 129, 17));
  cb->SetAllowGrayed(true);
  std::vector<TCheckBoxState> states;
  for (int i = 0; i < 3; ++i) {
    cb->Toggle();
    states.push_back(cb->State());
  }
  EXPECT_EQ(states, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
}

// --- TComboBox ---

class ComboBoxTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    cb = Place<TComboBox>(form.get(), form.get(), "cbCompare", Bounds(8, 8, 145, 21));
    cb->SetStyle(csDropDownList);
    for (const char* s : {"Exact comparison", "Initial comparison", "Partial comparison"}) {
      cb->Items()->Add(s);
    }
    cb->OnClick = [this](TObject*) { events.push_back("click " + std::to_string(cb->ItemIndex())); };
    cb->OnChange = [this](TObject*) { events.push_back("change " + cb->Text()); };
  }
  TComboBox* cb = nullptr;
  std::vector<std::string> events;
};

TEST_F(ComboBoxTest, CodeSetsItemIndexAndTextWithoutEvents) {
  cb->SetItemIndex(1);
  EXPECT_EQ(cb->Text(), "Initial comparison");
  cb->SetText("partial comparison");  // a list box chooses the item of that text
  EXPECT_EQ(cb->ItemIndex(), 2);
  EXPECT_EQ(cb->Text(), "Partial comparison");
  cb->SetText("nothing like it");
  EXPECT_EQ(cb->ItemIndex(), -1);
  EXPECT_EQ(cb->Text(), "");
  EXPECT_THROW(cb->SetItemIndex(3), EListError);
  EXPECT_TRUE(events.empty());
}

TEST_F(ComboBoxTest, ArrowsAndLettersChooseItemsWithClickThenChange) {
  cb->SetItemIndex(0);
  ScriptedUser()
      .Focus("cbCompare")
      .Press(VK_DOWN)
      .Press(VK_DOWN)
      .Press(VK_DOWN)  // already on the last item: nothing happens
      .Type("e")       // the next item beginning with "e"
      .Press(VK_END)
      .CloseWindow();
  form->ShowModal();
  EXPECT_EQ(events, (std::vector<std::string>{"click 1", "change Initial comparison", "click 2",
                                              "change Partial comparison", "click 0",
                                              "change Exact comparison", "click 2",
                                              "change Partial comparison"}));
}

TEST_F(ComboBoxTest, ClickOnTheOpenListChoosesTheItemUnderTheMouse) {
  const TRect item = cb->DropDownItemRect(1);
  ScriptedUser()
      .Click("cbCompare")  // opens the list
      .Run([this](TForm&) { EXPECT_TRUE(cb->DroppedDown()); })
      .ClickAt("cbCompare", {10, (item.Top + item.Bottom) / 2})
      .CloseWindow();
  form->ShowModal();
  EXPECT_FALSE(cb->DroppedDown());
  EXPECT_EQ(cb->ItemIndex(), 1);
  EXPECT_EQ(events, (std::vector<std::string>{"click 1", "change Initial comparison"}));
}

TEST_F(ComboBoxTest, EditableBoxTakesTypedTextAndFollowsMatchingItems) {
  cb->SetStyle(csDropDown);
  cb->SetMaxLength(5);
  ScriptedUser().TypeInto("cbCompare", "12345678").CloseWindow();
  form->ShowModal();
  EXPECT_EQ(cb->Text(), "12345");
  EXPECT_EQ(events.size(), 5u);  // one OnChange per accepted character
  cb->SetMaxLength(0);
  cb->SetText("initial COMPARISON");
  EXPECT_EQ(cb->ItemIndex(), 1);
  EXPECT_EQ(cb->Text(), "initial COMPARISON");
}

TEST_F(ComboBoxTest, RemovingTheChosenItemClearsTheChoice) {
  cb->SetItemIndex(2);
  cb->Items()->Delete(2);
  EXPECT_EQ(cb->ItemIndex(), -1);
  EXPECT_EQ(cb->Text(), "");
}

// --- TListBox ---

class ListBoxTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    lb = Place<TListBox>(form.get(), form.get(), "lbFields", Bounds(0, 0, 194, 200));
    lb->SetItemHeight(13);
    for (const char* s : {" 0 - CustNo", " 1 - Company", " 2 - City", " 3 - Phone"}) lb->Items()->Add(s);
    lb->OnClick = [this](TObject*) { clicks.push_back(lb->ItemIndex()); };
  }
  // The middle of line `index`, in the list's client coordinates.
  static TPoint Line(int index) { return {20, index * 13 + 6}; }
  TListBox* lb = nullptr;
  std::vector<int> clicks;
};

TEST_F(ListBoxTest, ItemAtPosGivesTheLineOrTheCountBelowTheLast) {
  EXPECT_EQ(lb->ItemAtPos({5, 0}, true), 0);
  EXPECT_EQ(lb->ItemAtPos({5, 13}, true), 1);
  EXPECT_EQ(lb->ItemAtPos({5, 51}, true), 3);
  EXPECT_EQ(lb->ItemAtPos({5, 52}, true), -1);
  EXPECT_EQ(lb->ItemAtPos({5, 52}, false), 4);
  EXPECT_EQ(lb->ItemAtPos({-1, 5}, false), 4);  // outside the list
  lb->SetTopIndex(2);
  EXPECT_EQ(lb->ItemAtPos({5, 0}, true), 2);
  EXPECT_EQ(lb->ItemRect(3), (TRect{0, 13, lb->ClientWidth(), 26}));
}

TEST_F(ListBoxTest, ClicksAndArrowsSelectAndFireOnClick) {
  ScriptedUser()
      .ClickAt("lbFields", Line(2))
      .Press(VK_DOWN)
      .Press(VK_DOWN)  // on the last line: no change
      .Press(VK_HOME)
      .Type("p")  // the next line beginning with "p"? lines begin with a space: none
      .CloseWindow();
  form->ShowModal();
  EXPECT_EQ(clicks, (std::vector<int>{2, 3, 0}));
  EXPECT_EQ(lb->ItemIndex(), 0);
  EXPECT_TRUE(lb->Selected(0));
  EXPECT_EQ(lb->SelCount(), 1);
  lb->SetItemIndex(1);  // code: no OnClick
  EXPECT_EQ(clicks.size(), 3u);
  EXPECT_THROW(lb->SetItemIndex(4), EListError);
}

// The lines may change inside an update bracket of the items, before the list box hears
// of it: it selects, reads and draws the lines as they are meanwhile.
TEST_F(ListBoxTest, LinesChangedInsideAnUpdateBracketAreSelectableAtOnce) {
  lb->SetItemIndex(3);
  lb->Items()->BeginUpdate();
  lb->Items()->Add(" 4 - Fax");
  lb->SetItemIndex(4);
  EXPECT_TRUE(lb->Selected(4));
  lb->Items()->Delete(4);
  lb->Items()->Delete(3);
  EXPECT_EQ(lb->ItemIndex(), -1);
  EXPECT_EQ(lb->SelCount(), 0);
  lb->SetMultiSelect(true);
  lb->SetSelected(2, true);
  lb->Repaint();
  lb->Items()->EndUpdate();
  EXPECT_EQ(lb->SelCount(), 1);
  EXPECT_TRUE(lb->Selected(2));
}

TEST_F(ListBoxTest, ADoubleClickOnALineFiresOnDblClickOnce) {
  std::vector<int> double_clicks;
  lb->OnDblClick = [&](TObject*) { double_clicks.push_back(lb->ItemIndex()); };
  DoubleClickAt(lb, Line(1).X, Line(1).Y);
  EXPECT_EQ(double_clicks, std::vector<int>{1});
  EXPECT_EQ(lb->ItemIndex(), 1);
  EXPECT_EQ(clicks, std::vector<int>{1}) << "the first press selected the line; the second adds no OnClick";
  // Below the last line there is nothing to act on.
  DoubleClickAt(lb, 20, 120);
  EXPECT_EQ(double_clicks.size(), 1u);
  DoubleClickAt(lb, Line(3).X, Line(3).Y);
  EXPECT_EQ(double_clicks, (std::vector<int>{1, 3}));
}

TEST_F(ListBoxTest, MultiSelectExtendsWithShiftAndTogglesWithCtrl) {
  lb->SetMultiSelect(true);
  form->Show();
  ClickAt(lb, Line(0).X, Line(0).Y);
  ClickAt(lb, Line(2).X, Line(2).Y, {ssShift});
  EXPECT_EQ(lb->SelCount(), 3);
  ClickAt(lb, Line(1).X, Line(1).Y, {ssCtrl});
  EXPECT_FALSE(lb->Selected(1));
  EXPECT_EQ(lb->SelCount(), 2);
  EXPECT_EQ(lb->ItemIndex(), 1);
}

TEST_F(ListBoxTest, DraggingALineDropsItOnTheLineBelowTheMouse) {
  lb->SetDragMode(dmAutomatic);
  std::vector<TDragState> states;
  lb->OnDragOver = [&](TObject*, TObject* source, int, int, TDragState state, bool& accept) {
    states.push_back(state);
    accept = source == lb;
  };
  int dropped_on = -2;
  lb->OnDragDrop = [&](TObject*, TObject* source, int x, int y) {
    auto* from = dynamic_cast<TListBox*>(source);
    int target = lb->ItemAtPos({x, y}, false);
    if (target == lb->Items()->Count()) target = lb->Items()->Count() - 1;
    lb->Items()->Move(from->ItemIndex(), target);
    dropped_on = target;
  };
  TObject* end_target = nullptr;
  lb->OnEndDrag = [&](TObject*, TObject* target, int, int) { end_target = target; };

  ScriptedUser().Drag("lbFields", Line(0), "lbFields", Line(2)).CloseWindow();
  form->ShowModal();

  EXPECT_EQ(dropped_on, 2);
  EXPECT_EQ(lb->Items()->ToVector(),
            (std::vector<std::string>{" 1 - Company", " 2 - City", " 0 - CustNo", " 3 - Phone"}));
  EXPECT_EQ(end_target, lb);
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.front(), dsDragEnter);
  EXPECT_EQ(states.back(), dsDragMove);
  EXPECT_EQ(clicks, (std::vector<int>{0}));  // the press selected the dragged line
  EXPECT_FALSE(lb->Dragging());
  EXPECT_FALSE(lb->MouseCapture());
}

TEST_F(ListBoxTest, DraggingBelowTheLastLineMovesTheItemToTheEnd) {
  lb->SetDragMode(dmAutomatic);
  lb->OnDragOver = [&](TObject*, TObject*, int, int, TDragState, bool&) {};
  lb->OnDragDrop = [&](TObject*, TObject*, int x, int y) {
    int target = lb->ItemAtPos({x, y}, false);
    if (target == lb->Items()->Count()) target = lb->Items()->Count() - 1;
    lb->Items()->Move(lb->ItemIndex(), target);
  };
  ScriptedUser().Drag("lbFields", Line(1), "lbFields", {20, 150}).CloseWindow();
  form->ShowModal();
  EXPECT_EQ(lb->Items()->Strings(3), " 1 - Company");
}

TEST_F(ListBoxTest, DropOnAControlThatRefusesEndsWithoutTarget) {
  lb->SetDragMode(dmAutomatic);
  Place<TButton>(form.get(), form.get(), "buAdd", Bounds(250, 8, 89, 21));
  bool dropped = false;
  lb->OnDragDrop = [&](TObject*, TObject*, int, int) { dropped = true; };
  bool ended = false;
  TObject* end_target = lb;
  lb->OnEndDrag = [&](TObject*, TObject* target, int, int) {
    ended = true;
    end_target = target;
  };
  ScriptedUser().Drag("lbFields", Line(0), "buAdd", {5, 5}).CloseWindow();
  form->ShowModal();
  EXPECT_FALSE(dropped);
  EXPECT_TRUE(ended);
  EXPECT_EQ(end_target, nullptr);
}

TEST_F(ListBoxTest, APressWithoutMovingIsAClickNotADrag) {
  lb->SetDragMode(dmAutomatic);
  bool ended = false;
  lb->OnEndDrag = [&](TObject*, TObject*, int, int) { ended = true; };
  ScriptedUser().ClickAt("lbFields", Line(3)).CloseWindow();
  form->ShowModal();
  EXPECT_EQ(lb->ItemIndex(), 3);
  EXPECT_FALSE(ended);
  EXPECT_FALSE(lb->MouseCapture());
}

// --- TPageControl ---

class PageControlTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    pc = Place<TPageControl>(form.get(), form.get(), "pcOptions", Bounds(0, 0, 400, 260));
    for (const char* name : {"tsDefault", "tsField"}) {
      auto* ts = new TTabSheet(form.get());
      ts->SetName(name);
      ts->SetCaption(std::string(name).substr(2));
      ts->SetPageControl(pc);
      sheets.push_back(ts);
      checks.push_back(Place<TCheckBox>(form.get(), ts, std::string("cb") + name, Bounds(8, 8, 120, 17)));
    }
    pc->OnChanging = [this](TObject*, bool& allow) {
      events.push_back("changing");
      allow = allow_change;
    };
    pc->OnChange = [this](TObject*) { events.push_back("change " + pc->ActivePage()->Name()); };
  }
  TPageControl* pc = nullptr;
  std::vector<TTabSheet*> sheets;
  std::vector<TCheckBox*> checks;
  std::vector<std::string> events;
  bool allow_change = true;
};

TEST_F(PageControlTest, FirstPageShowsAndCodeSwitchesWithoutEvents) {
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
  EXPECT_TRUE(sheets[0]->Visible());
  EXPECT_FALSE(sheets[1]->Visible());
  pc->SetActivePage(sheets[1]);
  EXPECT_EQ(pc->TabIndex(), 1);
  EXPECT_FALSE(sheets[0]->Visible());
  EXPECT_TRUE(sheets[1]->Visible());
  pc->SetTabIndex(0);
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
  EXPECT_TRUE(events.empty());
  TTabSheet stray(nullptr);
  EXPECT_THROW(pc->SetActivePage(&stray), EInvalidOperation);
}

TEST_F(PageControlTest, ClickingATabSwitchesPagesUnlessOnChangingRefuses) {
  const TRect tab = pc->TabRect(1);
  const TPoint at{(tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2};
  ScriptedUser()
      .ClickAt("pcOptions", at)
      .Run([this](TForm&) { allow_change = false; })
      .ClickAt("pcOptions", {pc->TabRect(0).Left + 3, 5})
      .CloseWindow();
  form->ShowModal();
  EXPECT_EQ(pc->ActivePage(), sheets[1]);
  EXPECT_EQ(events, (std::vector<std::string>{"changing", "change tsField", "changing"}));
}

TEST_F(PageControlTest, CtrlTabTurnsPagesAndTheFocusFollows) {
  ScriptedUser()
      .Focus("cbtsDefault")
      .Press(VK_TAB, {ssCtrl})
      .Run([this](TForm&) { EXPECT_EQ(GetFocus(), checks[1]); })
      .Press(VK_TAB, {ssCtrl, ssShift})
      .CloseWindow();
  form->ShowModal();
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
  EXPECT_EQ(events, (std::vector<std::string>{"changing", "change tsField", "changing",
                                              "change tsDefault"}));
}

TEST_F(PageControlTest, PagesFillTheAreaBelowTheTabsOrAllOfItWithoutTabs) {
  const int tab_height = pc->TabHeight();
  EXPECT_GT(tab_height, 0);
  EXPECT_EQ(sheets[0]->Top(), tab_height + 4);
  EXPECT_EQ(sheets[0]->Width(), pc->ClientWidth() - 8);
  for (TTabSheet* ts : sheets) ts->SetTabVisible(false);
  EXPECT_EQ(pc->TabHeight(), 0);
  EXPECT_EQ(sheets[0]->Top(), 4);
  EXPECT_EQ(pc->TabIndex(), -1);
}

TEST_F(PageControlTest, RemovingTheActivePageShowsTheNext) {
  delete sheets[0];
  EXPECT_EQ(pc->PageCount(), 1);
  EXPECT_EQ(pc->ActivePage(), sheets[1]);
  EXPECT_TRUE(sheets[1]->Visible());
}

// --- Group box and bevel ---

TEST_F(ControlsTest, GroupBoxPlacesItsControlsBelowTheCaption) {
  auto* gb = Place<TGroupBox>(form.get(), form.get(), "gbCompareOptions", Bounds(8, 8, 200, 120));
  gb->SetCaption("Compare Options");
  auto* inner = Place<TCheckBox>(form.get(), gb, "cbInner", Bounds(0, 0, 50, 17));
  inner->SetAlign(alTop);
  TCanvas canvas;
  canvas.SetFont(gb->Font());
  EXPECT_EQ(inner->Top(), canvas.TextHeight("0") + 2);
  EXPECT_EQ(inner->Left(), 2);
  EXPECT_EQ(inner->Width(), 196);
}

TEST_F(ControlsTest, BevelLineIsPaintedAsADarkAndALightLine) {
  auto* bevel = Place<TBevel>(form.get(), form.get(), "Bevel1", Bounds(0, 165, 105, 2));
  bevel->SetShape(bsTopLine);
  form->Show();
  form->PaintAll();
  int lines = 0;
  for (const TCanvasOp& op : form->Surface().ops) {
    if (op.kind == TCanvasOpKind::Line) ++lines;
  }
  EXPECT_GE(lines, 2);
}

// --- Registration and the form description ---

TEST_F(ControlsTest, FormDescriptionCreatesRegisteredControlsAndBindsHandlers) {
  RegisterFormClasses();
  TForm described(nullptr);
  int ok_clicks = 0;
  described.RegisterMethod("bbOkClick", TNotifyEvent::Handler([&](TObject*) { ++ok_clicks; }));
  described.ReadDescription(R"(object fmValues: TForm
  Caption = 'Values, Comments'
  BorderStyle = bsDialog
  ClientHeight = 127
  ClientWidth = 284
  Position = poScreenCenter
  object bbOk: TBitBtn
    Left = 60
    Top = 96
    Width = 75
    Height = 25
    Kind = bkOK
    OnClick = bbOkClick
  end
  object cbSorted: TCheckBox
    Left = 8
    Top = 8
    Caption = 'Sorted'
  end
end
)");
  EXPECT_EQ(described.Name(), "fmValues");
  EXPECT_EQ(described.ClientWidth(), 284);
  EXPECT_EQ(described.Height() - described.ClientHeight(), 25);
  auto* bbOk = dynamic_cast<TBitBtn*>(described.FindComponent("bbOk"));
  ASSERT_NE(bbOk, nullptr);
  EXPECT_EQ(bbOk->Parent(), &described);
  EXPECT_TRUE(bbOk->Default());
  ScriptedUser().Press(VK_RETURN);
  EXPECT_EQ(described.ShowModal(), mrOk);
  EXPECT_EQ(ok_clicks, 1);
  EXPECT_EQ(described.Left(), (1024 - 290) / 2);
}

}  // namespace
}  // namespace vantor
