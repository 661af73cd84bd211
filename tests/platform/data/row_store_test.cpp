#include "platform/data/row_store.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(RowStore, NewRowsAreNullAndIdsGrow) {
  TRowStore store({TFieldType::ftString, TFieldType::ftInteger});
  const RowId a = store.AppendRow();
  const RowId b = store.AppendRow();
  EXPECT_LT(a, b);
  EXPECT_TRUE(store.IsNull(a, 0));
  EXPECT_TRUE(store.Get(b, 1).IsNull());
}

}  // namespace
}  // namespace vantor
