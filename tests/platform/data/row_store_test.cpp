#include <vantor/platform/data/row_store.h>

#include <gtest/gtest.h>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {
namespace {

TEST(RowStore, NewRowsAreNullAndIdsGrow) {
  TRowStore store({TFieldType::ftString, TFieldType::ftInteger});
  const RowId a = store.AppendRow();
  const RowId b = store.AppendRow();
  EXPECT_LT(a, b);
  EXPECT_TRUE(store.IsNull(a, 0));
  EXPECT_TRUE(store.Get(b, 1).IsNull());
  store.DeleteRow(a);
  EXPECT_FALSE(store.IsLive(a));
  EXPECT_GT(store.AppendRow(), b) << "ids are never reused";
}

TEST(RowStore, ValuesRoundTripInTheirKind) {
  TRowStore store({TFieldType::ftSmallint, TFieldType::ftWord, TFieldType::ftCurrency, TFieldType::ftDate,
                   TFieldType::ftBoolean, TFieldType::ftMemo});
  const RowId r = store.AppendRow();
  store.Set(r, 0, Variant(std::int16_t{-3}));
  store.Set(r, 1, Variant(std::int32_t{65000}));
  store.Set(r, 2, Variant(Currency::FromScaled(-15)));
  store.Set(r, 3, Variant::FromDate(45000.5));
  store.Set(r, 4, Variant(true));
  store.Set(r, 5, Variant(std::string("a\0b", 3)));
  EXPECT_EQ(store.Get(r, 0), Variant(std::int16_t{-3}));
  EXPECT_EQ(store.Get(r, 1), Variant(std::int32_t{65000}));
  EXPECT_EQ(store.Get(r, 2), Variant(Currency::FromScaled(-15)));
  EXPECT_EQ(store.Get(r, 3), Variant::FromDate(45000.5));
  EXPECT_EQ(store.Get(r, 4), Variant(true));
  EXPECT_EQ(store.Get(r, 5), Variant(std::string("a\0b", 3)));
  EXPECT_THROW(store.Set(r, 0, Variant(std::int32_t{1})), EDatabaseError) << "no silent coercion";
  store.Set(r, 5, Variant::Null());
  EXPECT_TRUE(store.IsNull(r, 5));
}

TEST(RowStore, OrdersNullFirstAndTextCaseVariantsAsOneKey) {
  TRowStore store({TFieldType::ftString});
  const RowId null_row = store.AppendRow();
  const RowId upper = store.AppendRow();
  const RowId lower = store.AppendRow();
  const RowId underscore = store.AppendRow();
  const RowId letters = store.AppendRow();
  store.SetText(upper, 0, "ÄRGER");
  store.SetText(lower, 0, "ärger");
  store.SetText(underscore, 0, "_");
  store.SetText(letters, 0, "abc");
  EXPECT_LT(store.CompareCells(0, null_row, upper, false), 0);
  EXPECT_LT(store.CompareCells(0, upper, lower, false), 0) << "case-sensitively by bytes";
  EXPECT_EQ(store.CompareCells(0, upper, lower, true), 0) << "case variants are one key";
  EXPECT_EQ(store.CompareCellToValue(0, upper, Variant("Ärger"), true), 0);
  EXPECT_EQ(store.CompareCellToValue(0, lower, Variant("ÄRGER"), true), 0);
  // Case-free order is that of the upper-cased texts, as the criteria tests compare them:
  // "_" lies after "A" and "a" alike (byte order puts it between them).
  EXPECT_GT(store.CompareCellToValue(0, underscore, Variant("a"), true), 0);
  EXPECT_LT(store.CompareCellToValue(0, underscore, Variant("a"), false), 0);
  EXPECT_GT(store.CompareCells(0, underscore, letters, true), 0);
  EXPECT_LT(store.SortKey(0, letters, true), store.SortKey(0, underscore, true)) << "the summary orders alike";
  EXPECT_EQ(store.SortKey(0, upper, true), store.SortKey(0, lower, true));
}

TEST(RowStore, RewrittenTextIsCompactedAndMemoryStaysNearTheRawData) {
  TRowStore store({TFieldType::ftString, TFieldType::ftInteger, TFieldType::ftFloat});
  store.Reserve(10000);
  for (int i = 0; i < 10000; ++i) {
    const RowId r = store.AppendRow();
    store.SetText(r, 0, "Customer " + std::to_string(i));
    store.SetInt(r, 1, i);
    store.SetDouble(r, 2, i * 0.5);
  }
  for (int round = 0; round < 5; ++round) {
    for (RowId r = 0; r < 10000; ++r) store.SetText(r, 0, "Renamed customer " + std::to_string(r + round));
  }
  EXPECT_EQ(store.GetText(42, 0), "Renamed customer 46");
  EXPECT_LE(store.MemoryBytes(), 2 * store.RawBytes());
}

#ifndef NDEBUG
// Checked builds stop at a row id the store never handed out, or a column it does not
// have, on the paths that read the arrays unchecked; a bad column on the checked paths
// still raises as it does in every build.
TEST(RowStoreDeathTest, RowIdsAndColumnsOutOfRangeStopACheckedBuild) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TRowStore store({TFieldType::ftString});
  const RowId row = store.AppendRow();
  store.SetText(row, 0, "a");
  EXPECT_DEATH((void)store.Get(row + 1, 0), "RowLimit");
  EXPECT_DEATH((void)store.CompareCells(0, row, row + 64, false), "RowLimit");
  EXPECT_DEATH((void)store.SortKey(1, row, false), "ColumnCount");
  EXPECT_THROW((void)store.Get(row, 1), EDatabaseError);
}
#endif

}  // namespace
}  // namespace vantor
