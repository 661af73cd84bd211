// The layout of a criteria panel: one row per shown field inside the inner box, with
// the field's label, one or two edits, the range captions and the comments, measured in
// the fonts of the style options and placed by the panel's PosState.
//
// Call order: PaintComponent -> PaintPanel (space available) -> PaintFields (a pass with
// controls, AutoSize, scroll bars, at most one repeated pass) -> PaintPanelComponents
// (the pass proper, run by TPanelLayoutPass). Controls stay from pass to pass: a pass
// creates only the ones that are missing and frees only the ones no longer wanted.

#include <algorithm>
#include <cassert>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <vantor/panel/field_record_edit.h>
#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/core/temporary_change.h>
#include <vantor/platform/rtl/saturating.h>
#include <vantor/platform/ui/label.h>

namespace vantor {

namespace {

// MaxFieldsWidth/Height of a direction AutoSize may grow in.
constexpr int kUnbounded = INT_MAX;

// Whether rows `extent` high are taller than a box can show whose frame takes `frame` of
// the height `max_height`. The box shows its vertical bar for a range beyond its client
// area, so the pass keeps the bar's width free of edits then: a panel that keeps its
// height has exactly that height for its rows, and no edit ends under its bar; a panel
// that sizes itself to its rows keeps the width free one pixel earlier than it needs to.
bool RowsOverflow(std::int64_t frame, std::int64_t extent, int max_height) {
  return frame + extent > max_height;
}

// The size of "A" in a font, as the measuring label shows it.
TPoint MeasureA(TLabel& measure, const TFont& font) {
  measure.SetFont(&font);
  measure.SetCaption("A");
  return {measure.Width(), measure.Height()};
}

}  // namespace

// One run of PaintPanelComponents. Positions and widths are worked out in 64 bits (the
// available width starts from an unbounded maximum, a display width may be any int) and
// brought back to the controls' range, saturating, where they are set.
class TPanelLayoutPass {
 public:
  TPanelLayoutPass(TPanelFieldsSet& panel, bool paint)
      : panel_(panel),
        paint_(paint),
        box_(*panel.scroll_box_),
        style_(*panel.style_options_),
        pos_(panel.pos_state_),
        formatted_(pos_ == psOneLineFmt || pos_ == psTwoLineFmt),
        with_caption_(panel.captions_->GetCaption(0)),
        on_caption_(panel.captions_->GetCaption(1)) {}

  TPoint Run();

 private:
  // What the pass needs to know of a record, asked once.
  struct RecordState {
    TFieldRecord* record = nullptr;
    TCountType count = coNone;
    bool visible = false;
    bool TakesPart() const { return count != coNone; }
    bool Shown() const { return TakesPart() && visible; }
  };
  struct Widths {
    std::int64_t edit = 0;
    std::int64_t comment = 0;
  };

  void Measure();
  void CollectRecords();
  void CleanUp(const RecordState& state);
  void ShowRow(const RecordState& state);
  void PlaceHiddenEdits(const RecordState& state);
  // Widths of the edits and comments of a row whose first edit is at `x`.
  Widths EditWidths(const RecordState& state, std::int64_t x) const;
  std::int64_t PlaceLabel(TFieldRecord& record, int index, const std::string& text,
                          std::int64_t x, std::int64_t top);
  std::int64_t PlaceComment(TFieldRecord& record, int slot, std::int64_t x,
                            std::int64_t width);
  std::int64_t PlaceEdit(TFieldRecord& record, int slot, std::int64_t x, std::int64_t width,
                         bool& created);
  void FillNewEdit(TFieldRecord& record, int slot);
  int RowTop(std::int64_t top) const { return SaturateToInt(row_ * row_step_ + top); }
  int MeasureText(const std::string& text) {
    TLabel& measure = *panel_.measure_label_;
    measure.SetCaption(text);
    return measure.Width();
  }
  TLabel* NewLabel();

  TPanelFieldsSet& panel_;
  const bool paint_;
  TScrollingFieldsSet& box_;
  TStyleOptions& style_;
  const TPosState pos_;
  const bool formatted_;  // the edits of all rows share one column
  const std::string with_caption_;
  const std::string on_caption_;
  std::vector<RecordState> records_;

  // The quantities of the pass, in pixels. The vertical ones take StepHeight, which may
  // be any int, so they are kept in 64 bits like the positions.
  int edit_char_ = 0;
  int text_char_ = 0;
  std::int64_t edit_row_ = 0;
  std::int64_t label_row_ = 0;
  std::int64_t row_step_ = 0;
  std::int64_t edit_top_ = 0;
  std::int64_t label_top_ = 0;
  std::int64_t field_label_top_ = 0;
  std::int64_t comment_top_ = 0;
  int first_column_ = 0;
  int with_width_ = 0;
  int on_width_ = 0;

  int h_pos_ = 0;  // horizontal scroll position: every left is shifted by it

  std::int64_t edit_column_ = 0;
  int scroll_reserve_ = 0;
  int row_ = 0;
  int tab_ = 0;
  std::int64_t required_width_ = 0;
};

void TPanelLayoutPass::Measure() {
  TLabel& measure = *panel_.measure_label_;
  const TPoint edit_a = MeasureA(measure, *style_.GetFont(2));
  TFont plain_text;
  plain_text.Assign(style_.GetFont(1));
  plain_text.SetStyle({});
  const TPoint text_a = MeasureA(measure, plain_text);
  // Every label width below is measured in the text font with its own style.
  measure.SetFont(style_.GetFont(1));

  const std::int64_t step = panel_.step_height_;
  const int v_pos = box_.VertScrollBar()->Position();
  const int h_pos = box_.HorzScrollBar()->Position();
  h_pos_ = h_pos;
  edit_char_ = edit_a.X;
  text_char_ = text_a.X;
  edit_row_ = edit_a.Y + step + (style_.GetCtl3D() ? 8 : 6);
  label_row_ = text_a.Y + step;
  row_step_ = std::max(edit_row_, label_row_);
  // The shorter of the two centres on the row step; C++ division truncates toward zero.
  edit_top_ = edit_row_ == row_step_ ? -v_pos : row_step_ / 2 - edit_row_ / 2 - v_pos;
  label_top_ = label_row_ == row_step_ ? -v_pos : row_step_ / 2 - label_row_ / 2 - v_pos;
  field_label_top_ = label_top_;
  comment_top_ = label_top_;
  first_column_ = SaturatingSub(1, h_pos);
  if (pos_ == psTwoLineFmt || pos_ == psTwoLine) {
    // The field label takes a line of its own above the edits.
    field_label_top_ = -v_pos;
    edit_top_ += label_row_;
    label_top_ += label_row_;
    row_step_ = edit_row_ + label_row_;
    comment_top_ = label_top_;
  }
  with_width_ = MeasureText(with_caption_);
  on_width_ = MeasureText(on_caption_);
}

void TPanelLayoutPass::CollectRecords() {
  TFieldsList& fields = *panel_.fields_;
  const bool active = panel_.data_link_ != nullptr && panel_.data_link_->Active();
  records_.reserve(static_cast<std::size_t>(fields.Count()));
  for (int i = 0; i < fields.Count(); ++i) {
    RecordState state;
    state.record = fields.Items(i);
    state.count = active ? panel_.CountState(state.record) : coNone;
    state.visible = state.record->GetVisible();
    records_.push_back(state);
  }
}

TPoint TPanelLayoutPass::Run() {
  Measure();
  if (panel_.fields_ != nullptr) CollectRecords();

  // First pass: the shared edit column of the formatted arrangements, right of the
  // widest label (and of the "with" caption of a range).
  edit_column_ = first_column_;
  row_ = 0;
  for (const RecordState& state : records_) {
    if (!state.Shown()) continue;
    if (formatted_) {
      std::int64_t x = first_column_;
      x = PlaceLabel(*state.record, 0, state.record->GetDisplayLabel(), x, field_label_top_);
      if (pos_ == psTwoLineFmt) x = first_column_;
      const std::int64_t candidate = state.count == coTwo ? x + with_width_ + text_char_ : x;
      edit_column_ = std::max(edit_column_, candidate);
    }
    ++row_;
  }

  const int required_height = SaturateToInt(row_ * row_step_ - panel_.step_height_);
  panel_.required_height_ = required_height;
  // A vertical bar will take room from the edits' width: keep it free.
  const std::int64_t box_frame = box_.Height() - box_.ClientHeight();
  scroll_reserve_ = RowsOverflow(box_frame, required_height, panel_.max_fields_height_)
                        ? GetSystemMetrics(SM_CYVSCROLL)
                        : 0;

  [[maybe_unused]] const int shown_rows = row_;
  required_width_ = 0;
  row_ = 0;
  tab_ = 0;
  for (const RecordState& state : records_) {
    if (paint_) CleanUp(state);
    if (state.Shown()) {
      ShowRow(state);
    } else if (state.TakesPart() && paint_) {
      PlaceHiddenEdits(state);
    }
  }
  // Both passes read the same collected states, so they count the same rows.
  assert(row_ == shown_rows);
  required_width_ = std::max<std::int64_t>(required_width_, panel_.min_fields_width_);
  panel_.required_width_ = SaturateToInt(required_width_);
  return {panel_.required_width_, panel_.required_height_};
}

void TPanelLayoutPass::CleanUp(const RecordState& state) {
  TFieldRecord& record = *state.record;
  auto free_edit = [&](int slot) {
    TFieldRecordEdit* edit = FieldEdit(record, slot);
    record.SetEdits(slot, nullptr);
    delete edit;
  };
  auto free_label = [&](int index) {
    TLabel* label = record.Labels(index);
    record.SetLabels(index, nullptr);
    delete label;
  };
  auto free_comment = [&](int slot) {
    TLabel* label = record.CommentLabels(slot);
    record.SetCommentLabels(slot, nullptr);
    delete label;
  };

  if (!state.visible) {
    free_label(0);
    free_label(1);
    free_label(2);
    free_comment(0);
    free_comment(1);
    if (state.count != coTwo) free_edit(1);
    if (state.count == coNone) free_edit(0);
    return;
  }
  switch (state.count) {
    case coNone:
      free_edit(0);
      free_edit(1);
      free_label(0);
      free_label(1);
      free_label(2);
      free_comment(0);
      free_comment(1);
      break;
    case coOne:
      free_edit(1);
      free_label(1);
      free_label(2);
      free_comment(1);
      break;
    case coTwo:
      break;
  }
  if (with_caption_.empty()) free_label(1);
  if (on_caption_.empty()) free_label(2);
  if (!record.GetCommentVisible()) {
    free_comment(0);
    free_comment(1);
  }
}

void TPanelLayoutPass::ShowRow(const RecordState& state) {
  TFieldRecord& record = *state.record;
  std::int64_t x = edit_column_;
  if (!formatted_) {
    x = PlaceLabel(record, 0, record.GetDisplayLabel(), x, field_label_top_);
    if (pos_ == psTwoLine) x = edit_column_;
  }
  if (state.count == coTwo) {
    // In the formatted arrangements the caption ends one character before the column.
    if (formatted_) x = edit_column_ - with_width_ - text_char_;
    if (!with_caption_.empty()) x = PlaceLabel(record, 1, with_caption_, x, label_top_);
    if (formatted_) x = edit_column_;
  }

  const Widths widths = EditWidths(state, x);

  bool new_first = false;
  bool new_second = false;
  x = PlaceEdit(record, 0, x, widths.edit, new_first);
  if (record.GetCommentVisible()) x = PlaceComment(record, 0, x, widths.comment);
  if (state.count == coTwo) {
    if (!on_caption_.empty()) x = PlaceLabel(record, 2, on_caption_, x, label_top_);
    x = PlaceEdit(record, 1, x, widths.edit, new_second);
    if (record.GetCommentVisible()) x = PlaceComment(record, 1, x, widths.comment);
  }
  if (new_first) FillNewEdit(record, 0);
  if (new_second) FillNewEdit(record, 1);

  // The extent is the rows' own: measured from the unscrolled origin, so that a scrolled
  // box keeps the range that lets every row be scrolled into view.
  required_width_ = std::max(required_width_, x + h_pos_ - text_char_);
  ++row_;
}

void TPanelLayoutPass::PlaceHiddenEdits(const RecordState& state) {
  // A record that takes part but is not shown keeps its edits, hidden, so that the
  // values it holds stay in edits; it takes no row.
  TFieldRecord& record = *state.record;
  const std::int64_t x = edit_column_;
  const Widths widths = EditWidths(state, x);
  bool new_first = false;
  bool new_second = false;
  PlaceEdit(record, 0, x, widths.edit, new_first);
  if (new_first) FillNewEdit(record, 0);
  if (state.count != coTwo) return;
  PlaceEdit(record, 1, x, widths.edit, new_second);
  if (new_second) FillNewEdit(record, 1);
}

TPanelLayoutPass::Widths TPanelLayoutPass::EditWidths(const RecordState& state,
                                                       std::int64_t x) const {
  const TFieldRecord& record = *state.record;
  // The space left of the maximum, from the unscrolled position of the first edit (a
  // scrolled box must not change how wide the edits are).
  const std::int64_t full =
      std::int64_t{panel_.max_fields_width_} - (x + h_pos_) - 1 - scroll_reserve_;
  const std::int64_t half = (full - on_width_ - 2 * std::int64_t{text_char_}) / 2;
  const bool ellipsis = record.GetButtonStyle() == rbsEllipsis;
  const int button = ellipsis ? TVntMaskEdit::kButtonWidth : 0;
  Widths w;
  w.comment = record.GetCommentVisible()
                  ? (std::int64_t{record.GetCommentWidth()} + 1) * text_char_
                  : 0;
  w.edit = (std::int64_t{record.GetDisplayWidth()} + 1) * edit_char_ + button;
  if (!panel_.auto_edit_width_ || !paint_) return w;

  const std::int64_t available = (state.count == coTwo ? half : full) - w.comment;
  if (w.edit <= available) return w;
  // Edit and comment shrink by the same fraction, so that together they fit the space
  // left; with nothing to shrink (widths of zero or less) both go to their minimums.
  const std::int64_t total = w.edit + w.comment;
  const double r = total > 0 ? static_cast<double>(w.edit - available) / static_cast<double>(total)
                             : 1.0;
  const auto shrink = [r](std::int64_t width) {
    return static_cast<std::int64_t>(std::trunc(static_cast<double>(width) -
                                                static_cast<double>(width) * r));
  };
  w.edit = std::max<std::int64_t>(shrink(w.edit), 2 * std::int64_t{edit_char_} + button);
  w.comment = std::max<std::int64_t>(shrink(w.comment) - text_char_ - 1,
                                     2 * std::int64_t{text_char_});
  return w;
}

TLabel* TPanelLayoutPass::NewLabel() {
  auto* label = new TLabel(&box_);
  label->SetParentFont(false);
  return label;
}

std::int64_t TPanelLayoutPass::PlaceLabel(TFieldRecord& record, int index,
                                          const std::string& text, std::int64_t x,
                                          std::int64_t top) {
  if (!paint_) return x + MeasureText(text) + text_char_;
  TLabel* label = record.Labels(index);
  if (label == nullptr) {
    label = NewLabel();
    record.SetLabels(index, label);
  }
  label->SetVisible(record.GetVisible());
  label->SetFont(style_.GetFont(1));
  label->SetCaption(text.empty() ? std::string(" ") : text);
  label->SetTop(RowTop(top));
  label->SetLeft(SaturateToInt(x));
  x += label->Width() + text_char_;
  label->SetParent(&box_);
  return x;
}

std::int64_t TPanelLayoutPass::PlaceComment(TFieldRecord& record, int slot, std::int64_t x,
                                            std::int64_t width) {
  if (!paint_) return x + width + text_char_;
  TLabel* label = record.CommentLabels(slot);
  if (label == nullptr) {
    label = NewLabel();
    record.SetCommentLabels(slot, label);
  }
  const std::string text = record.GetCommentTexts(slot);
  label->SetFont(style_.GetFont(1));
  label->SetCaption(text.empty() ? std::string(" ") : text);
  label->SetTop(RowTop(comment_top_));
  label->SetLeft(SaturateToInt(x));
  label->SetAutoSize(false);
  label->SetWidth(SaturateToInt(width));
  x += label->Width() + text_char_;
  label->SetParent(&box_);
  return x;
}

std::int64_t TPanelLayoutPass::PlaceEdit(TFieldRecord& record, int slot, std::int64_t x,
                                         std::int64_t width, bool& created) {
  if (!paint_) return x + width + text_char_;
  TFieldRecordEdit* edit = FieldEdit(record, slot);
  created = edit == nullptr;
  if (created) {
    edit = new TFieldRecordEdit(&box_);
    record.SetEdits(slot, edit);
    edit->SetParentFont(false);
    edit->SetFieldRecord(&record);
    panel_.ConnectEdit(edit);
  }
  edit->SetVisible(record.GetVisible());
  edit->SetFont(style_.GetFont(2));
  edit->SetEditMask(record.GetEditMask());
  edit->SetTop(RowTop(edit_top_));
  edit->SetWidth(SaturateToInt(width));
  edit->SetColor(style_.GetColor(1));
  edit->SetAlignment(record.GetAlignment());
  edit->SetShowButton(record.GetButtonStyle() == rbsEllipsis);
  edit->SetLeft(SaturateToInt(x));
  x += edit->Width() + text_char_;
  edit->SetCursor(panel_.edit_cursor_);
  edit->SetParent(&box_);
  edit->SetCtl3D(style_.GetCtl3D());
  edit->SetTabOrder(tab_++);
  return x;
}

void TPanelLayoutPass::FillNewEdit(TFieldRecord& record, int slot) {
  TFieldRecordEdit* edit = FieldEdit(record, slot);
  // PlaceEdit made the edit in this row's handling and nothing since has freed it.
  assert(edit != nullptr);
  // Text written here is the record's own value, not typed input.
  EditUpdatingLock lock(record, slot);
  edit->SetText(panel_.auto_save_values_ ? record.VariantToText(record.GetValues(slot))
                                         : std::string());
  // An empty edit reports its (empty) value, as a change of its text would.
  if (edit->Text().empty()) edit->OnChange(edit);
}

// ---- TPanelFieldsSet ----

TPoint TPanelFieldsSet::PaintPanelComponents(bool paint) {
  if (scroll_box_ == nullptr) return {};
  TPanelLayoutPass pass(*this, paint);
  return pass.Run();
}

TPoint TPanelFieldsSet::GetRequiredLengths() { return PaintPanelComponents(false); }

void TPanelFieldsSet::PaintPanel() {
  if (scroll_box_ == nullptr || GetComponentState().Contains(csLoading)) return;
  RecomputeFrameWidth();
  const TAlign align = Align();
  const bool width_fixed = align == alTop || align == alBottom || align == alClient;
  const bool height_fixed = align == alLeft || align == alRight || align == alClient;
  max_fields_width_ = auto_size_ && !width_fixed ? kUnbounded : Width() - frame_width_;
  max_fields_height_ = auto_size_ && !height_fixed ? kUnbounded : Height() - frame_width_;
  scroll_box_->SetCursor(Cursor());
  TemporaryChange<bool> creating(creating_controls_, true);
  PaintFields();
}

void TPanelFieldsSet::PaintFields() {
  if (scroll_box_ == nullptr) return;
  TemporaryChange<int> level(layout_level_, layout_level_ + 1);

  const TPoint extent = PaintPanelComponents(true);
  TScrollingFieldsSet& box = *scroll_box_;
  if (auto_size_ && extent.Y > 0) {
    const std::int64_t frame = box.Height() - box.ClientHeight();
    // Two pixels of slack in the test that the height set does not have.
    if (frame + extent.Y - 2 >= max_fields_height_) {
      SetHeight(max_fields_height_);
    } else {
      SetHeight(SaturateToInt(frame + extent.Y));
    }
  }
  if (auto_size_ && extent.X > 0) {
    const std::int64_t frame = box.Width() - box.ClientWidth();
    if (frame + extent.X >= max_fields_width_) {
      SetWidth(max_fields_width_);
    } else {
      SetWidth(SaturateToInt(frame + extent.X));
    }
  }
  box.VertScrollBar()->SetRange(extent.Y);
  box.HorzScrollBar()->SetRange(extent.X);

  const std::int64_t frame_height = box.Height() - box.ClientHeight();
  const std::int64_t frame_width = box.Width() - box.ClientWidth();
  box.VertScrollBar()->SetVisible(frame_height + extent.Y >= max_fields_height_);
  const bool horz_was = box.HorzScrollBar()->Visible();
  box.HorzScrollBar()->SetVisible(frame_width + extent.X >= max_fields_width_);

  // A horizontal bar that comes or goes changes the height left to the rows: one more
  // pass, and only one.
  if (!relayout_pass_ && box.HorzScrollBar()->Visible() != horz_was) {
    TemporaryChange<bool> again(relayout_pass_, true);
    PaintFields();
  }
}

void TPanelFieldsSet::Resize() {
  if (layout_level_ == 0) WndChanged();
  TCustomPanel::Resize();
}

void TPanelFieldsSet::Invalidate() {
  if (layout_level_ < 2) TCustomPanel::Invalidate();
  if (!GetComponentState().Contains(csLoading) && !in_window_pos_change_ && layout_level_ == 0) {
    WndChanged();
  }
}

void TPanelFieldsSet::SetAlign(TAlign value) {
  const TAlign old = Align();
  TCustomPanel::SetAlign(value);
  if (auto_size_ && Align() != old && (old == alClient || value == alNone)) WndChanged();
}

}  // namespace vantor
