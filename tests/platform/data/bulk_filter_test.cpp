// A record filter that decides whole passes: when the data set asks it instead of the
// callback, what it may read, when the data set forgets it, and the stamps of the rows.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <vantor/platform/data/data_set.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/data/typed_fields.h>

namespace vantor {
namespace {

// Accepts the rows whose "n" cell is even, reading the cells; counts its passes.
class EvenCells : public TBulkRecordFilter {
 public:
  void FilterRows(TFilterPass& pass) override {
    ++passes;
    const TField* n = pass.DataSet().FieldByName("n");
    const int column = pass.CellColumn(*n);
    ASSERT_GE(column, 0);
    const TRowStore::ColumnScan cells = pass.Store().Scan(column);
    for (RowId r : pass.Order()) {
      if (!cells.IsNull(r) && cells.Load<std::int32_t>(r) % 2 == 0) pass.Accepted().push_back(r);
    }
    stamps.push_back(pass.Stamp());
  }
  int passes = 0;
  std::vector<TRowsStamp> stamps;
};

class BulkFilter : public ::testing::Test {
 protected:
  BulkFilter() : table(nullptr) {
    table.FieldDefs().Add("n", TFieldType::ftInteger);
    table.IndexDefs().Add("by_n_desc", "n", {ixDescending});
    table.Open();
    for (int i = 1; i <= 6; ++i) {
      table.Append();
      table.FieldByName("n")->SetAsInteger(i);
      table.Post();
    }
    callback = [this](TDataSet* ds, bool& accept) {
      ++callback_calls;
      accept = ds->FieldByName("n")->AsInteger() % 2 == 0;
    };
  }
  std::vector<int> Visible() {
    std::vector<int> values;
    for (table.First(); !table.Eof(); table.Next()) values.push_back(table.FieldByName("n")->AsInteger());
    return values;
  }

  TTable table;
  EvenCells bulk;
  TFilterRecordEvent callback;
  int callback_calls = 0;
};

TEST_F(BulkFilter, WholePassesGoToTheBulkFilterAndSingleRowsToTheCallback) {
  table.SetOnFilterRecord(callback, &bulk);
  table.SetFiltered(true);
  EXPECT_EQ(bulk.passes, 1);
  EXPECT_EQ(callback_calls, 0);
  EXPECT_EQ(Visible(), (std::vector<int>{2, 4, 6}));
  table.Refresh();
  EXPECT_EQ(bulk.passes, 2);

  // A posted row is decided by the callback alone.
  table.Append();
  table.FieldByName("n")->SetAsInteger(8);
  table.Post();
  EXPECT_EQ(callback_calls, 1);
  EXPECT_EQ(bulk.passes, 2);
  EXPECT_EQ(Visible(), (std::vector<int>{2, 4, 6, 8}));

  // Another order keeps the answer and asks nobody.
  table.SetIndexName("by_n_desc");
  EXPECT_EQ(Visible(), (std::vector<int>{8, 6, 4, 2}));
  EXPECT_EQ(bulk.passes, 2);
}

TEST_F(BulkFilter, ReplacingTheCallbackForgetsTheBulkFilter) {
  table.SetOnFilterRecord(callback, &bulk);
  table.SetFiltered(true);
  table.SetOnFilterRecord(callback);
  EXPECT_EQ(bulk.passes, 1);
  EXPECT_EQ(callback_calls, 6);
  table.Refresh();
  EXPECT_EQ(bulk.passes, 1);
  // Without a callback there is nothing for it to stand in for.
  table.SetOnFilterRecord(TFilterRecordEvent{}, &bulk);
  EXPECT_EQ(Visible().size(), 6u);
  EXPECT_EQ(bulk.passes, 1);
}

TEST_F(BulkFilter, StampsChangeWithTheRowsAndTheirOrderOnly) {
  const TRowsStamp opened = table.RowsStamp();
  table.First();
  table.Next();
  table.Edit();
  table.Cancel();
  EXPECT_EQ(table.RowsStamp(), opened);

  table.SetIndexName("by_n_desc");
  const TRowsStamp reordered = table.RowsStamp();
  EXPECT_EQ(reordered.rows, opened.rows);
  EXPECT_NE(reordered.order, opened.order);

  table.Edit();
  table.FieldByName("n")->SetAsInteger(40);
  table.Post();
  EXPECT_NE(table.RowsStamp().rows, reordered.rows);

  const TRowsStamp posted = table.RowsStamp();
  table.Delete();
  EXPECT_NE(table.RowsStamp().rows, posted.rows);

  // Another data set never shows the same stamp.
  TTable other(nullptr);
  other.FieldDefs().Add("n", TFieldType::ftInteger);
  other.Open();
  EXPECT_NE(other.RowsStamp(), table.RowsStamp());
}

TEST_F(BulkFilter, CalculatedFieldsHaveNoCellColumn) {
  TTable t(nullptr);
  t.FieldDefs().Add("n", TFieldType::ftInteger);
  TField* n = CreateField(&t, TFieldType::ftInteger);
  n->SetFieldName("n");
  TField* twice = CreateField(&t, TFieldType::ftInteger);
  twice->SetFieldName("twice");
  twice->SetFieldKind(fkCalculated);
  t.Open();
  std::vector<RowId> accepted;
  TFilterPass pass(t, accepted);
  EXPECT_EQ(pass.CellColumn(*n), 0);
  EXPECT_EQ(pass.CellColumn(*twice), -1);
  EXPECT_EQ(pass.CellColumn(*table.FieldByName("n")), -1);  // a field of another data set
}

}  // namespace
}  // namespace vantor
