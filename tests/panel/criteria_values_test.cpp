#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <vantor/criteria/field_record.h>
#include <vantor/criteria/fields_list.h>
#include <vantor/panel/panel_fields_set.h>
#include "panel/support/test_panel.h"
#include <vantor/platform/core/extended.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/stream.h>
#include <vantor/platform/core/writer.h>
#include <vantor/platform/rtl/datetime.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {
namespace {

using testing::TTestPanel;
using Bytes = std::vector<std::uint8_t>;

// A panel with an explicit list of calculated records of the given types.
struct TypedPanel {
  explicit TypedPanel(std::initializer_list<std::pair<const char*, TFieldType>> records)
      : panel(std::make_unique<TTestPanel>(nullptr)) {
    panel->Fields()->SetDefaultFields(false);
    for (const auto& [name, type] : records) {
      TFieldRecord* record = panel->Fields()->Add();
      record->SetFieldName(name);
      record->SetRecordKind(rkCalculated);
      record->SetDataType(type);
    }
  }
  TFieldRecord* operator[](int i) const { return panel->Fields()->Items(i); }
  std::unique_ptr<TTestPanel> panel;
};

Bytes WrittenValues(TPanelFieldsSet& panel) {
  TMemoryStream stream;
  {
    TWriter writer(stream);
    panel.WriteValues(writer);
  }
  return stream.Bytes();
}

void ReadValuesFrom(TPanelFieldsSet& panel, const Bytes& bytes) {
  TMemoryStream stream(bytes);
  TReader reader(stream);
  panel.ReadValues(reader);
}

// ---- clearing and snapshots ----

TEST(CriteriaValues, ClearValuesEmptiesEveryRecordInOneUpdate) {
  TypedPanel p({{"A", TFieldType::ftString}, {"B", TFieldType::ftInteger}});
  p[0]->SetValues(0, Variant("x"));
  p[1]->SetValues(1, Variant(std::int32_t{4}));
  const int before = p.panel->update_data_set_calls;
  p.panel->ClearValues();
  EXPECT_TRUE(p[0]->GetValues(0).IsNull());
  EXPECT_TRUE(p[1]->GetValues(1).IsNull());
  EXPECT_EQ(p.panel->update_data_set_calls, before + 1);
}

TEST(CriteriaValues, SnapshotRestoresByNameWhateverTheOrder) {
  TTestPanel panel(nullptr);
  panel.SetUpdateState(usNone);
  TFieldRecord* cust = panel.Fields()->Add();
  cust->SetFieldName("CustNo");
  cust->SetCount(coOne);
  TFieldRecord* name = panel.Fields()->Add();
  name->SetFieldName("Name");
  name->SetCount(coTwo);
  cust->SetValues(0, Variant("17"));
  name->SetValues(1, Variant("M"));

  panel.SaveToBuffer();
  ASSERT_NE(panel.SaveBuffer(), nullptr);
  ASSERT_EQ(panel.SaveBuffer()->size(), 2U);
  EXPECT_EQ((*panel.SaveBuffer())[0].FieldName, "CustNo");

  panel.ClearValues();
  name->SetIndex(0);
  panel.ReadFromBuffer();
  EXPECT_EQ(cust->GetValues(0), Variant("17"));
  EXPECT_EQ(name->GetValues(1), Variant("M"));
  EXPECT_TRUE(name->GetValues(0).IsNull());
}

TEST(CriteriaValues, RestoringASnapshotIsOneUpdateCycleAlsoWhenItFails) {
  testing::PanelWithTable t;  // CustNo Name Notes Balance
  t.table.Open();
  t.panel->SetUpdateState(usAuto);
  t.panel->FindField("CustNo")->SetIndex(3);  // restored last
  TValueBufferSlot slot = std::make_unique<TValueBuffer>();
  slot->push_back({"Name", {Variant("x"), Variant::Null()}});
  slot->push_back({"Balance", {Variant(Currency::FromInt(5)), Variant::Null()}});
  slot->push_back({"CustNo", {Variant(std::int32_t{7}), Variant::Null()}});

  int before = t.panel->update_data_set_calls;
  t.panel->GetBuffer(slot);
  EXPECT_EQ(t.panel->update_data_set_calls, before + 1);
  EXPECT_EQ(t.panel->FindField("CustNo")->MainValues(0), Variant(std::int32_t{7}));

  // CustNo cannot take its text: the restore stops there, in one cycle all the same.
  t.panel->ClearValues();
  (*slot)[2].Values[0] = Variant("not a number");
  before = t.panel->update_data_set_calls;
  EXPECT_ANY_THROW(t.panel->GetBuffer(slot));
  EXPECT_EQ(t.panel->update_data_set_calls, before + 1);
  EXPECT_EQ(t.panel->Fields()->UpdateCount(), 0) << "the bracket is closed";
  EXPECT_EQ(t.panel->FindField("Name")->MainValues(0), Variant("x")) << "what was restored is applied";
}

TEST(CriteriaValues, SnapshotEntryMatchesItsRecordIgnoringLetterCase) {
  TTestPanel panel(nullptr);
  TFieldRecord* cust = panel.Fields()->Add();
  cust->SetFieldName("CustNo");
  TValueBufferSlot slot = std::make_unique<TValueBuffer>();
  slot->push_back({"CUSTNO", {Variant("5"), Variant::Null()}});
  slot->push_back({"Unknown", {Variant("9"), Variant::Null()}});
  panel.GetBuffer(slot);
  EXPECT_EQ(cust->GetValues(0), Variant("5"));
}

TEST(CriteriaValues, SnapshotLeavesOutRecordsThatCarryNoCriterion) {
  TTestPanel panel(nullptr);
  panel.SetUpdateState(usNone);
  TFieldRecord* none = panel.Fields()->Add();
  none->SetFieldName("None");
  none->SetCount(coNone);
  none->SetValues(0, Variant("x"));
  TFieldRecord* calc = panel.Fields()->Add();
  calc->SetFieldName("Calc");
  calc->SetRecordKind(rkCalculated);
  calc->SetDataType(TFieldType::ftString);
  calc->SetCount(coOne);
  calc->SetValues(0, Variant("y"));

  panel.SaveToBuffer();
  EXPECT_TRUE(panel.SaveBuffer()->empty());
  panel.ReadFromBuffer();  // nothing in the snapshot: both become Null
  EXPECT_TRUE(none->GetValues(0).IsNull());
  EXPECT_TRUE(calc->GetValues(0).IsNull());
}

TEST(CriteriaValues, RestoringFromNoListChangesNothingAndClearingKeepsTheList) {
  TTestPanel panel(nullptr);
  TFieldRecord* a = panel.Fields()->Add();
  a->SetFieldName("A");
  a->SetCount(coOne);
  a->SetValues(0, Variant("x"));
  panel.ReadFromBuffer();
  EXPECT_EQ(a->GetValues(0), Variant("x"));

  panel.SaveToBuffer();
  panel.ClearBuffer();
  ASSERT_NE(panel.SaveBuffer(), nullptr);
  EXPECT_TRUE(panel.SaveBuffer()->empty());
  panel.ReadFromBuffer();  // an empty list does clear
  EXPECT_TRUE(a->GetValues(0).IsNull());

  panel.SetBuffer(panel.DialogBuffer());
  EXPECT_NE(panel.DialogBuffer(), nullptr);
}

// ---- "Values" ----

TEST(ValuesStream, WorkedExampleIsWrittenByteForByte) {
  TypedPanel p({{"Name", TFieldType::ftString},
                {"Flag", TFieldType::ftBoolean},
                {"Qty", TFieldType::ftInteger}});
  p[0]->SetValues(0, Variant("abc"));
  p[2]->SetValues(0, Variant(std::int32_t{5}));
  p[2]->SetValues(1, Variant(std::int32_t{10}));
  const Bytes expected{0x01,                    // list begin
                       0x02, 0x00, 0x02, 0x01,  // record 0, ftString
                       0x01, 0x02, 0x00, 0x06, 0x03, 'a', 'b', 'c', 0x00,
                       0x02, 0x02, 0x02, 0x03,  // record 2, ftInteger
                       0x01, 0x02, 0x00, 0x02, 0x05, 0x02, 0x01, 0x02, 0x0A, 0x00,
                       0x00};
  EXPECT_EQ(WrittenValues(*p.panel), expected);
}

TEST(ValuesStream, PanelWithoutValuesWritesAnEmptyList) {
  TypedPanel p({{"Name", TFieldType::ftString}});
  EXPECT_EQ(WrittenValues(*p.panel), (Bytes{0x01, 0x00}));
}

TEST(ValuesStream, RangeWithOnlyTheUpperBoundWritesThatSlotAlone) {
  TypedPanel p({{"Qty", TFieldType::ftInteger}});
  p[0]->SetValues(1, Variant(std::int32_t{300}));
  // 300 needs the 16-bit form.
  EXPECT_EQ(WrittenValues(*p.panel),
            (Bytes{0x01, 0x02, 0x00, 0x02, 0x03, 0x01, 0x02, 0x01, 0x03, 0x2C, 0x01, 0x00, 0x00}));
}

TEST(ValuesStream, EveryTypeReadsBackToTheSameValue) {
  const auto every_type = {std::pair{"S", TFieldType::ftString},   std::pair{"I", TFieldType::ftSmallint},
                           std::pair{"B", TFieldType::ftBoolean},  std::pair{"F", TFieldType::ftFloat},
                           std::pair{"C", TFieldType::ftCurrency}, std::pair{"D", TFieldType::ftDate},
                           std::pair{"T", TFieldType::ftDateTime}, std::pair{"X", TFieldType::ftBlob}};
  TypedPanel p(every_type);
  p[0]->SetValues(0, Variant("Smith"));
  p[1]->SetValues(0, Variant(std::int32_t{-7}));
  p[2]->SetValues(0, Variant(true));
  p[3]->SetValues(0, Variant(2.5));
  p[4]->SetValues(1, Variant(Currency::FromDouble(12.34)));
  p[5]->SetValues(0, Variant::FromDate(EncodeDate(2001, 2, 3)));
  p[6]->SetValues(0, Variant::FromDate(EncodeDate(2001, 2, 3) + 0.5));
  p[7]->SetValues(0, Variant("raw"));
  const Bytes bytes = WrittenValues(*p.panel);

  TypedPanel q(every_type);
  ReadValuesFrom(*q.panel, bytes);
  for (int i = 0; i < 8; ++i) {
    for (int slot = 0; slot < 2; ++slot) {
      EXPECT_EQ(q[i]->GetValues(slot), p[i]->GetValues(slot)) << i << "/" << slot;
    }
  }
  EXPECT_EQ(q[5]->GetValues(0).VarType(), varDate);
  EXPECT_EQ(q[1]->GetValues(0).VarType(), varSmallint);
}

// Currency and BCD amounts travel as the extended real nearest them: every amount of the
// whole range, limits included, reads back to the same four decimals.
TEST(ValuesStream, CurrencyAndBcdReadBackExactlyOverTheWholeRange) {
  std::vector<std::int64_t> amounts{INT64_MAX,          INT64_MIN,           INT64_MAX - 1, INT64_MIN + 1,
                                    0,                  1,                   -1,            123456789012345678,
                                    9999,               10000,               -10001,        4503599627370497,
                                    (std::int64_t{1} << 53) + 1, -(std::int64_t{1} << 62) - 3};
  std::mt19937_64 rng(20261207);
  for (int i = 0; i < 2000; ++i) {
    // Random bit patterns, and random amounts of every magnitude.
    amounts.push_back(static_cast<std::int64_t>(rng()));
    amounts.push_back(static_cast<std::int64_t>(rng() >> (rng() % 64)) * (rng() % 2 == 0 ? 1 : -1));
  }
  for (TFieldType type : {TFieldType::ftCurrency, TFieldType::ftBCD}) {
    for (std::size_t i = 0; i < amounts.size(); i += 2) {
      TypedPanel p({{"C", type}});
      const Currency low = Currency::FromScaled(amounts[i]);
      const Currency high = Currency::FromScaled(amounts[(i + 1) % amounts.size()]);
      p[0]->SetValues(0, Variant(low));
      p[0]->SetValues(1, Variant(high));
      TypedPanel q({{"C", type}});
      ASSERT_NO_THROW(ReadValuesFrom(*q.panel, WrittenValues(*p.panel))) << amounts[i];
      EXPECT_EQ(q[0]->GetValues(0), Variant(low)) << amounts[i];
      EXPECT_EQ(q[0]->GetValues(1), Variant(high)) << amounts[(i + 1) % amounts.size()];
    }
  }
}

TEST(ValuesStream, CurrencyIsTheNearestExtendedAsTheHostWritesIt) {
  TypedPanel p({{"C", TFieldType::ftCurrency}});
  p[0]->SetValues(0, Variant(Currency::FromScaled(123456789012345678)));  // 12345678901234.5678
  const Bytes bytes = WrittenValues(*p.panel);
  // list, 0, 7 (ftCurrency), list, slot 0, the extended tag, then its ten bytes.
  ASSERT_EQ(bytes.size(), 8U + 1U + 10U + 2U);
  EXPECT_EQ(bytes[8], 0x05);
  const Bytes extended(bytes.begin() + 9, bytes.begin() + 19);
  // 12345678901234.5678 is 0xB3A73CE2FF2915B5 * 2^-20 to the nearest: exponent 16383 + 43.
  EXPECT_EQ(extended, (Bytes{0xB5, 0x15, 0x29, 0xFF, 0xE2, 0x3C, 0xA7, 0xB3, 0x2A, 0x40}));
  // A value written by a build that went through a double still loads: it is a float.
  TypedPanel old({{"C", TFieldType::ftCurrency}});
  Bytes from_double = bytes;
  const Extended80 as_double = EncodeExtended(12.5);
  std::copy(as_double.begin(), as_double.end(), from_double.begin() + 9);
  ReadValuesFrom(*old.panel, from_double);
  EXPECT_EQ(old[0]->GetValues(0), Variant(Currency::FromScaled(125000)));
}

TEST(ValuesStream, DateIsWrittenAsAFloat) {
  TypedPanel p({{"D", TFieldType::ftDate}});
  p[0]->SetValues(0, Variant::FromDate(EncodeDate(2000, 1, 1)));
  const Bytes bytes = WrittenValues(*p.panel);
  // list, 0, 9 (ftDate), list, slot 0, then the extended tag and its ten bytes
  ASSERT_EQ(bytes.size(), 8U + 1U + 10U + 2U);
  EXPECT_EQ((Bytes{bytes.begin(), bytes.begin() + 9}),
            (Bytes{0x01, 0x02, 0x00, 0x02, 0x09, 0x01, 0x02, 0x00, 0x05}));
  EXPECT_EQ((Bytes{bytes.end() - 2, bytes.end()}), (Bytes{0x00, 0x00}));
}

TEST(ValuesStream, ValueIsReadByTheWrittenTypeAndConvertedToTheCurrentOne) {
  TypedPanel p({{"Qty", TFieldType::ftInteger}});
  p[0]->SetValues(0, Variant(std::int32_t{42}));
  const Bytes bytes = WrittenValues(*p.panel);
  TypedPanel q({{"Qty", TFieldType::ftString}});
  ReadValuesFrom(*q.panel, bytes);
  EXPECT_EQ(q[0]->GetValues(0), Variant("42"));
}

TEST(ValuesStream, ReadingIsOneUpdate) {
  TypedPanel p({{"A", TFieldType::ftString}, {"B", TFieldType::ftString}});
  p[0]->SetValues(0, Variant("x"));
  p[1]->SetValues(0, Variant("y"));
  const Bytes bytes = WrittenValues(*p.panel);
  TypedPanel q({{"A", TFieldType::ftString}, {"B", TFieldType::ftString}});
  const int before = q.panel->update_data_set_calls;
  ReadValuesFrom(*q.panel, bytes);
  EXPECT_EQ(q.panel->update_data_set_calls, before + 1);
}

TEST(ValuesStream, RecordIndexThatDoesNotExistRaisesAfterClosingTheBracket) {
  TypedPanel q({{"A", TFieldType::ftString}});
  // list; record 3, ftString; list; slot 0, "x"; list end; list end
  const Bytes bytes{0x01, 0x02, 0x03, 0x02, 0x01, 0x01, 0x02, 0x00, 0x06, 0x01, 'x', 0x00, 0x00};
  EXPECT_THROW(ReadValuesFrom(*q.panel, bytes), EListError);
  EXPECT_EQ(q.panel->Fields()->UpdateCount(), 0);
  q[0]->SetValues(0, Variant("ok"));
  EXPECT_EQ(q[0]->MainValues(0), Variant("ok"));
}

// ---- "CommentTexts" ----

TEST(CommentTextsStream, WritesOnlyNonEmptyTextsAndReadsThemBack) {
  TypedPanel p({{"A", TFieldType::ftString}, {"B", TFieldType::ftString}});
  p[1]->SetCommentTexts(1, "kg");
  TMemoryStream stream;
  {
    TWriter writer(stream);
    p.panel->WriteCommentTexts(writer);
  }
  EXPECT_EQ(stream.Bytes(),
            (Bytes{0x01, 0x02, 0x01, 0x01, 0x02, 0x01, 0x06, 0x02, 'k', 'g', 0x00, 0x00}));
  TypedPanel q({{"A", TFieldType::ftString}, {"B", TFieldType::ftString}});
  stream.SetPosition(0);
  TReader reader(stream);
  q.panel->ReadCommentTexts(reader);
  EXPECT_EQ(q[1]->GetCommentTexts(1), "kg");
  EXPECT_EQ(q[1]->GetCommentTexts(0), "");
  EXPECT_EQ(q[0]->GetCommentTexts(1), "");
}

}  // namespace
}  // namespace vantor
