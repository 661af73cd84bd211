#include <vantor/platform/design/design_registry.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/design/support/design_fixture.h"
#include <vantor/platform/design/form_designer.h>

namespace vantor {
namespace {

// An editor that tells itself apart by its value text.
class TTaggedProperty : public TStringProperty {
 public:
  using TStringProperty::TStringProperty;
  std::string GetValue() const override { return "tagged"; }
};
class TOtherProperty : public TStringProperty {
 public:
  using TStringProperty::TStringProperty;
  std::string GetValue() const override { return "other"; }
};
class TPartsProperty : public TClassProperty {
 public:
  using TClassProperty::TClassProperty;
  TPropertyAttributes GetAttributes() const override { return {paDialog, paReadOnly}; }
  void Edit() override { ++edits; }
  static inline int edits = 0;
};

class TSingleProperty : public TStringProperty {
 public:
  using TStringProperty::TStringProperty;
  TPropertyAttributes GetAttributes() const override { return {paRevertable}; }
};

class TGadgetEditor : public TComponentEditor {
 public:
  using TComponentEditor::TComponentEditor;
  int GetVerbCount() const override { return 2; }
  std::string GetVerb(int index) const override { return index == 0 ? "Grow" : index == 1 ? "Shrink" : ""; }
  void ExecuteVerb(int index) override {
    auto* g = static_cast<TGadget*>(Component());
    if (index == 0) g->SetSize(g->GetSize() + 1);
    if (index == 1) g->SetSize(g->GetSize() - 1);
    Designer().Modified();
  }
};

struct Design : ::testing::Test {
  TScopedDesignRegistry scope;
  TComponent form{nullptr};
  TFormDesigner designer{&form};
  Design() { form.SetName("Form1"); }
};

const PropInfo& Prop(const TypeInfo& info, const char* name) {
  const PropInfo* p = info.FindProperty(name);
  EXPECT_NE(p, nullptr) << name;
  return *p;
}

TEST_F(Design, PalettePagesKeepTheOrderOfRegistrationAndRegisterTheClassesByName) {
  RegisterComponents("Extra", {&TGadget::StaticType()});
  RegisterComponents("Extra", {&TBigGadget::StaticType()});
  RegisterComponents("Other", {&TBigGadget::StaticType()});  // already on a page: stays there
  EXPECT_EQ(scope.Registry().PalettePages(), (std::vector<std::string>{"Extra", "Other"}));
  EXPECT_EQ(scope.Registry().PaletteClasses("extra"),
            (std::vector<const TypeInfo*>{&TGadget::StaticType(), &TBigGadget::StaticType()}));
  EXPECT_TRUE(scope.Registry().PaletteClasses("Other").empty());
  EXPECT_EQ(scope.Registry().FindPaletteClass("tbiggadget"), &TBigGadget::StaticType());
  EXPECT_EQ(scope.Registry().FindPaletteClass("TComponent"), nullptr);
  EXPECT_EQ(GetClass("TBigGadget"), &TBigGadget::StaticType());
  // Things that cannot be created by name cannot be dropped either.
  EXPECT_THROW(RegisterComponents("Extra", {&TTrim::StaticType()}), EInvalidOperation);
}

TEST_F(Design, AScopedRegistryLeavesThePreviousRegistrationsAsTheyWere) {
  RegisterComponents("Extra", {&TGadget::StaticType()});
  {
    TScopedDesignRegistry inner;
    EXPECT_TRUE(TDesignRegistry::Current().PalettePages().empty());
  }
  EXPECT_EQ(TDesignRegistry::Current().PalettePages(), std::vector<std::string>{"Extra"});
}

TEST_F(Design, PropertyEditorsOfABaseClassServeItsDescendantsAndTheNearestClassWins) {
  TBigGadget big(&form);
  TGadget plain(&form);
  const PropInfo& caption = Prop(TGadget::StaticType(), "Caption");
  EXPECT_EQ(GetPropertyEditor(designer, {&big}, caption)->GetValue(), "");  // kind's default

  RegisterPropertyEditor(TPropertyType::String(), &TGadget::StaticType(), "Caption",
                         PropertyEditorClass<TTaggedProperty>("TTaggedProperty"));
  EXPECT_EQ(GetPropertyEditor(designer, {&big}, caption)->GetValue(), "tagged");
  EXPECT_EQ(scope.Registry().FindPropertyEditor(caption, big)->name, "TTaggedProperty");

  // For any class and any string property: farther than the class registration.
  RegisterPropertyEditor(TPropertyType::String(), nullptr, "", PropertyEditorClass<TOtherProperty>("TOtherProperty"));
  EXPECT_EQ(GetPropertyEditor(designer, {&plain}, caption)->GetValue(), "tagged");
  // For the descendant itself: nearer.
  RegisterPropertyEditor(TPropertyType::String(), &TBigGadget::StaticType(), "",
                         PropertyEditorClass<TOtherProperty>("TOtherProperty"));
  EXPECT_EQ(GetPropertyEditor(designer, {&big}, caption)->GetValue(), "other");
  EXPECT_EQ(GetPropertyEditor(designer, {&plain}, caption)->GetValue(), "tagged");
  // A name that does not fit, or a kind that does not fit, is not used.
  EXPECT_EQ(scope.Registry().FindPropertyEditor(Prop(TGadget::StaticType(), "Size"), plain), nullptr);
}

TEST_F(Design, ClassPropertyEditorsAreFoundByTheClassOfTheValue) {
  TGadget g(&form);
  RegisterPropertyEditor(TPropertyType::Class(TCollection::StaticType()), &TGadget::StaticType(), "Parts",
                         PropertyEditorClass<TPartsProperty>("TPartsProperty"));
  auto parts = GetPropertyEditor(designer, {&g}, Prop(TGadget::StaticType(), "Parts"));
  EXPECT_EQ(parts->GetAttributes().ToMask(), 68u);  // dialog button, read-only
  EXPECT_EQ(parts->GetValue(), "(TParts)");
  TPartsProperty::edits = 0;
  parts->Edit();
  EXPECT_EQ(TPartsProperty::edits, 1);
  // The sub-object of another class keeps the default class editor.
  auto trim = GetPropertyEditor(designer, {&g}, Prop(TGadget::StaticType(), "Trim"));
  EXPECT_EQ(trim->GetValue(), "(TTrim)");
  EXPECT_TRUE(trim->GetAttributes().Contains(paSubProperties));
  auto sub = trim->GetProperties();
  ASSERT_EQ(sub.size(), 1u);
  sub[0]->SetValue("7");
  EXPECT_EQ(g.GetTrim()->GetDepth(), 7);
  EXPECT_TRUE(designer.IsModified());
}

TEST_F(Design, ComponentEditorsAreInheritedAndRunTheirVerbs) {
  TBigGadget big(&form);
  auto plain = GetComponentEditor(&big, designer);
  EXPECT_EQ(plain->GetVerbCount(), 0);
  plain->Edit();  // nothing to run
  EXPECT_FALSE(designer.IsModified());

  RegisterComponentEditor(TGadget::StaticType(), ComponentEditorClass<TGadgetEditor>("TGadgetEditor"));
  EXPECT_EQ(scope.Registry().FindComponentEditor(TBigGadget::StaticType())->name, "TGadgetEditor");
  EXPECT_EQ(scope.Registry().FindComponentEditor(TComponent::StaticType()), nullptr);
  auto editor = GetComponentEditor(&big, designer);
  ASSERT_EQ(editor->GetVerbCount(), 2);
  EXPECT_EQ(editor->GetVerb(1), "Shrink");
  editor->ExecuteVerb(1);
  EXPECT_EQ(big.GetSize(), -1);
  editor->Edit();  // the double-click runs the first verb
  EXPECT_EQ(big.GetSize(), 0);
  EXPECT_TRUE(designer.IsModified());
}

TEST_F(Design, SeveralSelectedObjectsShareOnlyTheEditorsThatAllowIt) {
  TGadget a(&form), b(&form);
  TTrim trim;
  // An editor that serves one object only drops out when two are selected.
  RegisterPropertyEditor(TPropertyType::String(), &TGadget::StaticType(), "Caption",
                         PropertyEditorClass<TSingleProperty>("TSingleProperty"));
  auto both = GetComponentProperties(designer, {&a, &b});
  std::vector<std::string> names;
  for (const auto& e : both) names.push_back(e->GetName());
  EXPECT_EQ(names, (std::vector<std::string>{"Tag", "Size", "Tint", "Active", "Shade", "Shades", "Ratio", "Mark",
                                             "Buddy", "Trim", "Parts", "OnPing"}));
  EXPECT_EQ(GetComponentProperties(designer, {&a}).size(), names.size() + 1);
  // A gadget and a trim have no property in common.
  EXPECT_TRUE(GetComponentProperties(designer, {&a, &trim}).empty());

  auto size = GetPropertyEditor(designer, {&a, &b}, Prop(TGadget::StaticType(), "Size"));
  EXPECT_TRUE(size->AllEqual());
  size->SetValue("12");
  EXPECT_EQ(a.GetSize(), 12);
  EXPECT_EQ(b.GetSize(), 12);
  a.SetSize(3);
  EXPECT_FALSE(size->AllEqual());
}

}  // namespace
}  // namespace vantor
