// The library's controls drawn into pixels and held against stored pictures: the criteria
// panel in each of its four arrangements, an edit with the focus and a selection, and a
// dialog form with the common controls.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <vantor/criteria/field_record.h>
#include <vantor/engines/filter_panel.h>
#include "golden.h"
#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/check_box.h>
#include <vantor/platform/ui/combo_box.h>
#include <vantor/platform/ui/custom_edit.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/group_box.h>
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/list_box.h>
#include <vantor/platform/raster/render.h>
#include <vantor/platform/ui/screen.h>

namespace vantor {
namespace {

using testing::ExpectMatchesGolden;

// A filter panel on a form, bound to a small customer table: CustNo as a range with
// comments, Name with an ellipsis button and a comment, City as one value.
struct PanelScene {
  PanelScene() : form(new TForm(nullptr, TCreateNew{})), table(nullptr), source(nullptr) {
    form->SetBounds(0, 0, 640, 300);
    table.FieldDefs().Add("CustNo", TFieldType::ftInteger);
    table.FieldDefs().Add("Name", TFieldType::ftString, 30);
    table.FieldDefs().Add("City", TFieldType::ftString, 20);
    source.SetDataSet(&table);
    panel = new TDBFilterPanel(form.get());
    panel->SetParent(form.get());
    panel->SetLeft(4);
    panel->SetTop(4);
    panel->SetDataSource(&source);
    table.Open();
    PaintGuard bracket(*panel);
    TFieldRecord* custno = panel->FieldByName("CustNo");
    custno->SetDisplayLabel("Number");
    custno->SetDisplayWidth(6);
    custno->SetCount(coTwo);
    custno->SetCommentVisible(true);
    custno->SetCommentWidth(4);
    custno->SetCommentTexts(0, "min");
    custno->SetCommentTexts(1, "max");
    TFieldRecord* name = panel->FieldByName("Name");
    name->SetDisplayWidth(12);
    name->SetButtonStyle(rbsEllipsis);
    name->SetCommentVisible(true);
    name->SetCommentWidth(8);
    name->SetCommentTexts(0, "begins");
    panel->FieldByName("City")->SetDisplayWidth(10);
  }
  std::unique_ptr<TForm> form;
  TTable table;
  TDataSource source;
  TDBFilterPanel* panel = nullptr;
};

TEST(Pictures, PanelInEachArrangement) {
  const std::pair<TPosState, const char*> arrangements[] = {{psOneLineFmt, "panel_one_line_fmt"},
                                                            {psOneLine, "panel_one_line"},
                                                            {psTwoLineFmt, "panel_two_line_fmt"},
                                                            {psTwoLine, "panel_two_line"}};
  for (const auto& [state, name] : arrangements) {
    SCOPED_TRACE(name);
    PanelScene scene;
    scene.panel->SetPosState(state);
    ExpectMatchesGolden(RenderControl(*scene.panel), name);
  }
}

// A shown form whose edit has the focus, with "ber" of "Weber" selected.
TEST(Pictures, FocusedEditWithASelection) {
  std::unique_ptr<TForm> form(new TForm(nullptr, TCreateNew{}));
  form->SetBounds(0, 0, 220, 90);
  form->SetCaption("Edit");
  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  edit->SetBounds(10, 10, 180, 21);
  edit->SetText("Weber Söhne");
  form->Show();
  edit->SetFocus();
  edit->SetSelStart(2);
  edit->SetSelLength(3);
  ASSERT_TRUE(edit->Focused());
  ExpectMatchesGolden(RenderControl(*form), "edit_focused_selection");
  form->Hide();
}

TEST(Pictures, DialogForm) {
  std::unique_ptr<TForm> form(new TForm(nullptr, TCreateNew{}));
  form->SetBorderStyle(bsDialog);
  form->SetBounds(0, 0, 360, 250);
  form->SetCaption("Find options");
  auto* label = new TLabel(form.get());
  label->SetParent(form.get());
  label->SetBounds(12, 16, 60, 13);
  label->SetCaption("&Field:");
  auto* fields = new TComboBox(form.get());
  fields->SetParent(form.get());
  fields->SetBounds(80, 12, 150, 21);
  fields->Items()->Add("Name");
  fields->SetItemIndex(0);
  auto* group = new TGroupBox(form.get());
  group->SetParent(form.get());
  group->SetBounds(12, 44, 218, 110);
  group->SetCaption("Compare");
  auto* exact = new TCheckBox(form.get());
  exact->SetParent(group);
  exact->SetBounds(10, 20, 180, 17);
  exact->SetCaption("Case sensitive");
  exact->SetChecked(true);
  auto* list = new TListBox(form.get());
  list->SetParent(group);
  list->SetBounds(10, 44, 196, 56);
  list->Items()->Add("Exact");
  list->Items()->Add("Beginning");
  list->Items()->Add("Anywhere");
  list->SetItemIndex(1);
  const char* captions[] = {"OK", "Cancel", "Help"};
  for (int i = 0; i < 3; ++i) {
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(246, 12 + i * 32, 90, 25);
    button->SetCaption(captions[i]);
    button->SetDefault(i == 0);
  }
  ExpectMatchesGolden(RenderControl(*form), "dialog_form");
}

}  // namespace
}  // namespace vantor
