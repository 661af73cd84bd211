#include <vantor/platform/dbctrls/db_grid.h>

#include <algorithm>
#include <cassert>

#include <vantor/platform/core/type_info.h>
#include <vantor/platform/data/data_link.h>
#include <vantor/platform/data/data_set.h>
#include <vantor/platform/data/field.h>
#include <vantor/platform/ui/font_metrics.h>
#include <vantor/platform/ui/publishing.h>
#include <vantor/platform/ui/scroll_bar_paint.h>

namespace vantor {

// Hands the data source's notifications to the grid.
class TDBGrid::Link : public TDataLink {
 public:
  explicit Link(TDBGrid& grid) : grid_(grid) {}
  ~Link() override { SetDataSource(nullptr); }
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

 protected:
  void ActiveChanged() override { grid_.LinkActiveChanged(); }
  void DataSetChanged() override { grid_.LinkDataChanged(); }
  void DataSetScrolled(int /*distance*/) override { grid_.LinkDataChanged(); }
  void LayoutChanged() override { grid_.LinkLayoutChanged(); }
  void RecordChanged(TField* /*field*/) override { grid_.Invalidate(); }

 private:
  TDBGrid& grid_;
};

const TypeInfo& TDBGrid::StaticType() {
  static const TypeInfo info = [] {
    TypeBuilder<TDBGrid> b("TDBGrid", &TCustomControl::StaticType());
    b.Component()
        .Property("Align", &TControl::Align, &TControl::SetAlign, alNone)
        .Property("DataSource", &TDBGrid::DataSource, &TDBGrid::SetDataSource);
    PublishTabStop(b, true).Property("Visible", &TControl::Visible, &TControl::SetVisible, true);
    return b.Build();
  }();
  return info;
}

TDBGrid::TDBGrid(TComponent* owner) : TCustomControl(owner), link_(std::make_unique<Link>(*this)) {
  SetControlStyle({csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks});
  SetBounds(0, 0, 320, 120);
  SetColor(clWindow);
  SetTabStop(true);
}

TDBGrid::~TDBGrid() {
  // Let go of the source while the link can still tell the grid (reset() nulls link_
  // before the link's destructor runs).
  link_->SetDataSource(nullptr);
  link_.reset();
}

TDataSource* TDBGrid::DataSource() const { return link_->DataSource(); }

void TDBGrid::SetDataSource(TDataSource* source) {
  if (source == link_->DataSource()) return;
  link_->SetDataSource(source);
  if (source != nullptr) source->FreeNotification(this);
}

TDataSet* TDBGrid::DataSet() const { return link_->Active() ? link_->DataSet() : nullptr; }

void TDBGrid::Notification(TComponent* c, TOperation op) {
  TCustomControl::Notification(c, op);
  if (op == opRemove && link_ && c == link_->DataSource()) SetDataSource(nullptr);
}

void TDBGrid::CreateParams(TCreateParams& params) const {
  TCustomControl::CreateParams(params);
  if (NewStyleControls() && Ctl3D()) {
    params.ExStyle |= WS_EX_CLIENTEDGE;
  } else {
    params.Style |= WS_BORDER;
  }
}

// --- Following the data set ---

void TDBGrid::LinkActiveChanged() {
  top_rec_no_ = 1;
  left_column_ = 0;
  BuildColumns();
  ScrollToCurrent();
  Invalidate();
}

void TDBGrid::LinkDataChanged() {
  ScrollToCurrent();
  Invalidate();
}

void TDBGrid::LinkLayoutChanged() {
  BuildColumns();
  LinkDataChanged();
}

void TDBGrid::BuildColumns() {
  columns_.clear();
  TDataSet* data_set = DataSet();
  if (data_set != nullptr) {
    for (int i = 0; i < data_set->FieldCount(); ++i) {
      TField* field = data_set->Fields(i);
      if (field->Visible()) columns_.push_back(field);
    }
  }
  left_column_ = std::clamp(left_column_, 0, std::max(0, static_cast<int>(columns_.size()) - 1));
}

int TDBGrid::RecordCount() const {
  TDataSet* data_set = DataSet();
  return data_set == nullptr ? 0 : data_set->RecordCount();
}

void TDBGrid::ScrollToCurrent() {
  const int rows = VisibleRowCount();
  TDataSet* data_set = DataSet();
  // A data set that reads its rows on demand reads the screenful around its record, so
  // that the rows shown next to it are its real neighbours.
  if (data_set != nullptr && data_set->Active()) data_set->HoldRecords(rows, rows);
  const int count = RecordCount();
  const int current = data_set == nullptr ? 0 : data_set->RecNo();
  if (current > 0) {
    if (current < top_rec_no_) top_rec_no_ = current;
    if (current >= top_rec_no_ + rows) top_rec_no_ = current - rows + 1;
  }
  // No empty rows below the last record while there are records above the first row.
  top_rec_no_ = std::clamp(top_rec_no_, 1, std::max(1, count - rows + 1));
}

// --- Geometry ---

int TDBGrid::RowHeight() const { return TextHeight(*Font()) + 4; }

int TDBGrid::ColumnWidth(int column) const {
  const TField& field = *columns_.at(static_cast<std::size_t>(column));
  const int chars = std::max(field.DisplayWidth(), 1) * vantor::TextWidth(*Font(), "0");
  const int title = vantor::TextWidth(*Font(), field.DisplayLabel());
  return std::max(chars, title) + 4;
}

int TDBGrid::ColumnsWidth(int from) const {
  int width = 0;
  for (int c = from; c < static_cast<int>(columns_.size()); ++c) width += ColumnWidth(c) + 1;
  return width;
}

bool TDBGrid::NeedsHorzBar() const {
  return kIndicatorWidth + 1 + ColumnsWidth(0) > ClientWidth() - GetSystemMetrics(SM_CXVSCROLL);
}

bool TDBGrid::NeedsVertBar() const {
  // Shown whenever there are records, so the width of the data area does not jump as the
  // filter changes the count.
  return DataSet() != nullptr;
}

TRect TDBGrid::DataArea() const {
  TRect r = GetClientRect();
  if (NeedsVertBar()) r.Right -= GetSystemMetrics(SM_CXVSCROLL);
  if (NeedsHorzBar()) r.Bottom -= GetSystemMetrics(SM_CYHSCROLL);
  r.Right = std::max(r.Left, r.Right);
  r.Bottom = std::max(r.Top, r.Bottom);
  return r;
}

TRect TDBGrid::VertBarRect() const {
  if (!NeedsVertBar()) return {};
  const TRect area = DataArea();
  return {area.Right, 0, ClientWidth(), area.Bottom};
}

TRect TDBGrid::HorzBarRect() const {
  if (!NeedsHorzBar()) return {};
  const TRect area = DataArea();
  return {0, area.Bottom, area.Right, ClientHeight()};
}

int TDBGrid::VisibleRowCount() const {
  return std::max(1, (DataArea().Height() - TitleHeight() - 1) / (RowHeight() + 1));
}

int TDBGrid::RecNoAt(int x, int y) const {
  const TRect area = DataArea();
  if (x < area.Left || x >= area.Right || y < TitleHeight() + 1 || y >= area.Bottom) return 0;
  const int row = (y - TitleHeight() - 1) / (RowHeight() + 1);
  if (row >= VisibleRowCount()) return 0;
  const int rec_no = top_rec_no_ + row;
  return rec_no <= RecordCount() ? rec_no : 0;
}

// --- Moving ---

void TDBGrid::MoveBy(int distance) {
  if (TDataSet* data_set = DataSet(); data_set != nullptr && distance != 0) data_set->MoveBy(distance);
}

void TDBGrid::MoveTo(int rec_no) {
  TDataSet* data_set = DataSet();
  const int count = RecordCount();
  if (data_set == nullptr || count == 0) return;
  rec_no = std::clamp(rec_no, 1, count);
  if (rec_no != data_set->RecNo()) data_set->SetRecNo(rec_no);
}

void TDBGrid::ScrollColumns(int distance) {
  const int last = std::max(0, static_cast<int>(columns_.size()) - 1);
  const int column = std::clamp(left_column_ + distance, 0, last);
  if (column == left_column_) return;
  left_column_ = column;
  Invalidate();
}

void TDBGrid::KeyDown(std::uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  TDataSet* data_set = DataSet();
  if (key == 0 || data_set == nullptr) return;
  const bool ctrl = shift.Contains(ssCtrl);
  switch (key) {
    case VK_UP: MoveBy(-1); break;
    case VK_DOWN: MoveBy(1); break;
    case VK_PRIOR: MoveBy(-VisibleRowCount()); break;
    case VK_NEXT: MoveBy(VisibleRowCount()); break;
    case VK_HOME:
      if (ctrl) data_set->First(); else ScrollColumns(-left_column_);
      break;
    case VK_END:
      if (ctrl) data_set->Last(); else ScrollColumns(static_cast<int>(columns_.size()));
      break;
    case VK_LEFT: ScrollColumns(-1); break;
    case VK_RIGHT: ScrollColumns(1); break;
    default: return;
  }
  key = 0;
}

void TDBGrid::ThumbDrag(int y) {
  const TRect bar = VertBarRect();
  const int count = RecordCount();
  const TScrollBarParts parts = ScrollBarParts(bar.Height(), bar.Width(), 0.0, 0.5);
  const int track = bar.Height() - 2 * parts.button;
  if (track <= 0 || count == 0) return;
  const double fraction = std::clamp(static_cast<double>(y - bar.Top - parts.button) / track, 0.0, 1.0);
  MoveTo(1 + static_cast<int>(fraction * (count - 1) + 0.5));
}

void TDBGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (CanFocus() && !Focused()) SetFocus();
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || DataSet() == nullptr) return;
  const TPoint p{x, y};
  if (const TRect bar = VertBarRect(); PtInRect(bar, p)) {
    const int count = RecordCount();
    const int rows = VisibleRowCount();
    const double page = count == 0 ? 1.0 : static_cast<double>(rows) / count;
    const double position = count <= rows ? 0.0 : static_cast<double>(top_rec_no_ - 1) / (count - rows);
    const TScrollBarParts parts = ScrollBarParts(bar.Height(), bar.Width(), position, page);
    const int along = y - bar.Top;
    if (along < parts.button) {
      MoveBy(-1);
    } else if (along >= bar.Height() - parts.button) {
      MoveBy(1);
    } else if (parts.thumb_length > 0 && along < parts.thumb_offset) {
      MoveBy(-rows);
    } else if (parts.thumb_length > 0 && along >= parts.thumb_offset + parts.thumb_length) {
      MoveBy(rows);
    } else {
      dragging_thumb_ = true;
    }
    return;
  }
  if (const TRect bar = HorzBarRect(); PtInRect(bar, p)) {
    ScrollColumns(x - bar.Left < bar.Width() / 2 ? -1 : 1);
    return;
  }
  if (const int rec_no = RecNoAt(x, y); rec_no != 0) MoveTo(rec_no);
}

void TDBGrid::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (dragging_thumb_) ThumbDrag(y);
}

void TDBGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  dragging_thumb_ = false;
}

void TDBGrid::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS;
      return;
    case WM_MOUSEWHEEL: {
      // Three records a notch, forward (away from the user) moving up.
      const int delta = static_cast<std::int16_t>((static_cast<std::uintptr_t>(m.WParam) >> 16) & 0xFFFF);
      MoveBy(-delta / 120 * 3);
      m.Result = 1;
      return;
    }
    case WM_SIZE:
      TCustomControl::WndProc(m);
      ScrollToCurrent();
      Invalidate();
      return;
    default:
      TCustomControl::WndProc(m);
      return;
  }
}

// --- Painting ---

void TDBGrid::Paint() {
  TCanvas& canvas = *Canvas();
  canvas.SetFont(Font());
  const TRect area = DataArea();
  canvas.Brush()->SetColor(Color());
  canvas.Brush()->SetStyle(bsSolid);
  canvas.FillRect(GetClientRect());
  PaintTitle(canvas, area);
  PaintRows(canvas, area);
  const int count = RecordCount();
  const int rows = VisibleRowCount();
  if (const TRect bar = VertBarRect(); bar.Width() > 0) {
    const double page = count == 0 ? 1.0 : std::min(1.0, static_cast<double>(rows) / count);
    const double position = count <= rows ? 0.0 : static_cast<double>(top_rec_no_ - 1) / (count - rows);
    PaintScrollBar(canvas, bar, true, position, page);
  }
  if (const TRect bar = HorzBarRect(); bar.Width() > 0) {
    const int total = static_cast<int>(columns_.size());
    const double page = std::min(1.0, static_cast<double>(area.Width()) / std::max(1, ColumnsWidth(0)));
    PaintScrollBar(canvas, bar, false, total <= 1 ? 0.0 : static_cast<double>(left_column_) / (total - 1), page);
  }
  if (VertBarRect().Width() > 0 && HorzBarRect().Width() > 0) {
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect({area.Right, area.Bottom, ClientWidth(), ClientHeight()});
  }
}

void TDBGrid::PaintTitle(TCanvas& canvas, const TRect& area) {
  const int height = TitleHeight();
  auto title_cell = [&](TRect cell, const std::string& text, TAlignment alignment) {
    TRect face = cell;
    Frame3D(canvas, face, clBtnHighlight, clBtnShadow, 1);
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect(face);
    canvas.Font()->SetColor(clBtnText);
    const int width = canvas.TextWidth(text);
    int x = cell.Left + 2;
    if (alignment == taRightJustify) x = cell.Right - 3 - width;
    if (alignment == taCenter) x = cell.Left + (cell.Width() - width) / 2;
    canvas.TextRect(face, x, cell.Top + 2, text);
  };
  TRect bounds{area.Left, area.Top, area.Right, area.Top + height};
  title_cell({0, 0, kIndicatorWidth, height}, "", taLeftJustify);
  int x = kIndicatorWidth + 1;
  for (int c = left_column_; c < static_cast<int>(columns_.size()) && x < bounds.Right; ++c) {
    const int width = ColumnWidth(c);
    TRect cell{x, 0, std::min(x + width, bounds.Right), height};
    title_cell(cell, columns_[static_cast<std::size_t>(c)]->DisplayLabel(),
               columns_[static_cast<std::size_t>(c)]->Alignment());
    x += width + 1;
  }
  canvas.Font()->Assign(Font());
}

void TDBGrid::PaintCell(TCanvas& canvas, const TRect& cell, const TField& field, bool current) {
  canvas.Brush()->SetColor(current ? clHighlight : Color());
  canvas.Font()->SetColor(current ? clHighlightText : Font()->Color());
  const std::string text = field.AsString();
  const int width = canvas.TextWidth(text);
  int x = cell.Left + 2;
  switch (field.Alignment()) {
    case taRightJustify: x = cell.Right - 2 - width; break;
    case taCenter: x = cell.Left + (cell.Width() - width) / 2; break;
    case taLeftJustify: break;
  }
  canvas.TextRect(cell, x, cell.Top + 2, text);
}

void TDBGrid::PaintRows(TCanvas& canvas, const TRect& area) {
  TDataSet* data_set = DataSet();
  const int height = RowHeight();
  const int title = TitleHeight();
  const int rows = VisibleRowCount();
  // Grid lines: one pixel between the rows and the columns, over the whole data area.
  canvas.Brush()->SetColor(clSilver);
  for (int r = 0; r <= rows; ++r) {
    const int y = title + r * (height + 1);
    if (y < area.Bottom) canvas.FillRect({area.Left, y, area.Right, y + 1});
  }
  int line_x = kIndicatorWidth;
  canvas.FillRect({line_x, title, line_x + 1, area.Bottom});
  for (int c = left_column_; c < static_cast<int>(columns_.size()) && line_x < area.Right; ++c) {
    line_x += ColumnWidth(c) + 1;
    canvas.FillRect({line_x, title, line_x + 1, area.Bottom});
  }
  // The indicator column.
  canvas.Brush()->SetColor(clBtnFace);
  canvas.FillRect({0, title + 1, kIndicatorWidth, area.Bottom});
  if (data_set == nullptr) return;
  const int current = data_set->RecNo();
  data_set->ReadRecords(top_rec_no_, rows, [&](int rec_no) {
    const int row = rec_no - top_rec_no_;
    // ReadRecords visits only the positions asked for, so the row is on screen.
    assert(row >= 0 && row < rows);
    const int top = title + 1 + row * (height + 1);
    const bool is_current = rec_no == current;
    if (is_current) {
      PaintArrow(canvas, {0, top, kIndicatorWidth, top + height}, TArrowDirection::adRight, clBtnText);
    }
    int x = kIndicatorWidth + 1;
    for (int c = left_column_; c < static_cast<int>(columns_.size()) && x < area.Right; ++c) {
      const int width = ColumnWidth(c);
      PaintCell(canvas, {x, top, std::min(x + width, area.Right), top + height},
                *columns_[static_cast<std::size_t>(c)], is_current);
      x += width + 1;
    }
  });
  canvas.Font()->Assign(Font());
}

void RegisterDBControlClasses() { RegisterClass(TDBGrid::StaticType()); }

}  // namespace vantor
