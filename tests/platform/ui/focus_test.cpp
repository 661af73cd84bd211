#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/win_control.h>

namespace vantor {
namespace {

// Records enter/exit notifications and key handling in one shared log.
class Node : public TWinControl {
 public:
  Node(TComponent* owner, TWinControl* parent, std::string name, std::vector<std::string>* log)
      : TWinControl(owner), log_(log) {
    SetName(name);
    SetTabStop(true);
    SetParent(parent);
  }
  intptr_t dlg_code = 0;

 protected:
  void DoEnter() override {
    log_->push_back("enter " + Name());
    TWinControl::DoEnter();
  }
  void DoExit() override {
    log_->push_back("exit " + Name());
    TWinControl::DoExit();
  }
  void DefaultHandler(TMessage& m) override {
    if (m.Msg == WM_KEYDOWN) log_->push_back(Name() + " default keydown " + std::to_string(m.WParam));
    if (m.Msg == WM_CHAR) log_->push_back(Name() + " default char " + std::to_string(m.WParam));
    if (m.Msg == WM_GETDLGCODE) {
      m.Result = dlg_code;
      return;
    }
    TWinControl::DefaultHandler(m);
  }

 private:
  std::vector<std::string>* log_;
};

// The form the controls live on; it logs the dialog keys it gets and moves on with Tab.
// It shows before the controls are put on it, so the focus starts on the form itself.
class Root : public TForm {
 public:
  explicit Root(std::vector<std::string>* log) : TForm(nullptr), log_(log) { Show(); }
  void WndProc(TMessage& m) override {
    if (m.Msg == CM_DIALOGKEY) {
      log_->push_back("dialog key " + std::to_string(m.WParam));
      if (m.WParam == VK_TAB) {
        SelectNext(GetFocus(), !KeyboardShiftState().Contains(ssShift), true);
        m.Result = 1;
      }
      return;
    }
    TForm::WndProc(m);
  }

 private:
  std::vector<std::string>* log_;
};

class FocusTest : public ::testing::Test {
 protected:
  std::vector<std::string> log;
  Root root{&log};
  // root
  //   box1: edit1, edit2
  //   box2: inner: edit3
  Node* box1 = new Node(&root, &root, "box1", &log);
  Node* edit1 = new Node(&root, box1, "edit1", &log);
  Node* edit2 = new Node(&root, box1, "edit2", &log);
  Node* box2 = new Node(&root, &root, "box2", &log);
  Node* inner = new Node(&root, box2, "inner", &log);
  Node* edit3 = new Node(&root, inner, "edit3", &log);
};

TEST_F(FocusTest, FirstFocusEntersFromTheTopDown) {
  edit1->SetFocus();
  EXPECT_TRUE(edit1->Focused());
  EXPECT_EQ(GetFocus(), edit1);
  EXPECT_EQ(log, (std::vector<std::string>{"enter box1", "enter edit1"}));
  EXPECT_EQ(root.EnteredControl(), edit1);
}

TEST_F(FocusTest, MovingWithinAContainerExitsAndEntersOnlyTheEdits) {
  edit1->SetFocus();
  log.clear();
  edit2->SetFocus();
  EXPECT_EQ(log, (std::vector<std::string>{"exit edit1", "enter edit2"}));
}

TEST_F(FocusTest, MovingOutExitsUpToTheCommonAncestorThenEntersDown) {
  edit1->SetFocus();
  log.clear();
  edit3->SetFocus();
  EXPECT_EQ(log, (std::vector<std::string>{"exit edit1", "exit box1", "enter box2", "enter inner",
                                           "enter edit3"}));
  log.clear();
  edit3->SetFocus();  // already there
  EXPECT_TRUE(log.empty());
}

TEST_F(FocusTest, EventsFireWithTheControlAsSender) {
  std::vector<TObject*> senders;
  edit1->OnExit = [&](TObject* s) { senders.push_back(s); };
  edit2->OnEnter = [&](TObject* s) { senders.push_back(s); };
  edit1->SetFocus();
  edit2->SetFocus();
  EXPECT_EQ(senders, (std::vector<TObject*>{edit1, edit2}));
}

TEST_F(FocusTest, AHandlerThatTakesTheFocusBackStopsTheMove) {
  edit1->SetFocus();
  edit1->OnExit = [&](TObject*) { edit1->SetFocus(); };
  log.clear();
  edit3->SetFocus();
  EXPECT_EQ(GetFocus(), edit1);
  EXPECT_EQ(log, (std::vector<std::string>{"exit edit1"}));
  EXPECT_EQ(root.EnteredControl(), edit1);
}

TEST_F(FocusTest, HiddenOrDisabledControlsCannotTakeTheFocus) {
  box2->Hide();
  EXPECT_FALSE(edit3->CanFocus());
  EXPECT_THROW(edit3->SetFocus(), EInvalidOperation);
  box2->Show();
  edit2->SetEnabled(false);
  EXPECT_FALSE(edit2->CanFocus());
  EXPECT_TRUE(edit3->CanFocus());
}

TEST_F(FocusTest, OnlyAControlOnAShowingFormCanTakeTheFocus) {
  // A dialog's inner panel between showings: visible and enabled, but on no form.
  std::vector<std::string> own_log;
  Node panel(nullptr, nullptr, "panel", &own_log);
  Node* field = new Node(&panel, &panel, "field", &own_log);
  EXPECT_FALSE(panel.CanFocus());
  EXPECT_FALSE(field->CanFocus());
  EXPECT_THROW(field->SetFocus(), EInvalidOperation);
  EXPECT_TRUE(own_log.empty());
  // Moved into a form that does not show yet.
  TForm dialog(nullptr);
  panel.SetParent(&dialog);
  EXPECT_FALSE(field->CanFocus());
  dialog.Show();
  EXPECT_TRUE(field->CanFocus());
  field->SetFocus();
  EXPECT_TRUE(field->Focused());
  // Taken out again as the form closes: the focus cannot follow it.
  dialog.Hide();
  EXPECT_FALSE(field->CanFocus());
  panel.SetParent(nullptr);
  EXPECT_FALSE(field->CanFocus());
  EXPECT_FALSE(field->Focused());
  // A disabled form lends its controls no focus either.
  panel.SetParent(&root);
  EXPECT_TRUE(field->CanFocus());
  root.SetEnabled(false);
  EXPECT_FALSE(field->CanFocus());
  root.SetEnabled(true);
  panel.SetParent(nullptr);
}

TEST_F(FocusTest, HidingTheFocusedContainerSendsTheExits) {
  edit3->SetFocus();
  log.clear();
  box2->Hide();
  EXPECT_EQ(log, (std::vector<std::string>{"exit edit3", "exit inner", "exit box2"}));
  EXPECT_EQ(GetFocus(), &root);
}

TEST_F(FocusTest, FreeingTheFocusedControlForgetsItSilently) {
  edit3->SetFocus();
  log.clear();
  delete inner;
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_TRUE(log.empty());
  edit1->SetFocus();
  EXPECT_EQ(log, (std::vector<std::string>{"exit box2", "enter box1", "enter edit1"}));
}

TEST_F(FocusTest, TabOrderFollowsInsertionAndCanBeChanged) {
  EXPECT_EQ(edit1->TabOrder(), 0);
  EXPECT_EQ(edit2->TabOrder(), 1);
  edit2->SetTabOrder(0);
  EXPECT_EQ(edit1->TabOrder(), 1);
  edit2->SetTabOrder(99);  // clamped to the last place
  EXPECT_EQ(edit2->TabOrder(), 1);
  std::vector<TWinControl*> order;
  root.GetTabOrderList(order);
  EXPECT_EQ(order, (std::vector<TWinControl*>{box1, edit1, edit2, box2, inner, edit3}));
}

TEST_F(FocusTest, FindNextControlCyclesOverTabStopsThatCanFocus) {
  box1->SetTabStop(false);
  box2->SetTabStop(false);
  inner->SetTabStop(false);
  EXPECT_EQ(root.FindNextControl(edit1, true, true, false), edit2);
  EXPECT_EQ(root.FindNextControl(edit2, true, true, false), edit3);
  EXPECT_EQ(root.FindNextControl(edit3, true, true, false), edit1);
  EXPECT_EQ(root.FindNextControl(edit1, false, true, false), edit3);
  edit2->SetEnabled(false);
  EXPECT_EQ(root.FindNextControl(edit1, true, true, false), edit3);
  EXPECT_EQ(root.FindNextControl(nullptr, true, true, false), edit1);
}

TEST_F(FocusTest, TabIsADialogKeyUnlessTheControlWantsIt) {
  box1->SetTabStop(false);
  box2->SetTabStop(false);
  inner->SetTabStop(false);
  edit1->SetFocus();
  log.clear();
  SendKey(edit1, VK_TAB);
  EXPECT_EQ(GetFocus(), edit2);
  EXPECT_EQ(log, (std::vector<std::string>{"dialog key 9", "exit edit1", "enter edit2"}));
  SendKey(edit2, VK_TAB, {ssShift});
  EXPECT_EQ(GetFocus(), edit1);

  edit1->dlg_code = DLGC_WANTTAB;
  log.clear();
  SendKey(edit1, VK_TAB);
  EXPECT_EQ(GetFocus(), edit1);
  EXPECT_EQ(log, (std::vector<std::string>{"edit1 default keydown 9", "edit1 default char 9"}));
}

TEST_F(FocusTest, KeyHandlersCanChangeOrCancelTheKey) {
  edit1->OnKeyPress = [](TObject*, char32_t& key) {
    if (key == U'a') key = U'b';
    if (key == U'x') key = 0;
  };
  edit1->OnKeyDown = [](TObject*, std::uint16_t& key, TShiftState) {
    if (key == VK_DELETE) key = 0;
  };
  std::vector<std::string> ups;
  edit1->OnKeyUp = [&](TObject*, std::uint16_t& key, TShiftState shift) {
    ups.push_back(std::to_string(key) + (shift.Contains(ssCtrl) ? " ctrl" : ""));
  };
  TypeText(edit1, "ax");
  SendKey(edit1, VK_DELETE);
  SendKey(edit1, VK_HOME, {ssCtrl});
  EXPECT_EQ(log, (std::vector<std::string>{"edit1 default keydown 65",
                                           "edit1 default char 98",  // a became b
                                           "edit1 default keydown 88",  // x's char was cancelled
                                           "edit1 default keydown 36"}));  // Delete was cancelled
  EXPECT_EQ(ups, (std::vector<std::string>{"65", "88", "46", "36 ctrl"}));
}

TEST_F(FocusTest, TypedCharactersMapToKeysWithTheirShiftState) {
  EXPECT_EQ(KeyToChar('A', {}), U'a');
  EXPECT_EQ(KeyToChar('A', {ssShift}), U'A');
  EXPECT_EQ(KeyToChar('1', {ssShift}), U'!');
  EXPECT_EQ(KeyToChar('C', {ssCtrl}), 3u);
  EXPECT_EQ(KeyToChar(VK_RETURN, {}), 13u);
  EXPECT_EQ(KeyToChar(VK_LEFT, {}), 0u);
  std::vector<TShiftState> shifts;
  edit1->OnKeyDown = [&](TObject*, std::uint16_t&, TShiftState s) { shifts.push_back(s); };
  TypeText(edit1, "aB\xC3\xA9");
  ASSERT_EQ(shifts.size(), 3u);
  EXPECT_FALSE(shifts[0].Contains(ssShift));
  EXPECT_TRUE(shifts[1].Contains(ssShift));
  EXPECT_EQ(log.back(), "edit1 default char 233");  // é arrives as its code point
  EXPECT_TRUE(KeyboardShiftState().Empty());        // restored after delivery
}

}  // namespace
}  // namespace vantor
