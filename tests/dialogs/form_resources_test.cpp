// The form descriptions compiled into the library: every one is a well-formed form stream
// that reads back as the text it was written from, and a form made from them has the
// controls, captions and roles its description gives.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include <vantor/dialogs/fields_set_form.h>
#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/filter_form.h>
#include <vantor/dialogs/find_dialog.h>
#include <vantor/dialogs/find_form.h>
#include <vantor/dialogs/form_resource.h>
#include <vantor/dialogs/register_dialogs.h>
#include <vantor/resources/form_resources.h>
#include "support/form_stream.h"

namespace vantor {
namespace {

using testing_support::FormBytes;
using testing_support::FormText;

TEST(FormResources, EveryDescriptionIsCompiledAndConvertsBackToTheSameBytes) {
  std::set<std::string> names;
  for (const TFormResource& resource : FormResources()) {
    names.insert(std::string(resource.class_name));
    EXPECT_EQ(FormBytes(FormText(resource.stream)),
              std::vector<std::uint8_t>(resource.stream.begin(), resource.stream.end()))
        << resource.class_name;
  }
  EXPECT_EQ(names, (std::set<std::string>{"TfmFieldsSet", "TfmFind", "TfmFilter", "TfmSetupRecord",
                                          "TfmSetupFilterDialog", "TfmSetupFindDialog", "TfmValues",
                                          "TFieldsEditDlg"}));
  EXPECT_FALSE(FindFormResource("tfmfind").empty()) << "class names compare without case";
  EXPECT_TRUE(FindFormResource("TfmNothing").empty());
}

TEST(FormResources, TheTextOfADescriptionIsReadable) {
  const std::string text = FormText(FindFormResource("TfmFieldsSet"));
  EXPECT_EQ(text.rfind("object fmFieldsSet: TfmFieldsSet", 0), 0u) << text;
  EXPECT_NE(text.find("Caption = 'Clear All'"), std::string::npos) << text;
  EXPECT_NE(text.find("OnCloseQuery = FormCloseQuery"), std::string::npos) << text;
  const std::string find = FormText(FindFormResource("TfmFind"));
  EXPECT_EQ(find.rfind("inherited fmFind: TfmFind", 0), 0u) << find;
}

TEST(FormResources, AMissingDescriptionIsAClearError) {
  RegisterDialogClasses();
  TForm form(nullptr);
  EXPECT_THROW(ReadFormResource(form, "TfmNothing"), EReadError);
}

TEST(FormResources, TheDialogFormsHaveTheRolesOfTheirDescriptions) {
  RegisterDialogClasses();
  TDBFindDialog dialog(nullptr);
  std::unique_ptr<TfmFind> form(NewForm<TfmFind>(&dialog));
  EXPECT_EQ(form->Name(), "fmFind");
  EXPECT_EQ(form->DefaultCaption(), "Find");
  EXPECT_EQ(form->Position(), poScreenCenter);
  EXPECT_EQ(form->BorderIcons(), TBorderIcons{biSystemMenu});
  EXPECT_TRUE(form->bbOk->Default());
  EXPECT_EQ(form->bbOk->ModalResult(), mrOk);
  EXPECT_EQ(form->bbNext->ModalResult(), mrOk);
  EXPECT_TRUE(form->bbCancel->Cancel());
  EXPECT_EQ(form->bbCancel->ModalResult(), mrCancel);
  EXPECT_EQ(form->bbClear->Caption(), "Clear All");
  EXPECT_EQ(form->paHelp->Width(), 81);
  EXPECT_FALSE(form->paHelp->Visible()) << "Help shows with soHelp only";
  EXPECT_EQ(form->paTop->Height(), 31);
  EXPECT_EQ(form->paBottom->Height(), 31);
  EXPECT_EQ(dialog.Form(), form.get());
  EXPECT_EQ(dialog.PanelFieldsSet()->Parent(), form.get());
  // Between the bars.
  EXPECT_EQ(dialog.PanelFieldsSet()->Top(), form->paTop->Height());
  EXPECT_EQ(dialog.PanelFieldsSet()->Top() + dialog.PanelFieldsSet()->Height(), form->paBottom->Top());
  form.reset();
  EXPECT_EQ(dialog.Form(), nullptr);
  EXPECT_EQ(dialog.PanelFieldsSet()->Parent(), nullptr);
}

}  // namespace
}  // namespace vantor
