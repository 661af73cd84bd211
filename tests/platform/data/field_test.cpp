#include <vantor/platform/data/field.h>

#include <gtest/gtest.h>

#include <memory>

#include <vantor/platform/data/table.h>
#include <vantor/platform/data/typed_fields.h>
#include <vantor/platform/rtl/date_text.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/format_settings.h>

namespace vantor {
namespace {

// A one-row table with one field of every supported type, in edit state.
class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table_ = new TTable(&owner_);
    auto& defs = table_->FieldDefs();
    defs.Add("s", TFieldType::ftString, 5);
    defs.Add("si", TFieldType::ftSmallint);
    defs.Add("i", TFieldType::ftInteger);
    defs.Add("w", TFieldType::ftWord);
    defs.Add("ai", TFieldType::ftAutoInc);
    defs.Add("b", TFieldType::ftBoolean);
    defs.Add("f", TFieldType::ftFloat);
    defs.Add("c", TFieldType::ftCurrency);
    defs.Add("bcd", TFieldType::ftBCD);
    defs.Add("d", TFieldType::ftDate);
    defs.Add("t", TFieldType::ftTime);
    defs.Add("dt", TFieldType::ftDateTime);
    defs.Add("m", TFieldType::ftMemo);
    defs.Add("fm", TFieldType::ftFmtMemo);
    defs.Add("bl", TFieldType::ftBlob);
    defs.Add("by", TFieldType::ftBytes, 4);
    table_->Open();
    table_->Append();
  }
  TField* F(const char* name) { return table_->FieldByName(name); }

  TComponent owner_{nullptr};
  TTable* table_ = nullptr;
};

TEST_F(FieldTest, DefaultFieldsHaveTheClassOfTheirType) {
  EXPECT_NE(dynamic_cast<TStringField*>(F("s")), nullptr);
  EXPECT_NE(dynamic_cast<TSmallintField*>(F("si")), nullptr);
  EXPECT_NE(dynamic_cast<TWordField*>(F("w")), nullptr);
  EXPECT_NE(dynamic_cast<TAutoIncField*>(F("ai")), nullptr);
  EXPECT_NE(dynamic_cast<TBCDField*>(F("bcd")), nullptr);
  EXPECT_NE(dynamic_cast<TTimeField*>(F("t")), nullptr);
  EXPECT_NE(dynamic_cast<TFmtMemoField*>(F("fm")), nullptr);
  EXPECT_NE(dynamic_cast<TBytesField*>(F("by")), nullptr);
  EXPECT_EQ(F("fm")->DataType(), TFieldType::ftFmtMemo);
  EXPECT_EQ(F("s")->ClassName(), "TStringField");
}

TEST_F(FieldTest, ValuesTakeTheNaturalVariantKind) {
  F("s")->SetAsString("abc");
  F("si")->SetAsString("-12");
  F("i")->SetAsFloat(41.6);
  F("w")->SetAsInteger(65535);
  F("b")->SetAsString("yes");
  F("f")->SetAsString("1.5E3");
  F("c")->SetAsString("12.34567");
  F("bcd")->SetAsFloat(2.5);
  F("d")->SetAsDateTime(EncodeDate(2020, 2, 29) + 0.75);
  F("t")->SetAsDateTime(EncodeDate(2020, 2, 29) + 0.25);
  F("m")->SetAsString("long\ntext");
  EXPECT_EQ(F("s")->AsVariant(), Variant("abc"));
  EXPECT_EQ(F("si")->AsVariant(), Variant(std::int16_t{-12}));
  EXPECT_EQ(F("i")->AsVariant(), Variant(std::int32_t{42}));
  EXPECT_EQ(F("w")->AsVariant(), Variant(std::int32_t{65535}));
  EXPECT_EQ(F("b")->AsVariant(), Variant(true));
  EXPECT_EQ(F("f")->AsVariant(), Variant(1500.0));
  EXPECT_EQ(F("c")->AsVariant(), Variant(Currency::FromScaled(123457)));
  EXPECT_EQ(F("bcd")->AsVariant().VarType(), varCurrency);
  EXPECT_EQ(F("d")->AsDateTime(), EncodeDate(2020, 2, 29)) << "a date keeps whole days";
  EXPECT_DOUBLE_EQ(F("t")->AsDateTime(), 0.25) << "a time keeps the time of day";
  EXPECT_EQ(F("m")->AsVariant(), Variant("long\ntext"));
}

TEST_F(FieldTest, TextFollowsTheLocaleSettings) {
  FormatSettings fs;
  fs.decimal_separator = ',';
  fs.short_date_format = "dd.MM.yyyy";
  fs.date_separator = '.';
  ScopedFormatSettings scope(fs);
  F("f")->SetAsString("2,5");
  EXPECT_EQ(F("f")->AsFloat(), 2.5);
  EXPECT_EQ(F("f")->AsString(), "2,5");
  F("d")->SetAsString("31.12.1999");
  EXPECT_EQ(F("d")->AsDateTime(), EncodeDate(1999, 12, 31));
  EXPECT_EQ(F("d")->AsString(), "31.12.1999");
  EXPECT_TRUE(F("f")->IsValidChar(U','));
  EXPECT_FALSE(F("f")->IsValidChar(U'.'));
}

TEST_F(FieldTest, NullAndEmptyTextClearTheValue) {
  F("i")->SetAsInteger(5);
  F("i")->SetAsString("");
  EXPECT_TRUE(F("i")->IsNull());
  EXPECT_EQ(F("i")->AsInteger(), 0) << "a null value coerces to zero";
  F("s")->SetAsString("x");
  F("s")->Clear();
  EXPECT_TRUE(F("s")->AsVariant().IsNull());
  F("b")->SetAsVariant(Variant::Null());
  EXPECT_EQ(F("b")->AsString(), "");
}

TEST_F(FieldTest, IntegerFieldsTakeTheEndsOfTheirRangeAndRefuseOnePast) {
  struct Case {
    const char* field;
    std::int32_t lo, hi;
  };
  for (const Case& c : {Case{"si", INT16_MIN, INT16_MAX}, Case{"w", 0, 65535}, Case{"i", INT32_MIN, INT32_MAX}}) {
    TField* f = F(c.field);
    for (std::int32_t v : {c.lo, c.hi}) {
      f->SetAsInteger(v);
      EXPECT_EQ(f->AsInteger(), v) << c.field;
      f->Clear();
      f->SetAsString(std::to_string(v));
      EXPECT_EQ(f->AsInteger(), v) << c.field;
      f->Clear();
      f->SetAsFloat(v);
      EXPECT_EQ(f->AsInteger(), v) << c.field;
    }
    f->SetAsInteger(1);
    for (std::int64_t v : {std::int64_t{c.lo} - 1, std::int64_t{c.hi} + 1}) {
      EXPECT_THROW(f->SetAsString(std::to_string(v)), EDatabaseError) << c.field << " " << v;
      EXPECT_THROW(f->SetAsFloat(static_cast<double>(v)), EDatabaseError) << c.field << " " << v;
      EXPECT_EQ(f->AsInteger(), 1) << c.field;
    }
  }
}

TEST_F(FieldTest, ValuesThatDoNotFitRaiseAndLeaveTheValue) {
  F("s")->SetAsString("abcde");
  EXPECT_THROW(F("s")->SetAsString("abcdef"), EDatabaseError);
  EXPECT_EQ(F("s")->AsString(), "abcde");
  F("si")->SetAsInteger(7);
  EXPECT_THROW(F("si")->SetAsInteger(32768), EDatabaseError);
  EXPECT_THROW(F("si")->SetAsString("40000"), EDatabaseError);
  EXPECT_THROW(F("si")->SetAsFloat(1e300), EDatabaseError);
  EXPECT_THROW(F("si")->SetAsString("7x"), EConvertError);
  EXPECT_EQ(F("si")->AsInteger(), 7);
  EXPECT_THROW(F("w")->SetAsInteger(-1), EDatabaseError);
  EXPECT_THROW(F("i")->SetAsString("99999999999"), EDatabaseError);
  EXPECT_THROW(F("f")->SetAsString("one"), EConvertError);
  EXPECT_THROW(F("c")->SetAsFloat(1e300), EDatabaseError);
  EXPECT_THROW(F("b")->SetAsString("maybe"), EConvertError);
  EXPECT_THROW(F("d")->SetAsString("2/30/2021"), EConvertError);
  EXPECT_THROW(F("by")->SetAsString("12345"), EDatabaseError);
  try {
    F("s")->SetAsString("toolong");
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("'s'"), std::string::npos) << "names the field: " << e.Message();
  }
}

TEST_F(FieldTest, ValidCharactersDependOnTheType) {
  for (const char* name : {"si", "i", "w", "ai"}) {
    EXPECT_TRUE(F(name)->IsValidChar(U'7'));
    EXPECT_TRUE(F(name)->IsValidChar(U'-'));
    EXPECT_TRUE(F(name)->IsValidChar(U'+'));
    EXPECT_FALSE(F(name)->IsValidChar(U'.'));
    EXPECT_FALSE(F(name)->IsValidChar(U'e'));
  }
  for (const char* name : {"f", "c"}) {
    EXPECT_TRUE(F(name)->IsValidChar(U'E'));
    EXPECT_TRUE(F(name)->IsValidChar(U'e'));
    EXPECT_TRUE(F(name)->IsValidChar(U'.'));
    EXPECT_FALSE(F(name)->IsValidChar(U'x'));
  }
  EXPECT_TRUE(F("bcd")->IsValidChar(U'.'));
  EXPECT_FALSE(F("bcd")->IsValidChar(U'E'));
  for (const char* name : {"s", "m", "d", "b"}) {
    EXPECT_TRUE(F(name)->IsValidChar(U'x'));
    EXPECT_TRUE(F(name)->IsValidChar(U'ß'));
  }
}

TEST_F(FieldTest, DisplayPropertiesHaveTypeDefaults) {
  EXPECT_EQ(F("i")->Alignment(), taRightJustify);
  EXPECT_EQ(F("c")->Alignment(), taRightJustify);
  EXPECT_EQ(F("s")->Alignment(), taLeftJustify);
  EXPECT_EQ(F("s")->DisplayWidth(), 5);
  EXPECT_EQ(F("s")->DisplayLabel(), "s");
  EXPECT_FALSE(F("s")->IsDisplayLabelStored());
  F("s")->SetDisplayLabel("Short text");
  EXPECT_EQ(F("s")->DisplayLabel(), "Short text");
  EXPECT_TRUE(F("s")->IsDisplayLabelStored());
  F("s")->SetAlignment(taCenter);
  EXPECT_EQ(F("s")->Alignment(), taCenter);
  EXPECT_TRUE(F("s")->Visible());
}

TEST_F(FieldTest, PublishedPropertiesAreDescribed) {
  const TypeInfo& info = TStringField::StaticType();
  for (const char* name : {"FieldName", "DisplayLabel", "DisplayWidth", "EditMask", "Visible", "Alignment",
                           "FieldKind", "Size", "Required"}) {
    EXPECT_NE(info.FindProperty(name), nullptr) << name;
  }
  const PropInfo* label = info.FindProperty("DisplayLabel");
  EXPECT_FALSE(label->IsStored(*F("s")));
  F("s")->SetDisplayLabel("Label");
  EXPECT_TRUE(label->IsStored(*F("s")));
  EXPECT_EQ(label->get_string(*F("s")), "Label");
}

TEST(PersistentFields, ApplicationFieldsBindByNameAndCalculatedFieldsUseOnCalcFields) {
  TComponent owner(nullptr);
  auto* t = new TTable(&owner);
  t->FieldDefs().Add("price", TFieldType::ftCurrency);
  t->FieldDefs().Add("qty", TFieldType::ftInteger);
  t->FieldDefs().Add("unused", TFieldType::ftString, 10);
  auto* price = new TCurrencyField(t);
  price->SetFieldName("price");
  auto* qty = new TIntegerField(t);
  qty->SetFieldName("QTY");
  auto* total = new TCurrencyField(t);
  total->SetFieldName("total");
  total->SetFieldKind(fkCalculated);
  int calcs = 0;
  t->OnCalcFields = [&](TDataSet* ds) {
    ++calcs;
    EXPECT_EQ(ds->State(), dsCalcFields);
    ds->FieldByName("total")->SetAsCurrency(
        Currency::FromDouble(ds->FieldByName("price")->AsFloat() * ds->FieldByName("qty")->AsInteger()));
  };
  t->Open();
  EXPECT_FALSE(t->DefaultFields());
  EXPECT_EQ(t->FieldCount(), 3);
  EXPECT_EQ(t->FindField("unused"), nullptr);
  EXPECT_EQ(qty->FieldNo(), 2);
  EXPECT_LT(total->FieldNo(), 1);
  t->Append();
  price->SetAsString("2.5");
  qty->SetAsInteger(4);
  EXPECT_EQ(total->AsCurrency(), Currency::FromInt(10)) << "computed from the edit buffer";
  t->Post();
  EXPECT_EQ(total->AsCurrency(), Currency::FromInt(10));
  EXPECT_GE(calcs, 1);
  EXPECT_THROW(total->SetAsInteger(1), EDatabaseError) << "only OnCalcFields writes a calculated field";
  t->Close();
  EXPECT_EQ(t->FieldCount(), 3) << "persistent fields outlive Close";
  EXPECT_EQ(price->FieldNo(), 0);
}

TEST(PersistentFields, FieldOfAnUnknownColumnKeepsTheTableClosed) {
  TComponent owner(nullptr);
  auto* t = new TTable(&owner);
  t->FieldDefs().Add("a", TFieldType::ftInteger);
  auto* f = new TIntegerField(t);
  f->SetFieldName("b");
  EXPECT_THROW(t->Open(), EDatabaseError);
  EXPECT_FALSE(t->Active());
  f->SetFieldName("a");
  t->Open();
  EXPECT_TRUE(t->Active());
}

TEST(PersistentFields, TableWithoutDefinitionsTakesItsColumnsFromPersistentFields) {
  TComponent owner(nullptr);
  auto* t = new TTable(&owner);
  auto* name = new TStringField(t);
  name->SetFieldName("name");
  name->SetSize(8);
  t->Open();
  ASSERT_EQ(t->FieldDefs().Count(), 1);
  EXPECT_EQ(t->FieldDefs().Items(0).size, 8);
  t->Insert();
  name->SetAsString("Ada");
  t->Post();
  t->Close();
  t->Open();
  EXPECT_EQ(t->RecordCount(), 1) << "an in-memory table keeps its rows across Close";
  EXPECT_EQ(name->AsString(), "Ada");
  t->EmptyTable();
  EXPECT_TRUE(t->IsEmpty());
}

}  // namespace
}  // namespace vantor
