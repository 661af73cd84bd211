#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <vantor/criteria/field_record.h>
#include <vantor/criteria/fields_list.h>
#include <vantor/panel/panel_fields_set.h>
#include "panel/support/test_panel.h"
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/form.h>
#include "support/form_stream.h"

namespace vantor {
namespace {

using testing::TTestPanel;
using testing_support::FormBytes;
using testing_support::FormText;
using testing_support::ReadForm;
using testing_support::WriteForm;

// ---- whole forms ----

// A form with one panel that has an explicit list, changed panel properties, record
// settings, values and comment texts (option sets, captions and style options have
// their own round trip in the criteria tests).
std::unique_ptr<TForm> MakeForm() {
  RegisterClass(TTestPanel::StaticType());
  auto form = std::make_unique<TForm>(nullptr);
  form->SetName("Form1");
  auto* panel = new TTestPanel(form.get());
  panel->SetName("Panel1");
  panel->SetParent(form.get());
  panel->SetUpdateState(usExit);
  panel->SetStepHeight(5);
  panel->SetPosState(psTwoLine);
  TFieldsList& fields = *panel->Fields();
  fields.SetDefaultFields(false);
  TFieldRecord* name = fields.Add();
  name->SetFieldName("Name");
  name->SetRecordKind(rkCalculated);
  name->SetDataType(TFieldType::ftString);
  name->SetDisplayLabel("Customer");
  name->SetCompare(ctInternal);
  name->SetCommentVisible(true);
  name->SetCommentTexts(0, "any part");
  TFieldRecord* qty = fields.Add();
  qty->SetFieldName("Qty");
  qty->SetRecordKind(rkCalculated);
  qty->SetDataType(TFieldType::ftInteger);
  qty->SetDisplayWidth(6);
  qty->SetButtonStyle(rbsEllipsis);
  name->SetValues(0, Variant("smi"));
  qty->SetValues(0, Variant(std::int32_t{3}));
  qty->SetValues(1, Variant(std::int32_t{300}));
  return form;
}

void ExpectSamePanels(const TTestPanel& a, const TTestPanel& b) {
  EXPECT_EQ(b.GetUpdateState(), a.GetUpdateState());
  EXPECT_EQ(b.GetStepHeight(), a.GetStepHeight());
  EXPECT_EQ(b.GetPosState(), a.GetPosState());
  EXPECT_EQ(b.CountOptions()->GetCount(5), a.CountOptions()->GetCount(5));
  EXPECT_EQ(b.CompareOptions()->GetCaseInsensitive(), a.CompareOptions()->GetCaseInsensitive());
  EXPECT_EQ(b.Captions()->GetCaption(0), a.Captions()->GetCaption(0));
  EXPECT_EQ(b.StyleOptions()->GetEditColor(), a.StyleOptions()->GetEditColor());
  EXPECT_EQ(b.StyleOptions()->GetEditFont()->Size(), a.StyleOptions()->GetEditFont()->Size());
  ASSERT_EQ(b.Fields()->Count(), a.Fields()->Count());
  EXPECT_FALSE(b.Fields()->DefaultFields());
  for (int i = 0; i < a.Fields()->Count(); ++i) {
    const TFieldRecord& x = *a.Fields()->Items(i);
    const TFieldRecord& y = *b.Fields()->Items(i);
    EXPECT_EQ(y.GetFieldName(), x.GetFieldName());
    EXPECT_EQ(y.GetRecordKind(), x.GetRecordKind());
    EXPECT_EQ(y.GetDataType(), x.GetDataType());
    EXPECT_EQ(y.GetDisplayLabel(), x.GetDisplayLabel());
    EXPECT_EQ(y.GetDisplayWidth(), x.GetDisplayWidth());
    EXPECT_EQ(y.GetCompare(), x.GetCompare());
    EXPECT_EQ(y.GetCount(), x.GetCount());
    EXPECT_EQ(y.GetButtonStyle(), x.GetButtonStyle());
    EXPECT_EQ(y.GetCommentVisible(), x.GetCommentVisible());
    EXPECT_EQ(y.AssignedValues(), x.AssignedValues());
    for (int slot = 0; slot < 2; ++slot) {
      EXPECT_EQ(y.GetValues(slot), x.GetValues(slot)) << i << "/" << slot;
      EXPECT_EQ(y.GetCommentTexts(slot), x.GetCommentTexts(slot)) << i << "/" << slot;
    }
  }
}

TEST(FormStream, PanelSurvivesBinaryTextAndBinaryAgain) {
  auto form = MakeForm();
  auto* panel = dynamic_cast<TTestPanel*>(form->FindComponent("Panel1"));
  ASSERT_NE(panel, nullptr);

  const std::vector<std::uint8_t> binary = WriteForm(*form);
  const std::string form_text = FormText(binary);
  EXPECT_NE(form_text.find("Values = ("), std::string::npos) << form_text;
  EXPECT_NE(form_text.find("CommentTexts = ("), std::string::npos) << form_text;

  const std::vector<std::uint8_t> again = FormBytes(form_text);
  EXPECT_EQ(again, binary);

  TForm copy(nullptr);
  ReadForm(again, copy);
  auto* loaded = dynamic_cast<TTestPanel*>(copy.FindComponent("Panel1"));
  ASSERT_NE(loaded, nullptr);
  ExpectSamePanels(*panel, *loaded);
  // Values read while loading wait for the first update after loading.
  EXPECT_TRUE(loaded->Fields()->Items(0)->MainValues(0).IsNull());
  loaded->ValuesChanged();
  EXPECT_EQ(loaded->Fields()->Items(0)->MainValues(0), Variant("smi"));
}

TEST(FormStream, DefaultListWritesNeitherValuesNorCommentTexts) {
  RegisterClass(TTestPanel::StaticType());
  TForm form(nullptr);
  form.SetName("Form1");
  auto* panel = new TTestPanel(&form);
  panel->SetName("Panel1");
  TFieldRecord* a = panel->Fields()->Add();  // still the default list
  a->SetFieldName("A");
  a->SetCount(coOne);
  a->SetValues(0, Variant("x"));
  a->SetCommentTexts(0, "c");
  const std::string text = FormText(WriteForm(form));
  EXPECT_EQ(text.find("Values"), std::string::npos);
  EXPECT_EQ(text.find("CommentTexts"), std::string::npos);
  EXPECT_EQ(text.find("Fields"), std::string::npos);
}

TEST(FormStream, UnknownRecordIndexFailsTheReadAndLeavesThePanelUsable) {
  auto form = MakeForm();
  auto* panel = dynamic_cast<TTestPanel*>(form->FindComponent("Panel1"));
  ASSERT_NE(panel, nullptr);
  std::string form_text = FormText(WriteForm(*form));
  // Point the first "Values" entry at record 7, which the list does not have.
  const std::size_t at = form_text.find("Values = (");
  ASSERT_NE(at, std::string::npos);
  const std::size_t first = form_text.find_first_of("0123456789", at);
  form_text[first] = '7';

  const std::vector<std::uint8_t> bad = FormBytes(form_text);

  // The target form already holds the panel, so the reader fills it rather than making
  // one: the panel outlives the failed read.
  TForm target(nullptr);
  auto* existing = new TTestPanel(&target);
  existing->SetName("Panel1");
  std::string message;
  try {
    ReadForm(bad, target);
  } catch (const Exception& e) {
    message = e.Message();
  }
  EXPECT_NE(message.find("List index out of bounds (7)"), std::string::npos) << message;
  ASSERT_EQ(target.FindComponent("Panel1"), existing);
  EXPECT_EQ(existing->Fields()->UpdateCount(), 0);
  existing->IncludeState(csLoading);  // whatever the reader left, finish loading
  existing->Loaded();
  existing->SetUpdateState(usAuto);
  ASSERT_GT(existing->Fields()->Count(), 0);
  TFieldRecord* record = existing->Fields()->Items(0);
  record->SetCount(coOne);
  record->SetValues(0, Variant("usable"));
  EXPECT_EQ(record->MainValues(0), Variant("usable"));
}

}  // namespace
}  // namespace vantor
