#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/dbctrls/db_grid.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/screen.h>

namespace vantor {
namespace {

// A table that counts the field values it hands out, to see how much a grid reads.
class TCountingTable : public TTable {
 public:
  using TTable::TTable;
  ~TCountingTable() override { DestroyDataSet(); }
  mutable long reads = 0;

 protected:
  Variant GetFieldValue(const TField& field) const override {
    ++reads;
    return TTable::GetFieldValue(field);
  }
};

// A grid 400 x 200 on a shown form, over a table of `rows` customers (Id integer, Name
// string of 20); Id n has the name "Name n".
struct GridScene {
  explicit GridScene(int rows) : form(new TForm(nullptr, TCreateNew{})), table(nullptr), source(nullptr) {
    form->SetBounds(0, 0, 500, 300);
    table.FieldDefs().Add("Id", TFieldType::ftInteger);
    table.FieldDefs().Add("Name", TFieldType::ftString, 20);
    table.Open();
    for (int i = 1; i <= rows; ++i) {
      table.Append();
      table.FieldByName("Id")->SetAsInteger(i);
      table.FieldByName("Name")->SetAsString("Name " + std::to_string(i));
      table.Post();
    }
    table.First();
    source.SetDataSet(&table);
    grid = new TDBGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 400, 200);
    grid->SetDataSource(&source);
    form->Show();
  }
  ~GridScene() { form->Hide(); }
  GridScene(const GridScene&) = delete;
  GridScene& operator=(const GridScene&) = delete;

  // The y of the middle of the n-th data row (0-based) in client coordinates.
  int RowY(int n) const { return grid->TitleHeight() + 1 + n * (grid->RowHeight() + 1) + grid->RowHeight() / 2; }
  // The texts painted on the highlight colour in the last painting.
  std::vector<std::string> HighlightedTexts() {
    grid->Repaint();
    std::vector<std::string> texts;
    for (const TCanvasOp& op : grid->Surface().ops) {
      if (op.kind == TCanvasOpKind::TextRect && op.brush_color == clHighlight) texts.push_back(op.text);
    }
    return texts;
  }

  std::unique_ptr<TForm> form;
  TCountingTable table;
  TDataSource source;
  TDBGrid* grid = nullptr;
};

TEST(DBGrid, ColumnsComeFromTheVisibleFieldsWithTheirTitlesWidthsAndAlignment) {
  GridScene s(3);
  ASSERT_EQ(s.grid->Columns().size(), 2u);
  EXPECT_EQ(s.grid->Columns()[0]->FieldName(), "Id");
  // "0" is 7 pixels wide in the default font: DisplayWidth characters and 4 of padding.
  const int digit = TextWidth(*s.grid->Font(), "0");
  EXPECT_EQ(s.grid->ColumnWidth(1), 20 * digit + 4);
  s.table.FieldByName("Name")->SetVisible(false);
  ASSERT_EQ(s.grid->Columns().size(), 1u) << "a layout change rebuilds the columns";
  s.table.FieldByName("Id")->SetDisplayLabel("Customer number");
  s.grid->Repaint();
  bool title_seen = false;
  bool right_aligned = false;
  for (const TCanvasOp& op : s.grid->Surface().ops) {
    if (op.kind != TCanvasOpKind::TextRect) continue;
    if (op.text == "Customer number") title_seen = true;
    // A number is right-aligned: its text ends two pixels before the cell's right edge.
    if (op.text == "2") right_aligned = op.at.X + TextWidth(*s.grid->Font(), "2") == op.rect.Right - 2;
  }
  EXPECT_TRUE(title_seen);
  EXPECT_TRUE(right_aligned);
}

TEST(DBGrid, TheCurrentRecordIsHighlightedAndFollowsTheDataSet) {
  GridScene s(100);
  EXPECT_EQ(s.HighlightedTexts(), (std::vector<std::string>{"1", "Name 1"}));
  s.table.SetRecNo(40);
  const int rows = s.grid->VisibleRowCount();
  EXPECT_EQ(s.grid->TopRecNo(), 40 - rows + 1) << "scrolled just enough to show it at the bottom";
  EXPECT_EQ(s.HighlightedTexts(), (std::vector<std::string>{"40", "Name 40"}));
  s.table.SetRecNo(10);
  EXPECT_EQ(s.grid->TopRecNo(), 10) << "scrolled up to show it at the top";
  s.table.Last();
  EXPECT_EQ(s.grid->TopRecNo(), 100 - rows + 1);
}

TEST(DBGrid, OneRecordDownFromTheBottomRowScrollsByOneRow) {
  GridScene s(100);
  const int rows = s.grid->VisibleRowCount();
  s.table.SetRecNo(rows);
  ASSERT_EQ(s.grid->TopRecNo(), 1) << "the current record is on the bottom row";
  s.grid->SetFocus();
  SendKey(s.grid, VK_DOWN);
  EXPECT_EQ(s.grid->TopRecNo(), 2);
  EXPECT_EQ(s.HighlightedTexts(), (std::vector<std::string>{std::to_string(rows + 1), "Name " + std::to_string(rows + 1)}));
  s.table.Next();
  EXPECT_EQ(s.grid->TopRecNo(), 3);
  EXPECT_EQ(s.HighlightedTexts(), (std::vector<std::string>{std::to_string(rows + 2), "Name " + std::to_string(rows + 2)}));
}

TEST(DBGrid, ClickingTheLastRecordOnTheBottomRowMakesItCurrent) {
  GridScene s(100);
  const int rows = s.grid->VisibleRowCount();
  s.table.Last();
  s.table.SetRecNo(100 - rows + 1);  // the first row shown; the last record is on the bottom row
  ASSERT_EQ(s.grid->TopRecNo(), 100 - rows + 1);
  ClickAt(s.grid, 50, s.RowY(rows - 1));
  EXPECT_EQ(s.table.RecNo(), 100);
  EXPECT_EQ(s.grid->TopRecNo(), 100 - rows + 1) << "nothing scrolls for a record on screen";
}

TEST(DBGrid, MovingInTheGridMovesTheDataSet) {
  GridScene s(100);
  s.grid->SetFocus();
  SendKey(s.grid, VK_DOWN);
  EXPECT_EQ(s.table.RecNo(), 2);
  SendKey(s.grid, VK_NEXT);
  EXPECT_EQ(s.table.RecNo(), 2 + s.grid->VisibleRowCount());
  SendKey(s.grid, VK_END, {ssCtrl});
  EXPECT_EQ(s.table.RecNo(), 100);
  SendKey(s.grid, VK_HOME, {ssCtrl});
  EXPECT_EQ(s.table.RecNo(), 1);
  ClickAt(s.grid, 50, s.RowY(3));
  EXPECT_EQ(s.table.RecNo(), 4);
  s.grid->Perform(WM_MOUSEWHEEL, static_cast<std::intptr_t>(static_cast<std::uint32_t>(-120) << 16));
  EXPECT_EQ(s.table.RecNo(), 7) << "a notch towards the user moves three records down";
  ClickAt(s.grid, 50, s.grid->ClientHeight() - 1);
  EXPECT_EQ(s.table.RecNo(), 7) << "a click below the rows and on no bar moves nothing";
}

TEST(DBGrid, TheScrollBarPagesAndItsThumbDragsThroughTheRecords) {
  GridScene s(1000);
  const int bar_x = s.grid->ClientWidth() - 4;
  // Below the thumb (at the top): a page down.
  ClickAt(s.grid, bar_x, s.grid->ClientHeight() / 2);
  EXPECT_EQ(s.table.RecNo(), 1 + s.grid->VisibleRowCount());
  // The lower arrow: one record.
  const int before = s.table.RecNo();
  ClickAt(s.grid, bar_x, s.grid->ClientHeight() - 5);
  EXPECT_EQ(s.table.RecNo(), before + 1);
  // Dragging the thumb to the bottom of the track reaches the last record.
  s.table.First();
  const int thumb_y = GetSystemMetrics(SM_CYVSCROLL) + 2;
  s.grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(bar_x, thumb_y));
  s.grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(bar_x, s.grid->ClientHeight()));
  s.grid->Perform(WM_LBUTTONUP, 0, MakeLParam(bar_x, s.grid->ClientHeight()));
  EXPECT_EQ(s.table.RecNo(), 1000);
}

TEST(DBGrid, PaintingAMillionRecordsReadsOnlyTheRowsOnScreen) {
  GridScene s(0);
  s.table.DisableControls();
  for (int i = 1; i <= 1'000'000; ++i) {
    s.table.Append();
    s.table.FieldByName("Id")->SetAsInteger(i);
    s.table.Post();
  }
  s.table.EnableControls();
  s.table.SetRecNo(654'321);
  s.table.reads = 0;
  s.grid->Repaint();
  const long cells = static_cast<long>(s.grid->VisibleRowCount()) * 2;
  EXPECT_GT(s.table.reads, 0);
  EXPECT_LE(s.table.reads, cells + 2) << "one read per cell shown (and the current record's)";
  EXPECT_EQ(s.grid->TopRecNo(), 654'321) << "moving up shows the record at the top";
  EXPECT_EQ(s.HighlightedTexts().front(), "654321");
}

TEST(DBGrid, AFilteredDataSetShowsOnlyItsAcceptedRecords) {
  GridScene s(50);
  s.table.SetOnFilterRecord([](TDataSet* ds, bool& accept) { accept = ds->FieldByName("Id")->AsInteger() % 10 == 0; });
  s.table.SetFiltered(true);
  s.grid->Repaint();
  std::vector<std::string> ids;
  for (const TCanvasOp& op : s.grid->Surface().ops) {
    if (op.kind == TCanvasOpKind::TextRect && op.text.find("Name") == std::string::npos && !op.text.empty() &&
        op.text != "Id") {
      ids.push_back(op.text);
    }
  }
  EXPECT_EQ(ids, (std::vector<std::string>{"10", "20", "30", "40", "50"}));
  EXPECT_EQ(s.grid->RecNoAt(50, s.RowY(5)), 0) << "no record below the last one";
}

TEST(DBGrid, ForgetsItsDataSourceWhenTheSourceIsFreed) {
  GridScene s(5);
  auto* other = new TDataSource(nullptr);
  other->SetDataSet(&s.table);
  s.grid->SetDataSource(other);
  delete other;
  EXPECT_EQ(s.grid->DataSource(), nullptr);
  EXPECT_EQ(s.grid->DataSet(), nullptr);
  EXPECT_TRUE(s.grid->Columns().empty());
  s.grid->Repaint();  // paints an empty grid without a data set
}

}  // namespace
}  // namespace vantor
