// Forms: modal runs driven by the scripted user, the close protocol, default and cancel
// buttons, focus order, placement on the screen and the frame, activation, key preview.

#include <vantor/platform/ui/form.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/ui_classes.h>
#include <vantor/platform/ui/check_box.h>
#include <vantor/platform/ui/combo_box.h>
#include "platform/ui/form_fixture.h"
#include "support/form_stream.h"

namespace vantor {
namespace {

using testing::HeadlessTest;

// A small dialog built in code: an editable name box, a check box, OK and Cancel.
class TNameDialog : public TForm {
 public:
  explicit TNameDialog(TComponent* owner) : TForm(owner) {
    SetName("fmName");
    SetCaption("Name");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(300);
    SetClientHeight(120);
    edName = Add<TComboBox>("edName", 8, 8);
    cbFlag = Add<TCheckBox>("cbFlag", 8, 40);
    bbOk = Add<TBitBtn>("bbOk", 130, 88);
    bbOk->SetKind(bkOK);
    bbCancel = Add<TBitBtn>("bbCancel", 214, 88);
    bbCancel->SetKind(bkCancel);
  }

  template <typename C>
  C* Add(const std::string& name, int left, int top) {
    auto* c = new C(this);
    c->SetName(name);
    c->SetParent(this);
    c->SetLeft(left);
    c->SetTop(top);
    return c;
  }

  TComboBox* edName;
  TCheckBox* cbFlag;
  TBitBtn* bbOk;
  TBitBtn* bbCancel;
};

class FormTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    form.reset(NewForm<TNameDialog>(nullptr));
  }
  void TearDown() override {
    form.reset();
    HeadlessTest::TearDown();
  }
  std::unique_ptr<TNameDialog> form;
};

// --- Modal runs ---

TEST_F(FormTest, ScriptedModalRunTypesIntoEditAndClosesWithOkAfterCloseQueryRefusesOnce) {
  std::vector<std::string> log;
  int queries = 0;
  form->edName->OnExit = [&](TObject*) { log.push_back("exit " + form->edName->Text()); };
  form->OnCloseQuery = [&](TObject*, bool& can_close) {
    ++queries;
    log.push_back("query " + std::to_string(form->ModalResult()));
    can_close = queries > 1;
  };
  form->OnClose = [&](TObject*, TCloseAction& action) {
    log.push_back("close");
    EXPECT_EQ(action, caHide);
  };
  ScriptedUser().TypeInto("edName", "Smith").Click("bbOk").Click("bbOk");

  EXPECT_EQ(form->ShowModal(), mrOk);

  EXPECT_EQ(form->edName->Text(), "Smith");
  EXPECT_EQ(queries, 2);
  // Leaving the edit (the click focuses OK) runs before the close is asked for.
  EXPECT_EQ(log, (std::vector<std::string>{"exit Smith", "query 1", "query 1", "close"}));
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(form->Modal());
  EXPECT_TRUE(ScriptedUser().Empty());
}

TEST_F(FormTest, EscapeClicksTheCancelButton) {
  ScriptedUser().TypeInto("edName", "abc").Press(VK_ESCAPE);
  EXPECT_EQ(form->ShowModal(), mrCancel);
}

TEST_F(FormTest, EnterClicksTheDefaultButtonWhileAnotherControlHasTheFocus) {
  int clicks = 0;
  form->bbOk->OnClick = [&](TObject*) { ++clicks; };
  ScriptedUser().Focus("cbFlag").Press(VK_RETURN);
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_EQ(clicks, 1);
}

TEST_F(FormTest, EnterGoesToAControlThatWantsItAndToTheFocusedButton) {
  // An open drop-down list claims Enter (it closes the list); the next Enter is the form's.
  ScriptedUser().Focus("edName").Press(VK_F4).Press(VK_RETURN).Run([](TForm& f) {
    EXPECT_EQ(f.ModalResult(), mrNone);
  });
  // With Cancel focused, Enter clicks Cancel: the focused button is the active one.
  ScriptedUser().Focus("bbCancel").Press(VK_RETURN);
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_FALSE(form->edName->DroppedDown());
}

TEST_F(FormTest, DefaultButtonIsActiveOnlyWhileNoOtherButtonHasTheFocus) {
  ScriptedUser()
      .Run([this](TForm&) {
        EXPECT_TRUE(form->bbOk->Active());
        EXPECT_FALSE(form->bbCancel->Active());
      })
      .Focus("bbCancel")
      .Run([this](TForm&) {
        EXPECT_FALSE(form->bbOk->Active());
        EXPECT_TRUE(form->bbCancel->Active());
      })
      .Focus("cbFlag")
      .Run([this](TForm&) { EXPECT_TRUE(form->bbOk->Active()); })
      .Press(VK_ESCAPE);
  EXPECT_EQ(form->ShowModal(), mrCancel);
}

TEST_F(FormTest, ShowModalWithoutScriptRaisesAndLeavesTheFormHidden) {
  try {
    form->ShowModal();
    FAIL() << "ShowModal returned without input";
  } catch (const EInvalidOperation& e) {
    EXPECT_NE(std::string(e.what()).find("modal form fmName has no scripted input left"),
              std::string::npos);
  }
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(form->Modal());
  EXPECT_EQ(Application->ModalLevel(), 0);
  // The form can run again afterwards.
  ScriptedUser().Press(VK_ESCAPE);
  EXPECT_EQ(form->ShowModal(), mrCancel);
}

TEST_F(FormTest, ShowModalRefusesAVisibleForm) {
  form->Show();
  EXPECT_THROW(form->ShowModal(), EInvalidOperation);
}

TEST_F(FormTest, CloseBoxAndCloseGiveCancelInAModalRun) {
  ScriptedUser().CloseWindow();
  EXPECT_EQ(form->ShowModal(), mrCancel);
  ScriptedUser().Run([](TForm& f) { f.Close(); });
  EXPECT_EQ(form->ShowModal(), mrCancel);
}

TEST_F(FormTest, OnCloseWithCaNoneKeepsTheModalFormOpen) {
  int closes = 0;
  form->OnClose = [&](TObject*, TCloseAction& action) {
    if (++closes == 1) action = caNone;
  };
  ScriptedUser().Click("bbOk").Run([](TForm& f) { EXPECT_TRUE(f.Visible()); }).Click("bbCancel");
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(closes, 2);
}

TEST_F(FormTest, ErrorInAHandlerIsReportedAndTheModalFormStaysOpen) {
  form->bbOk->OnClick = [](TObject*) { throw EConvertError("'x' is not a valid integer value"); };
  ScriptedUser().Click("bbOk").Press(VK_ESCAPE);
  EXPECT_EQ(form->ShowModal(), mrCancel);
  ASSERT_EQ(Application->MessageBoxes().size(), 1u);
  EXPECT_EQ(Application->MessageBoxes()[0].kind, mkException);
  EXPECT_EQ(Application->MessageBoxes()[0].text, "'x' is not a valid integer value.");
}

TEST_F(FormTest, ErrorInCloseQueryKeepsTheFormOpenAsTheHostDoes) {
  int queries = 0;
  form->OnCloseQuery = [&](TObject*, bool&) {
    if (++queries == 1) throw EConvertError("bad margin");
  };
  ScriptedUser().Click("bbOk").Click("bbOk");
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_EQ(queries, 2);
  EXPECT_EQ(Application->MessageBoxes().at(0).text, "bad margin.");
}

TEST_F(FormTest, MessageBoxInAHandlerTakesTheScriptedAnswer) {
  TModalResult answer = mrNone;
  form->bbOk->SetModalResult(mrNone);
  form->bbOk->OnClick = [&](TObject*) {
    answer = MessageDlg("Delete existing fields?", mtConfirmation, mbYesNoCancel, 7);
  };
  ScriptedUser().Click("bbOk").Answer(mrNo).Press(VK_ESCAPE);
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(answer, mrNo);
  ASSERT_EQ(Application->MessageBoxes().size(), 1u);
  const TMessageBoxRecord& box = Application->MessageBoxes()[0];
  EXPECT_EQ(box.kind, mkMessageDlg);
  EXPECT_EQ(box.caption, "Confirm");
  EXPECT_EQ(box.text, "Delete existing fields?");
  EXPECT_EQ(box.buttons, mbYesNoCancel);
  EXPECT_EQ(box.help_context, 7);
  EXPECT_EQ(box.result, mrNo);
}

TEST_F(FormTest, MessageBoxWithoutAnswerEndsTheRunWithAScriptError) {
  form->bbOk->OnClick = [](TObject*) { MessageDlg("Sure?", mtConfirmation, {mbYes, mbNo}, 0); };
  ScriptedUser().Click("bbOk");
  EXPECT_THROW(form->ShowModal(), EScriptError);
  EXPECT_FALSE(form->Visible());
}

TEST_F(FormTest, ScriptStepsThatDoNotFitRaiseScriptErrors) {
  ScriptedUser().Click("buMissing");
  EXPECT_THROW(form->ShowModal(), EScriptError);
  ScriptedUser().Clear();
  ScriptedUser().Answer(mrYes);  // no box shows
  EXPECT_THROW(form->ShowModal(), EScriptError);
  ScriptedUser().Clear();
  form->bbOk->OnClick = [](TObject*) { MessageDlg("Sure?", mtConfirmation, {mbYes, mbNo}, 0); };
  ScriptedUser().Click("bbOk").Answer(mrCancel);  // no Cancel button on that box
  EXPECT_THROW(form->ShowModal(), EScriptError);
  ScriptedUser().Clear();
}

TEST_F(FormTest, ClickOnADisabledControlDoesNothing) {
  form->bbOk->SetEnabled(false);
  ScriptedUser().Click("bbOk").Press(VK_RETURN).Press(VK_ESCAPE);
  // Neither the click nor Enter reaches the disabled default button.
  EXPECT_EQ(form->ShowModal(), mrCancel);
}

// --- Focus ---

TEST_F(FormTest, TabAndShiftTabMoveTheFocusInTabOrderWithEnterAndExit) {
  std::vector<std::string> log;
  for (TWinControl* c : std::vector<TWinControl*>{form->edName, form->cbFlag, form->bbOk, form->bbCancel}) {
    c->OnEnter = [&log, c](TObject*) { log.push_back("enter " + c->Name()); };
    c->OnExit = [&log, c](TObject*) { log.push_back("exit " + c->Name()); };
  }
  std::vector<std::string> focus;
  auto note = [&focus](TForm& f) { focus.push_back(f.ActiveControl()->Name()); };
  ScriptedUser()
      .Run(note)
      .Press(VK_TAB)
      .Run(note)
      .Press(VK_TAB)
      .Run(note)
      .Press(VK_TAB)
      .Run(note)
      .Press(VK_TAB)  // wraps round
      .Run(note)
      .Press(VK_TAB, {ssShift})
      .Run(note)
      .Press(VK_ESCAPE);
  form->ShowModal();
  EXPECT_EQ(focus, (std::vector<std::string>{"edName", "cbFlag", "bbOk", "bbCancel", "edName", "bbCancel"}));
  EXPECT_EQ(log[0], "enter edName");
  EXPECT_EQ(log[1], "exit edName");
  EXPECT_EQ(log[2], "enter cbFlag");
}

TEST_F(FormTest, TabOrderFollowsSetTabOrderAndSkipsNonTabStops) {
  form->bbCancel->SetTabOrder(0);
  form->cbFlag->SetTabStop(false);
  std::vector<std::string> focus;
  auto note = [&focus](TForm& f) { focus.push_back(f.ActiveControl()->Name()); };
  ScriptedUser().Run(note).Press(VK_TAB).Run(note).Press(VK_TAB).Run(note).Press(VK_ESCAPE);
  form->ShowModal();
  EXPECT_EQ(focus, (std::vector<std::string>{"bbCancel", "edName", "bbOk"}));
}

TEST_F(FormTest, ActiveControlSetBeforeShowingGetsTheFocus) {
  form->SetActiveControl(form->bbCancel);
  ScriptedUser().Run([](TForm& f) {
    EXPECT_EQ(GetFocus(), f.ActiveControl());
    EXPECT_EQ(Screen->ActiveControl(), f.ActiveControl());
  }).Press(VK_RETURN);
  EXPECT_EQ(form->ShowModal(), mrCancel);
}

TEST_F(FormTest, ActiveControlRefusesControlsElsewhereAndHiddenOnes) {
  TNameDialog other(nullptr);
  EXPECT_THROW(form->SetActiveControl(other.bbOk), EInvalidOperation);
  form->cbFlag->SetVisible(false);
  EXPECT_THROW(form->SetActiveControl(form->cbFlag), EInvalidOperation);
  EXPECT_EQ(form->ActiveControl(), nullptr);
}

TEST_F(FormTest, FreeingTheActiveControlClearsIt) {
  form->Show();
  form->bbCancel->SetFocus();
  EXPECT_EQ(form->ActiveControl(), form->bbCancel);
  delete form->bbCancel;
  form->bbCancel = nullptr;
  EXPECT_EQ(form->ActiveControl(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

// A control that moves to another form takes the form's focus bookkeeping with it:
// activating the form it left focuses a control of that form again.
TEST_F(FormTest, MovingTheActiveControlToAnotherFormTakesItOffThisOne) {
  form->Show();
  form->bbCancel->SetFocus();
  TNameDialog other(nullptr);
  form->bbCancel->SetParent(&other);
  EXPECT_EQ(form->ActiveControl(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  form->SetFocus();
  EXPECT_TRUE(form->ContainsControl(GetFocus()));
}

TEST_F(FormTest, KeyPreviewLetsTheFormSeeAndConsumeKeysFirst) {
  form->SetKeyPreview(true);
  std::vector<std::string> keys;
  form->OnKeyPress = [&](TObject*, char32_t& key) {
    keys.push_back("form " + std::string(1, static_cast<char>(key)));
    if (key == U'x') key = 0;  // swallowed before the edit sees it
  };
  form->edName->OnKeyPress = [&](TObject*, char32_t& key) {
    keys.push_back("edit " + std::string(1, static_cast<char>(key)));
  };
  ScriptedUser().TypeInto("edName", "axb").Press(VK_ESCAPE);
  form->ShowModal();
  EXPECT_EQ(form->edName->Text(), "ab");
  EXPECT_EQ(keys, (std::vector<std::string>{"form a", "edit a", "form x", "form b", "edit b"}));
}

// --- Placement and frame ---

TEST_F(FormTest, DialogFrameMetricsComeFromTheSystemMetrics) {
  EXPECT_EQ(form->Width() - form->ClientWidth(), 2 * GetSystemMetrics(SM_CXDLGFRAME));
  EXPECT_EQ(form->Height() - form->ClientHeight(),
            GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYDLGFRAME));
  EXPECT_EQ(form->Width(), 306);
  EXPECT_EQ(form->Height(), 145);
  // The client area keeps its size when the frame changes.
  form->SetBorderStyle(bsSizeable);
  EXPECT_EQ(form->ClientWidth(), 300);
  EXPECT_EQ(form->Width(), 308);
  EXPECT_EQ(form->Height(), 120 + 19 + 8);
  form->SetBorderStyle(bsToolWindow);
  EXPECT_EQ(form->Height(), 120 + 15 + 6);
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  EXPECT_EQ(form->Width(), 300);
  EXPECT_EQ(form->Height(), 120);
}

TEST_F(FormTest, ScreenCenterPlacesTheFormWhenItShows) {
  form->Show();
  EXPECT_EQ(form->Left(), (1024 - 306) / 2);
  EXPECT_EQ(form->Top(), (768 - 145) / 2);
  EXPECT_EQ(form->Left(), 359);
  EXPECT_EQ(form->Top(), 311);
  EXPECT_EQ(form->ClientOrigin(), (TPoint{362, 333}));
  form->Hide();
  Screen->SetWidth(800);
  Screen->SetHeight(600);
  form->Show();
  EXPECT_EQ(form->Left(), 247);
  EXPECT_EQ(form->Top(), 227);
}

TEST_F(FormTest, AFormLargerThanTheScreenIsPlacedAtTheTopLeft) {
  Screen->SetWidth(200);
  Screen->SetHeight(100);
  form->Show();
  EXPECT_EQ(form->Left(), 0);
  EXPECT_EQ(form->Top(), 0);
}

TEST_F(FormTest, AFormThatCentresItselfAfterGrowingFollowsTheScreenCentreRule) {
  // As a dialog does when its fields need more room: it takes its new size while it
  // shows and centres itself again. Too wide for the screen it stays at the left edge,
  // and is still centred in the other direction.
  form->Show();
  form->SetBounds(form->Left(), form->Top(), 1300, 500);
  form->CenterOnScreen();
  EXPECT_EQ(form->BoundsRect(), Bounds(0, (768 - 500) / 2, 1300, 500));
  form->SetBounds(form->Left(), form->Top(), 400, 900);
  form->CenterOnScreen();
  EXPECT_EQ(form->BoundsRect(), Bounds((1024 - 400) / 2, 0, 400, 900));
  // The same place a form of that size gets from poScreenCenter when it shows.
  TNameDialog other(nullptr);
  other.SetBounds(0, 0, 400, 900);
  other.Show();
  EXPECT_EQ(other.BoundsRect(), form->BoundsRect());
}

TEST_F(FormTest, DesignedPositionStaysAndDefaultPositionCascades) {
  form->SetPosition(poDesigned);
  form->SetBounds(10, 20, 306, 145);
  form->Show();
  EXPECT_EQ(form->Left(), 10);
  TNameDialog second(nullptr);
  second.SetPosition(poDefaultPosOnly);
  second.Show();
  EXPECT_EQ(second.Left(), 19 + 4);  // one window already shows
  EXPECT_EQ(second.Width(), 306);    // the size stays
}

// --- Showing, activation, events ---

TEST_F(FormTest, EventsRunInTheHostOrderAroundAModalRun) {
  std::vector<std::string> log;
  auto note = [&log](const char* what) { return [&log, what](TObject*) { log.push_back(what); }; };
  auto form2 = std::unique_ptr<TNameDialog>(new TNameDialog(nullptr));
  form2->OnCreate = note("create");
  form2->OnShow = note("show");
  form2->OnActivate = note("activate");
  form2->OnDeactivate = note("deactivate");
  form2->OnHide = note("hide");
  form2->OnDestroy = note("destroy");
  form2->OnCloseQuery = [&log](TObject*, bool&) { log.push_back("closequery"); };
  form2->OnClose = [&log](TObject*, TCloseAction&) { log.push_back("close"); };
  ScriptedUser().Press(VK_RETURN);
  form2->ShowModal();  // never announced: OnCreate comes before it first shows
  form2.reset();
  EXPECT_EQ(log, (std::vector<std::string>{"create", "show", "activate", "closequery", "close",
                                           "deactivate", "hide", "destroy"}));
}

// A window whose handler fails when it takes input again after a modal run.
class TTouchyForm : public TForm {
 public:
  using TForm::TForm;
  void WndProc(TMessage& m) override {
    TForm::WndProc(m);
    if (m.Msg == CM_ENABLEDCHANGED && Enabled()) throw EInvalidOperation("Touchy window refused");
  }
};

TEST_F(FormTest, WindowsComingBackAfterAModalRunReportTheirErrors) {
  TTouchyForm main(nullptr);
  main.SetName("fmMain");
  main.Show();
  // The run ends normally: the failure is reported as a message loop reports it, the
  // window takes input again and the modal result comes back.
  ScriptedUser().Click("bbOk");
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_TRUE(main.Enabled());
  EXPECT_TRUE(main.Active());
  ASSERT_EQ(Application->MessageBoxes().size(), 1u);
  EXPECT_EQ(Application->MessageBoxes()[0].kind, mkException);
  EXPECT_EQ(Application->MessageBoxes()[0].text, "Touchy window refused.");
  // The run is left by an error (the script runs out): that error reaches the caller,
  // and the window's own failure on the way out does not end the program.
  Application->ClearMessageBoxes();
  EXPECT_THROW(form->ShowModal(), EScriptError);
  EXPECT_FALSE(form->Visible());
  EXPECT_TRUE(main.Enabled());
  EXPECT_EQ(Application->ModalLevel(), 0);
}

TEST_F(FormTest, OnCreateRunsOnceFromNewForm) {
  int created = 0;
  struct TCounting : TForm {
    TCounting(TComponent* owner, int& n) : TForm(owner) {
      OnCreate = [&n](TObject*) { ++n; };
    }
  };
  std::unique_ptr<TCounting> f(NewForm<TCounting>(nullptr, created));
  EXPECT_EQ(created, 1);
  f->Show();
  f->AfterConstruction();
  EXPECT_EQ(created, 1);
}

TEST_F(FormTest, NestedModalFormReactivatesTheOuterFormWhenItCloses) {
  TNameDialog inner(nullptr);
  inner.SetName("fmInner");
  int outer_activations = 0;
  form->OnActivate = [&](TObject*) { ++outer_activations; };
  form->bbOk->SetModalResult(mrNone);
  form->bbOk->OnClick = [&](TObject*) {
    EXPECT_EQ(inner.ShowModal(), mrOk);
    EXPECT_EQ(Screen->ActiveForm(), form.get());
  };
  // The inner run takes the steps it needs; the outer run continues with the rest.
  ScriptedUser()
      .Click("bbOk")
      .Run([&](TForm& f) {
        EXPECT_EQ(&f, &inner);
        EXPECT_FALSE(form->Enabled());  // the outer form takes no input meanwhile
      })
      .TypeInto("fmInner.edName", "inner")
      .Press(VK_RETURN)
      .Press(VK_ESCAPE);
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(inner.edName->Text(), "inner");
  EXPECT_EQ(outer_activations, 2);
  EXPECT_TRUE(form->Enabled());
}

TEST_F(FormTest, ScreenTracksActiveFormAndHidingActivatesThePreviousOne) {
  TNameDialog second(nullptr);
  second.SetName("fmSecond");
  form->Show();
  EXPECT_EQ(Screen->ActiveForm(), form.get());
  EXPECT_TRUE(form->Active());
  second.Show();
  EXPECT_EQ(Screen->ActiveForm(), &second);
  EXPECT_FALSE(form->Active());
  second.Hide();
  EXPECT_EQ(Screen->ActiveForm(), form.get());
  EXPECT_EQ(Screen->FindForm("FMSECOND"), &second);
  form->Hide();
  EXPECT_EQ(Screen->ActiveForm(), nullptr);
}

TEST_F(FormTest, CloseOfAShownFormHidesOrFreesItAsOnCloseSays) {
  form->Show();
  form->Close();
  EXPECT_FALSE(form->Visible());

  bool destroyed = false;
  auto* freed = new TNameDialog(nullptr);
  freed->OnDestroy = [&](TObject*) { destroyed = true; };
  freed->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
  freed->Show();
  freed->Close();
  EXPECT_FALSE(destroyed);  // released: freed once the pending messages are handled
  Application->ProcessMessages();
  EXPECT_TRUE(destroyed);
}

TEST_F(FormTest, CloseQueryRefusalKeepsAShownFormVisible) {
  form->OnCloseQuery = [](TObject*, bool& can_close) { can_close = false; };
  form->Show();
  form->Close();
  EXPECT_TRUE(form->Visible());
}

TEST_F(FormTest, ButtonWithoutModalResultLeavesTheFormOpen) {
  auto* buApply = form->Add<TButton>("buApply", 8, 88);
  int applied = 0;
  buApply->OnClick = [&](TObject*) { ++applied; };
  ScriptedUser().Click("buApply").Click("buApply").Press(VK_ESCAPE);
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(applied, 2);
}

}  // namespace
TEST(FormText, NamedColoursCursorsAndCharsetsReadAndWriteByName) {
  // As form files of other tools hold them: system and plain colours, cursors and
  // character sets by name, a colour by number.
  RegisterUiClasses();
  RegisterFormClasses();
  const std::vector<std::uint8_t> binary = testing_support::FormBytes(
      "object Form1: TForm\n"
      "  Color = clInfoBk\n"
      "  Font.Charset = DEFAULT_CHARSET\n"
      "  Font.Color = clWindowText\n"
      "  object Label1: TLabel\n"
      "    Color = clRed\n"
      "    Cursor = crHandPoint\n"
      "    Font.Charset = RUSSIAN_CHARSET\n"
      "    Font.Color = $00A0B0C0\n"
      "    ParentColor = False\n"
      "  end\n"
      "end\n");
  TForm form(nullptr);
  testing_support::ReadForm(binary, form);
  auto* label = dynamic_cast<TLabel*>(form.FindComponent("Label1"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(form.Color(), clInfoBk);
  EXPECT_EQ(form.Font()->Color(), clWindowText);
  EXPECT_EQ(label->Color(), clRed);
  EXPECT_EQ(label->Font()->Color(), 0x00A0B0C0);
  EXPECT_EQ(label->Cursor(), crHandPoint);
  EXPECT_EQ(form.Font()->Charset(), TFont::kDefaultCharset);
  EXPECT_EQ(label->Font()->Charset(), 204);

  const std::string shown = testing_support::FormText(testing_support::WriteForm(form));
  EXPECT_NE(shown.find("  Color = clInfoBk\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("    Color = clRed\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("    Cursor = crHandPoint\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("    Font.Charset = RUSSIAN_CHARSET\n"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("DEFAULT_CHARSET"), std::string::npos) << "the default is not written" << shown;
  EXPECT_NE(shown.find("    Font.Color = 10531008\n"), std::string::npos) << "no name: the number" << shown;
  // An unknown name is refused with the property named.
  const std::vector<std::uint8_t> bad =
      testing_support::FormBytes("object Form1: TForm\n  Color = clNoSuchColour\nend\n");
  TForm other(nullptr);
  EXPECT_THROW(testing_support::ReadForm(bad, other), EReadError);
}

}  // namespace vantor
