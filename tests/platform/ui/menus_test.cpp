// Popup menus: the item tree, popping up on a right click, the scripted user's choice,
// the control's reference to its menu, and menus in the form stream.
#include <vantor/platform/ui/menus.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/form.h>
#include "platform/ui/form_fixture.h"
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/mask_edit.h>
#include <vantor/platform/ui/scrolling_win_control.h>
#include <vantor/platform/ui/speed_button.h>
#include <vantor/platform/ui/ui_classes.h>
#include "support/form_stream.h"

namespace vantor {
namespace {

using testing::HeadlessTest;
using testing_support::FormBytes;
using testing_support::FormText;
using testing_support::ReadForm;
using testing_support::WriteForm;

TMenuItem* NewItem(TComponent* owner, const std::string& caption) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  return item;
}

std::vector<std::string> Captions(const TMenuItem& parent) {
  std::vector<std::string> out;
  for (int i = 0; i < parent.Count(); ++i) out.push_back(parent.Items(i)->Caption());
  return out;
}

std::vector<std::string> PropertyNames(const TypeInfo& info) {
  std::vector<std::string> names;
  for (const PropInfo* p : info.Properties()) names.push_back(p->name);
  return names;
}

// The names from `first` to `last` (inclusive) in the class's published order.
std::vector<std::string> NamesBetween(const TypeInfo& info, const std::string& first, const std::string& last) {
  const std::vector<std::string> names = PropertyNames(info);
  auto b = std::find(names.begin(), names.end(), first);
  auto e = std::find(names.begin(), names.end(), last);
  if (b == names.end() || e == names.end() || e < b) return {};
  return {b, e + 1};
}

// --- The item tree ---

TEST(MenuItems, AddInsertDeleteAndRemoveKeepTheMenuOrder) {
  TComponent owner(nullptr);
  TPopupMenu menu(&owner);
  TMenuItem* root = menu.Items();
  TMenuItem* copy = NewItem(&owner, "&Copy");
  TMenuItem* paste = NewItem(&owner, "&Paste");
  TMenuItem* cut = NewItem(&owner, "Cu&t");
  root->Add(copy);
  root->Add(paste);
  root->Insert(0, cut);
  EXPECT_EQ(Captions(*root), (std::vector<std::string>{"Cu&t", "&Copy", "&Paste"}));
  EXPECT_EQ(root->IndexOf(paste), 2);
  EXPECT_EQ(copy->MenuIndex(), 1);
  EXPECT_EQ(copy->Parent(), root);
  EXPECT_EQ(copy->GetParentMenu(), &menu);

  root->Delete(0);  // out of the list, still owned
  EXPECT_EQ(Captions(*root), (std::vector<std::string>{"&Copy", "&Paste"}));
  EXPECT_EQ(cut->Parent(), nullptr);
  EXPECT_EQ(cut->Owner(), &owner);
  EXPECT_EQ(root->IndexOf(cut), -1);
  root->Remove(copy);
  root->Remove(copy);  // not there any more: nothing happens
  EXPECT_EQ(Captions(*root), (std::vector<std::string>{"&Paste"}));
  root->Insert(1, copy);
  EXPECT_EQ(Captions(*root), (std::vector<std::string>{"&Paste", "&Copy"}));
}

TEST(MenuItems, BadInsertionsAndIndexesAreRefusedAndChangeNothing) {
  TComponent owner(nullptr);
  TPopupMenu menu(&owner);
  TMenuItem* edit = NewItem(&owner, "Edit");
  TMenuItem* undo = NewItem(&owner, "Undo");
  menu.Items()->Add(edit);
  edit->Add(undo);
  EXPECT_THROW(menu.Items()->Add(undo), EMenuError);          // already in a menu
  EXPECT_THROW(undo->Add(edit), EMenuError);                   // already in a menu
  EXPECT_THROW(menu.Items()->Add(menu.Items()), EMenuError);   // a menu's root
  TMenuItem* loose = NewItem(&owner, "Loose");
  EXPECT_THROW(menu.Items()->Insert(5, loose), EMenuError);
  EXPECT_THROW(loose->Add(loose), EMenuError);
  EXPECT_THROW(menu.Items()->Items(1), EMenuError);
  EXPECT_THROW(menu.Items()->Delete(-1), EMenuError);
  EXPECT_EQ(Captions(*menu.Items()), (std::vector<std::string>{"Edit"}));
  EXPECT_EQ(Captions(*edit), (std::vector<std::string>{"Undo"}));
  EXPECT_EQ(loose->Parent(), nullptr);
}

TEST(MenuItems, AFreedItemLeavesItsListAndFreesItsSubItems) {
  TComponent owner(nullptr);
  TPopupMenu menu(&owner);
  TMenuItem* file = NewItem(&owner, "File");
  TMenuItem* open = NewItem(&owner, "Open");
  TMenuItem* save = NewItem(&owner, "Save");
  TMenuItem* help = NewItem(&owner, "Help");
  menu.Items()->Add(file);
  menu.Items()->Add(help);
  file->Add(open);
  file->Add(save);
  EXPECT_EQ(owner.ComponentCount(), 5);

  delete save;
  EXPECT_EQ(Captions(*file), (std::vector<std::string>{"Open"}));
  delete file;  // takes Open with it, out of its owner too
  EXPECT_EQ(Captions(*menu.Items()), (std::vector<std::string>{"Help"}));
  EXPECT_EQ(owner.ComponentCount(), 2);
  EXPECT_EQ(owner.FindComponent("Open"), nullptr);

  menu.Items()->Clear();
  EXPECT_EQ(menu.Items()->Count(), 0);
  EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(MenuItems, FreeingTheMenuFreesItsItemsWhateverTheCreationOrder) {
  auto* owner = new TComponent(nullptr);
  TMenuItem* early = NewItem(owner, "Early");  // created before the menu
  early->SetName("miEarly");
  auto* menu = new TPopupMenu(owner);
  menu->Items()->Add(early);
  menu->Items()->Add(NewItem(owner, "Late"));
  delete menu;
  EXPECT_EQ(owner->ComponentCount(), 0);
  delete owner;  // nothing left to free twice

  // The owner going first frees menu and items in reverse creation order.
  TComponent second(nullptr);
  auto* m = new TPopupMenu(&second);
  m->Items()->Add(NewItem(&second, "One"));
  NewItem(&second, "Two")->SetParentComponent(m);
  EXPECT_EQ(Captions(*m->Items()), (std::vector<std::string>{"One", "Two"}));
}

TEST(MenuItems, ClickFiresOnClickOnlyForAnEnabledCommand) {
  TMenuItem item(nullptr);
  item.SetCaption("Copy");
  int clicks = 0;
  TObject* sender = nullptr;
  item.OnClick = [&](TObject* s) {
    ++clicks;
    sender = s;
  };
  item.Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(sender, &item);
  item.SetEnabled(false);
  item.Click();
  EXPECT_EQ(clicks, 1);
  item.SetEnabled(true);
  item.SetCaption("-");
  EXPECT_TRUE(item.IsLine());
  item.Click();
  EXPECT_EQ(clicks, 1);
}

TEST(MenuItems, FindMatchesCaptionsWithoutAcceleratorsThroughVisibleSubmenus) {
  EXPECT_EQ(StripHotkey("&Copy"), "Copy");
  EXPECT_EQ(StripHotkey("Save && E&xit"), "Save & Exit");
  TComponent owner(nullptr);
  TPopupMenu menu(&owner);
  TMenuItem* edit = NewItem(&owner, "&Edit");
  TMenuItem* copy = NewItem(&owner, "&Copy");
  TMenuItem* hidden = NewItem(&owner, "Secret");
  menu.Items()->Add(edit);
  edit->Add(copy);
  menu.Items()->Add(hidden);
  hidden->SetVisible(false);
  EXPECT_EQ(menu.Items()->Find("copy"), copy);
  EXPECT_EQ(menu.Items()->Find("Edit"), edit);
  EXPECT_EQ(menu.Items()->Find("Secret"), nullptr);
  EXPECT_EQ(menu.Items()->Find("Paste"), nullptr);
}

// --- Popping up ---

class PopupMenuTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    form = new TForm(nullptr);
    form->SetName("fmMain");
    form->SetBounds(100, 50, 400, 300);
    panel = new TPanel(form);
    panel->SetName("pnTools");
    panel->SetParent(form);
    panel->SetBounds(10, 20, 200, 100);
    label = new TLabel(form);
    label->SetName("lbTitle");
    label->SetParent(panel);
    label->SetBounds(5, 5, 60, 15);
    menu = new TPopupMenu(form);
    menu->SetName("pmTools");
    copy = NewItem(form, "&Copy");
    copy->SetName("miCopy");
    paste = NewItem(form, "&Paste");
    paste->SetName("miPaste");
    menu->Items()->Add(copy);
    menu->Items()->Add(paste);
    copy->OnClick = [this](TObject*) { clicked.push_back("Copy"); };
    paste->OnClick = [this](TObject*) { clicked.push_back("Paste"); };
    menu->OnPopup = [this](TObject* sender) {
      EXPECT_EQ(sender, menu);
      popup_for = menu->PopupComponent();
    };
    panel->SetPopupMenu(menu);
  }
  void TearDown() override {
    delete form;
    HeadlessTest::TearDown();
  }
  void RightClick(TControl* c, int x, int y) {
    c->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MakeLParam(x, y));
    c->Perform(WM_RBUTTONUP, 0, MakeLParam(x, y));
  }

  TForm* form = nullptr;
  TPanel* panel = nullptr;
  TLabel* label = nullptr;
  TPopupMenu* menu = nullptr;
  TMenuItem* copy = nullptr;
  TMenuItem* paste = nullptr;
  std::vector<std::string> clicked;
  TComponent* popup_for = nullptr;
};

TEST_F(PopupMenuTest, ARightClickPopsTheMenuUpAtTheScreenPointForTheControl) {
  RightClick(panel, 30, 40);
  ASSERT_EQ(Application->PopupMenus().size(), 1u);
  const TPopupMenuRecord& shown = Application->PopupMenus()[0];
  EXPECT_EQ(shown.menu, "pmTools");
  EXPECT_EQ(shown.popup_component, "pnTools");
  const TPoint expected = panel->ClientToScreen({30, 40});
  EXPECT_EQ(shown.point.X, expected.X);
  EXPECT_EQ(shown.point.Y, expected.Y);
  EXPECT_EQ(shown.chosen, "");  // nothing scripted: dismissed
  EXPECT_EQ(popup_for, panel);
  EXPECT_EQ(menu->PopupComponent(), panel);
  EXPECT_TRUE(clicked.empty());
}

TEST_F(PopupMenuTest, OnlyTheReleaseOfTheRightButtonPopsUp) {
  panel->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MakeLParam(5, 5));
  panel->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
  panel->Perform(WM_LBUTTONUP, 0, MakeLParam(5, 5));
  EXPECT_TRUE(Application->PopupMenus().empty());
  panel->Perform(WM_RBUTTONUP, 0, MakeLParam(5, 5));
  EXPECT_EQ(Application->PopupMenus().size(), 1u);
}

TEST_F(PopupMenuTest, AControlWithoutAMenuHandsTheRequestToItsParent) {
  // The label has no menu of its own: the panel under it shows the panel's.
  RightClick(panel, label->Left() + 2, label->Top() + 2);
  ASSERT_EQ(Application->PopupMenus().size(), 1u);
  EXPECT_EQ(Application->PopupMenus()[0].popup_component, "pnTools");
  const TPoint expected = label->ClientToScreen({2, 2});
  EXPECT_EQ(Application->PopupMenus()[0].point.X, expected.X);
  EXPECT_EQ(Application->PopupMenus()[0].point.Y, expected.Y);

  // With a menu of its own the label is the popup component.
  label->SetPopupMenu(menu);
  RightClick(panel, label->Left() + 2, label->Top() + 2);
  ASSERT_EQ(Application->PopupMenus().size(), 2u);
  EXPECT_EQ(Application->PopupMenus()[1].popup_component, "lbTitle");
  EXPECT_EQ(menu->PopupComponent(), label);
}

TEST_F(PopupMenuTest, WithoutAutoPopupNothingShows) {
  menu->SetAutoPopup(false);
  RightClick(panel, 10, 10);
  EXPECT_TRUE(Application->PopupMenus().empty());
  EXPECT_EQ(popup_for, nullptr);
}

TEST_F(PopupMenuTest, TheMenuKeyPopsUpAtTheClientOrigin) {
  panel->Perform(WM_CONTEXTMENU, 0, MakeLParam(-1, -1));
  ASSERT_EQ(Application->PopupMenus().size(), 1u);
  const TPoint origin = panel->ClientOrigin();
  EXPECT_EQ(Application->PopupMenus()[0].point.X, origin.X);
  EXPECT_EQ(Application->PopupMenus()[0].point.Y, origin.Y);
}

TEST_F(PopupMenuTest, AtDesignTimeARightClickDoesNotPopUp) {
  form->SetDesigning(true);
  RightClick(panel, 10, 10);
  panel->Perform(WM_CONTEXTMENU, 0, MakeLParam(200, 200));
  EXPECT_TRUE(Application->PopupMenus().empty());
  EXPECT_EQ(popup_for, nullptr);
  form->SetDesigning(false);
  RightClick(panel, 10, 10);
  EXPECT_EQ(Application->PopupMenus().size(), 1u);
}

TEST_F(PopupMenuTest, TheScriptedUserRightClicksAndChoosesAnItem) {
  form->Show();
  ScriptedUser().RightClick("pnTools").ChooseMenuItem("Paste");
  ScriptedUser().PlayNow();
  EXPECT_EQ(clicked, (std::vector<std::string>{"Paste"}));
  ASSERT_EQ(Application->PopupMenus().size(), 1u);
  EXPECT_EQ(Application->PopupMenus()[0].chosen, "&Paste");
  EXPECT_EQ(ScriptedUser().Played(),
            (std::vector<std::string>{"right-click pnTools", "choose menu item \"Paste\""}));
}

TEST_F(PopupMenuTest, AChoiceQueuedBeforeADirectPopupIsTaken) {
  ScriptedUser().ChooseMenuItem("&copy");
  menu->Popup(300, 200);
  EXPECT_EQ(clicked, (std::vector<std::string>{"Copy"}));
  ASSERT_EQ(Application->PopupMenus().size(), 1u);
  EXPECT_EQ(Application->PopupMenus()[0].popup_component, "");
  EXPECT_EQ(Application->PopupMenus()[0].point.X, 300);
}

TEST_F(PopupMenuTest, ADisabledItemChosenClosesTheMenuWithoutACommand) {
  copy->SetEnabled(false);
  ScriptedUser().ChooseMenuItem("Copy");
  menu->Popup(0, 0);
  EXPECT_TRUE(clicked.empty());
  ASSERT_EQ(Application->PopupMenus().size(), 1u);
  EXPECT_EQ(Application->PopupMenus()[0].chosen, "");
}

TEST_F(PopupMenuTest, OnPopupMayChangeTheItemsBeforeTheChoice) {
  menu->OnPopup = [this](TObject*) { paste->SetEnabled(false); };
  ScriptedUser().ChooseMenuItem("Paste");
  menu->Popup(0, 0);
  EXPECT_TRUE(clicked.empty());
}

TEST_F(PopupMenuTest, AScriptThatDoesNotFitTheMenuRaises) {
  ScriptedUser().ChooseMenuItem("Delete");
  EXPECT_THROW(menu->Popup(0, 0), EScriptError);
  EXPECT_TRUE(clicked.empty());

  // A choice with no menu showing is the script's mistake too.
  ScriptedUser().ChooseMenuItem("Copy");
  EXPECT_THROW(ScriptedUser().PlayStep(*form), EScriptError);
  ScriptedUser().Clear();
}

TEST_F(PopupMenuTest, TheReferenceIsClearedWhenTheMenuIsFreed) {
  label->SetPopupMenu(menu);
  EXPECT_EQ(panel->PopupMenu(), menu);
  delete menu;
  menu = nullptr;
  EXPECT_EQ(panel->PopupMenu(), nullptr);
  EXPECT_EQ(label->PopupMenu(), nullptr);
  RightClick(panel, 10, 10);  // no menu left to show
  EXPECT_TRUE(Application->PopupMenus().empty());
}

TEST_F(PopupMenuTest, ThePopupComponentIsClearedWhenThatControlIsFreed) {
  RightClick(panel, 10, 10);
  EXPECT_EQ(menu->PopupComponent(), panel);
  delete panel;
  panel = nullptr;
  EXPECT_EQ(menu->PopupComponent(), nullptr);
}

// --- The form stream ---

TEST(PopupMenuStream, AFormWithAPanelAndItsMenuReadsBackAndConvertsThroughText) {
  RegisterUiClasses();
  RegisterFormClasses();
  TForm form(nullptr);
  form.SetName("fmMain");
  auto* panel = new TPanel(&form);
  panel->SetName("pnTools");
  panel->SetParent(&form);
  auto* menu = new TPopupMenu(&form);
  menu->SetName("pmTools");
  menu->SetAutoPopup(false);
  auto* copy = NewItem(&form, "&Copy");
  copy->SetName("miCopy");
  copy->SetShortCut(ShortCut('C', scCtrl));
  auto* paste = NewItem(&form, "&Paste");
  paste->SetName("miPaste");
  paste->SetEnabled(false);
  menu->Items()->Add(copy);
  menu->Items()->Add(paste);
  panel->SetPopupMenu(menu);

  const std::vector<std::uint8_t> out = WriteForm(form);
  const std::string bytes(out.begin(), out.end());
  EXPECT_NE(bytes.find("TPopupMenu"), std::string::npos);
  EXPECT_NE(bytes.find("TMenuItem"), std::string::npos);

  TForm copy_form(nullptr);
  ReadForm(out, copy_form);
  auto* loaded_panel = dynamic_cast<TPanel*>(copy_form.FindComponent("pnTools"));
  auto* loaded_menu = dynamic_cast<TPopupMenu*>(copy_form.FindComponent("pmTools"));
  ASSERT_NE(loaded_panel, nullptr);
  ASSERT_NE(loaded_menu, nullptr);
  EXPECT_EQ(loaded_panel->PopupMenu(), loaded_menu);  // resolved by name after reading
  EXPECT_FALSE(loaded_menu->AutoPopup());
  ASSERT_EQ(loaded_menu->Items()->Count(), 2);
  EXPECT_EQ(loaded_menu->Items()->Items(0), copy_form.FindComponent("miCopy"));
  EXPECT_EQ(loaded_menu->Items()->Items(1), copy_form.FindComponent("miPaste"));
  EXPECT_EQ(loaded_menu->Items()->Items(0)->Caption(), "&Copy");
  EXPECT_EQ(loaded_menu->Items()->Items(0)->GetShortCut(), ShortCut('C', scCtrl));
  EXPECT_FALSE(loaded_menu->Items()->Items(1)->Enabled());
  EXPECT_EQ(loaded_menu->Items()->Items(0)->Owner(), &copy_form);

  // The copy writes the same bytes, and binary -> text -> binary changes nothing.
  EXPECT_EQ(WriteForm(copy_form), out);
  const std::string form_text = FormText(out);
  EXPECT_NE(form_text.find("PopupMenu = pmTools"), std::string::npos) << form_text;
  EXPECT_NE(form_text.find("object miCopy: TMenuItem"), std::string::npos) << form_text;
  EXPECT_EQ(FormBytes(form_text), out);
}

TEST(PopupMenuStream, SubItemsAreWrittenNestedUnderTheirItem) {
  RegisterUiClasses();
  TForm form(nullptr);
  form.SetName("fmMain");
  auto* menu = new TPopupMenu(&form);
  menu->SetName("pmEdit");
  auto* edit = NewItem(&form, "Edit");
  edit->SetName("miEdit");
  auto* undo = NewItem(&form, "Undo");
  undo->SetName("miUndo");
  menu->Items()->Add(edit);
  edit->Add(undo);
  EXPECT_EQ(edit->GetParentComponent(), menu);
  EXPECT_EQ(undo->GetParentComponent(), edit);
  EXPECT_EQ(menu->GetChildren(&form), (std::vector<TComponent*>{edit}));

  TForm copy(nullptr);
  ReadForm(WriteForm(form), copy);
  auto* loaded_edit = dynamic_cast<TMenuItem*>(copy.FindComponent("miEdit"));
  ASSERT_NE(loaded_edit, nullptr);
  ASSERT_EQ(loaded_edit->Count(), 1);
  EXPECT_EQ(loaded_edit->Items(0)->Name(), "miUndo");
  EXPECT_EQ(loaded_edit->GetParentMenu(), copy.FindComponent("pmEdit"));
}

// --- Published lists ---

TEST(PopupMenuPublishing, ControlsPublishPopupMenuBetweenTheirHintFlags) {
  const std::vector<std::string> hints{"ParentShowHint", "PopupMenu", "ShowHint"};
  EXPECT_EQ(NamesBetween(TPanel::StaticType(), "ParentShowHint", "ShowHint"), hints);
  EXPECT_EQ(NamesBetween(TScrollBox::StaticType(), "ParentShowHint", "ShowHint"), hints);
  EXPECT_EQ(NamesBetween(TForm::StaticType(), "ParentShowHint", "ShowHint"), hints);
  EXPECT_EQ(NamesBetween(TEdit::StaticType(), "ParentShowHint", "ShowHint"),
            (std::vector<std::string>{"ParentShowHint", "PasswordChar", "PopupMenu", "ReadOnly",
                                      "ShowHint"}));
  EXPECT_EQ(NamesBetween(TMaskEdit::StaticType(), "PasswordChar", "ReadOnly"),
            (std::vector<std::string>{"PasswordChar", "PopupMenu", "ReadOnly"}));
  EXPECT_EQ(NamesBetween(TLabel::StaticType(), "ParentShowHint", "ShowHint"),
            (std::vector<std::string>{"ParentShowHint", "PopupMenu", "ShowAccelChar", "ShowHint"}));
  // A speed button has no context menu.
  EXPECT_EQ(TSpeedButton::StaticType().FindProperty("PopupMenu"), nullptr);
  const PropInfo* p = TPanel::StaticType().FindProperty("PopupMenu");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->kind, TPropKind::Component);
  TPopupMenu menu(nullptr);
  TMenuItem item(nullptr);
  EXPECT_TRUE(p->accepts_component(&menu));
  EXPECT_FALSE(p->accepts_component(&item));
}

TEST(PopupMenuPublishing, MenuClassesAreRegisteredWithTheirDefaults) {
  RegisterUiClasses();
  TComponent owner(nullptr);
  auto* menu = dynamic_cast<TPopupMenu*>(FindClass("TPopupMenu").CreateComponent()(&owner));
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->AutoPopup());
  EXPECT_EQ(menu->Alignment(), paLeft);
  auto* item = dynamic_cast<TMenuItem*>(FindClass("TMenuItem").CreateComponent()(&owner));
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(item->Enabled());
  EXPECT_TRUE(item->Visible());
  EXPECT_FALSE(item->Checked());
  EXPECT_FALSE(item->Default());
  EXPECT_EQ(item->GetShortCut(), scNone);
  EXPECT_EQ(PropertyNames(TMenuItem::StaticType()),
            (std::vector<std::string>{"Tag", "Caption", "Checked", "Default", "Enabled",
                                      "ShortCut", "Visible", "OnClick"}));
}

}  // namespace
}  // namespace vantor
