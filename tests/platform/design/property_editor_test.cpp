#include <vantor/platform/design/property_editor.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/design/support/design_fixture.h"
#include <vantor/platform/design/design_registry.h>
#include <vantor/platform/design/form_designer.h>

namespace vantor {
namespace {

struct Editors : ::testing::Test {
  TScopedDesignRegistry scope;
  TComponent form{nullptr};
  TFormDesigner designer{&form};
  TGadget* gadget = new TGadget(&form);
  Editors() {
    form.SetName("Form1");
    gadget->SetName("Gadget1");
  }
  std::unique_ptr<TPropertyEditor> Editor(const char* name, std::vector<TPersistent*> selection = {}) {
    if (selection.empty()) selection.push_back(gadget);
    return GetPropertyEditor(designer, selection, *TGadget::StaticType().FindProperty(name));
  }
  static std::vector<std::string> Values(const TPropertyEditor& e) {
    std::vector<std::string> v;
    e.GetValues([&v](const std::string& s) { v.push_back(s); });
    return v;
  }
};

TEST_F(Editors, IntegersReadDecimalOrHexWithinTheirBoundsAndReportTheChange) {
  auto size = Editor("Size");
  size->SetValue(" $1F ");
  EXPECT_EQ(gadget->GetSize(), 31);
  EXPECT_EQ(size->GetValue(), "31");
  EXPECT_TRUE(designer.IsModified());
  try {
    size->SetValue("101");
    FAIL();
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), "Value must be between 0 and 100");
  }
  EXPECT_THROW(size->SetValue("ten"), EConvertError);
  EXPECT_EQ(gadget->GetSize(), 31);  // refused values leave the property as it was
}

TEST_F(Editors, IntegersWithNamedValuesShowAndTakeTheNames) {
  auto tint = Editor("Tint");
  tint->SetValue("tnWindow");
  EXPECT_EQ(gadget->GetTint(), -2147483643);
  EXPECT_EQ(tint->GetValue(), "tnWindow");
  tint->SetValue("255");
  EXPECT_EQ(tint->GetValue(), "tnRed") << "a number with a name shows as the name";
  tint->SetValue("$10");
  EXPECT_EQ(tint->GetValue(), "16") << "a number without one shows as the number";
  EXPECT_THROW(tint->SetValue("tnGreen"), EConvertError);
  EXPECT_EQ(gadget->GetTint(), 16);
}

TEST_F(Editors, EnumerationsAndBooleansOfferTheirNamesAndCycleOnEdit) {
  auto shade = Editor("Shade");
  EXPECT_EQ(shade->GetAttributes().ToMask(), TPropertyAttributes({paMultiSelect, paValueList, paSortList, paRevertable}).ToMask());
  EXPECT_EQ(Values(*shade), (std::vector<std::string>{"shLight", "shMedium", "shDark"}));
  shade->SetValue("SHDARK");
  EXPECT_EQ(gadget->GetShade(), TShade::shDark);
  shade->Edit();  // after the last name comes the first
  EXPECT_EQ(shade->GetValue(), "shLight");
  shade->SetValue("1");
  EXPECT_EQ(gadget->GetShade(), TShade::shMedium);
  EXPECT_THROW(shade->SetValue("shPurple"), EPropertyError);
  EXPECT_THROW(shade->SetValue("3"), EPropertyError);

  auto active = Editor("Active");
  EXPECT_EQ(Values(*active), (std::vector<std::string>{"False", "True"}));
  active->Edit();
  EXPECT_TRUE(gadget->GetActive());
  EXPECT_EQ(active->GetValue(), "True");
}

TEST_F(Editors, SetsCharactersFloatsAndStringsReadBackWhatWasSet) {
  auto shades = Editor("Shades");
  shades->SetValue("[ shDark , shLight ]");
  EXPECT_EQ(shades->GetValue(), "[shLight,shDark]");
  shades->SetValue("[]");
  EXPECT_EQ(gadget->GetShades(), TShades{});
  EXPECT_THROW(shades->SetValue("shDark"), EPropertyError);
  EXPECT_THROW(shades->SetValue("[shDark,nope]"), EPropertyError);

  auto mark = Editor("Mark");
  mark->SetValue("é");
  EXPECT_EQ(gadget->GetMark(), U'é');
  mark->SetValue("#9");
  EXPECT_EQ(mark->GetValue(), "#9");
  EXPECT_THROW(mark->SetValue("ab"), EPropertyError);

  auto ratio = Editor("Ratio");
  ratio->SetValue("0.1");
  EXPECT_EQ(gadget->GetRatio(), 0.1);
  EXPECT_EQ(ratio->GetValue(), "0.1");

  auto caption = Editor("Caption");
  caption->SetValue("  kept as typed ");
  EXPECT_EQ(gadget->GetCaption(), "  kept as typed ");
}

TEST_F(Editors, ComponentReferencesOfferTheFittingComponentsOfTheDesign) {
  auto* other = new TBigGadget(&form);
  other->SetName("Big1");
  (new TComponent(&form))->SetName("Plain1");
  auto buddy = Editor("Buddy");
  EXPECT_EQ(Values(*buddy), (std::vector<std::string>{"Gadget1", "Big1"}));
  buddy->SetValue("big1");
  EXPECT_EQ(gadget->GetBuddy(), other);
  EXPECT_EQ(buddy->GetValue(), "Big1");
  EXPECT_THROW(buddy->SetValue("Plain1"), EPropertyError);
  EXPECT_THROW(buddy->SetValue("Nobody"), EPropertyError);
  EXPECT_EQ(gadget->GetBuddy(), other);
  buddy->SetValue("");
  EXPECT_EQ(gadget->GetBuddy(), nullptr);
}

TEST_F(Editors, EventsBindHandlersOfTheRootByName) {
  int pings = 0;
  form.RegisterMethod("Gadget1Ping", Event<TComponent*>::Handler([&pings](TComponent*) { ++pings; }));
  form.RegisterMethod("Other", std::function<void(int)>([](int) {}));
  auto ping = Editor("OnPing");
  ping->SetValue("Gadget1Ping");
  gadget->OnPing(gadget);
  EXPECT_EQ(pings, 1);
  EXPECT_EQ(ping->GetValue(), "Gadget1Ping");
  EXPECT_THROW(ping->SetValue("Missing"), EPropertyError);
  EXPECT_THROW(ping->SetValue("Other"), EPropertyError);
  ping->SetValue("");
  EXPECT_FALSE(gadget->OnPing.Assigned());
}

TEST(FormDesigner, NamesCreatesAndSelects) {
  TScopedDesignRegistry scope;
  TComponent form(nullptr);
  form.SetName("Form1");
  TFormDesigner designer(&form);
  int selections = 0;
  designer.OnSelectionChanged = [&selections] { ++selections; };
  TComponent* first = designer.CreateComponent(TGadget::StaticType(), &form);
  TComponent* second = designer.CreateComponent(TGadget::StaticType(), &form);
  EXPECT_EQ(first->Name(), "Gadget1");
  EXPECT_EQ(second->Name(), "Gadget2");
  EXPECT_TRUE(first->ComponentState().Contains(csDesigning));
  EXPECT_TRUE(designer.IsModified());
  designer.ClearModified();
  EXPECT_EQ(designer.GetComponent("FORM1"), &form);
  EXPECT_EQ(designer.GetComponent("gadget2"), second);
  EXPECT_EQ(designer.GetComponent(""), nullptr);
  std::vector<std::string> names;
  designer.GetComponentNames(TGadget::StaticType(), [&names](const std::string& n) { names.push_back(n); });
  EXPECT_EQ(names, (std::vector<std::string>{"Gadget1", "Gadget2"}));

  auto* part = static_cast<TPart*>(static_cast<TGadget*>(first)->GetParts()->Add());
  designer.SelectComponent(part);
  EXPECT_EQ(designer.GetSelections(), std::vector<TPersistent*>{part});
  designer.SelectComponent(nullptr);
  EXPECT_TRUE(designer.GetSelections().empty());
  EXPECT_EQ(selections, 2);
  EXPECT_FALSE(designer.IsModified());
  EXPECT_THROW(designer.CreateComponent(TTrim::StaticType(), &form), EInvalidOperation);
}

}  // namespace
}  // namespace vantor
