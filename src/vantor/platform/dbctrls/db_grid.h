#pragma once
// TDBGrid: a read-only grid of a data set's visible records, shown through a TDataSource.
// One column per visible field (its DisplayLabel as the title, its DisplayWidth in
// characters, its Alignment), a title row, an indicator column that marks the current
// record, and scroll bars of its own. The current record is highlighted and follows the
// data set both ways: when the data set moves, the grid scrolls to show it; when the user
// moves in the grid (keys, clicks, the wheel, the scroll bars), the data set moves.
//
// Only the rows on screen are read, through TDataSet::ReadRecords, without moving the
// cursor; so a grid over a million records paints as fast as one over ten.

#include <memory>
#include <vector>

#include <vantor/platform/data/data_source.h>
#include <vantor/platform/ui/custom_control.h>

namespace vantor {

class TField;

class TDBGrid : public TCustomControl {
 public:
  explicit TDBGrid(TComponent* owner);
  ~TDBGrid() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* source);
  // The data set shown, or null.
  TDataSet* DataSet() const;

  // --- Geometry, in client pixels ---
  int RowHeight() const;
  int TitleHeight() const { return RowHeight(); }
  static constexpr int kIndicatorWidth = 11;
  // Data rows that fit fully below the title (at least 1).
  int VisibleRowCount() const;
  // The record number shown in the first data row (1 when empty).
  int TopRecNo() const { return top_rec_no_; }
  // The first column shown (horizontal scrolling is by whole columns).
  int LeftColumn() const { return left_column_; }
  // The fields shown, in order, and each column's width in pixels.
  const std::vector<TField*>& Columns() const { return columns_; }
  int ColumnWidth(int column) const;
  // The record number in the data row under a client point, 0 when the point is on no
  // record (the title, the scroll bars, below the last record).
  int RecNoAt(int x, int y) const;

  void WndProc(TMessage& message) override;
  void Notification(TComponent* c, TOperation op) override;

 protected:
  void CreateParams(TCreateParams& params) const override;
  void Paint() override;
  void KeyDown(std::uint16_t& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  class Link;
  friend class Link;

  // The data link's notifications.
  void LinkActiveChanged();
  void LinkDataChanged();
  void LinkLayoutChanged();

  void BuildColumns();
  // Puts the current record inside the rows shown, moving the top row as little as needed.
  void ScrollToCurrent();
  int RecordCount() const;
  // The area of the data cells, and of each scroll bar (empty when the bar is hidden).
  TRect DataArea() const;
  TRect VertBarRect() const;
  TRect HorzBarRect() const;
  bool NeedsVertBar() const;
  bool NeedsHorzBar() const;
  int ColumnsWidth(int from) const;
  // Moves the data set by `distance` records (clamped at the ends).
  void MoveBy(int distance);
  void MoveTo(int rec_no);
  void ScrollColumns(int distance);
  void ThumbDrag(int y);
  void PaintTitle(TCanvas& canvas, const TRect& area);
  void PaintRows(TCanvas& canvas, const TRect& area);
  void PaintCell(TCanvas& canvas, const TRect& cell, const TField& field, bool current);

  std::unique_ptr<Link> link_;
  std::vector<TField*> columns_;
  int top_rec_no_ = 1;
  int left_column_ = 0;
  bool dragging_thumb_ = false;
};

// Registers TDBGrid so that form descriptions can create it by class name.
void RegisterDBControlClasses();

}  // namespace vantor
