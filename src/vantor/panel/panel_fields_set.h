#pragma once
// TPanelFieldsSet: the data-aware criteria panel. Inside a scrolling inner box it holds
// one row of controls per configured field, keeps the values the user types and decides
// when they are applied to the linked data set. It never acts on the data set itself: it
// calls its own virtual operations (UpdateDataSet, SetOldDataSet, DataSetChanged and the
// record queries), which the filter and find panels override.
//
// The update cycle: a record whose entered value changes either adds fsValueUpdate and
// reports Changed at once (UpdateState usAuto, or designing with any state but usNone),
// or leaves fsValueChanged pending until ValuesChanged. The list's Update rebuilds the
// field map and calls Changed, which runs UpdateDataSet unless a BeginUpdate bracket is
// open. Relayouts go the same way: WndChanged runs PaintComponent unless a BeginPaint
// bracket is open.
//
// Every question "is the panel loading / being designed" goes through GetComponentState
// (the dialog-hosted panels answer with their dialog's state); ValidateInsert alone
// reads the panel's own ComponentState.
//
// The descendants create the field list (CreateFieldsList) with their record class.

#include <array>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include <vantor/criteria/compare_options.h>
#include <vantor/criteria/count_options.h>
#include <vantor/criteria/criteria_types.h>
#include <vantor/criteria/field_captions.h>
#include <vantor/criteria/field_record.h>
#include <vantor/criteria/fields_list.h>
#include <vantor/criteria/fields_owner.h>
#include <vantor/criteria/style_options.h>
#include <vantor/panel/panel_fields_set_data_link.h>
#include <vantor/panel/scrolling_fields_set.h>
#include <vantor/panel/value_buffer.h>
#include <vantor/platform/core/event.h>
#include <vantor/platform/core/update_guard.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/publishing.h>

namespace vantor {

class TDataSet;
class TDataSource;
class TFieldRecordEdit;
class TLabel;
class TPanelLayoutPass;
class TReader;
class TWriter;
class TFiler;

// The edit events; EditNo is 0 for the first edit of a field, 1 for the second.
using TEditEvent = Event<TFieldRecord*, int>;
using TEditKeyEvent = Event<TFieldRecord*, std::uint16_t&, TShiftState, int>;
using TEditKeyPressEvent = Event<TFieldRecord*, char32_t&, int>;
using TEditMouseEvent = Event<TFieldRecord*, TMouseButton, TShiftState, int, int, int>;
using TEditMouseMoveEvent = Event<TFieldRecord*, TShiftState, int, int, int>;

// The panel is the owner its criteria model talks to (TFieldsOwner).
class TPanelFieldsSet : public TCustomPanel, public TFieldsOwner {
 public:
  // Builds the data link, option sets, style options, captions, measuring label and the
  // inner box; the field list is the descendant's.
  explicit TPanelFieldsSet(TComponent* owner);
  // Frees the records' controls first, then the inner box, the option objects, hands a
  // still-linked data set to SetOldDataSet, then the link and the buffers.
  // C++ note: a base destructor reaches only the base SetOldDataSet; a descendant that
  // overrides it calls ReleaseDataSet() in its own destructor.
  ~TPanelFieldsSet() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // ---- virtual operations, in slot order ----
  // The link has left `data_set` (also called at destruction with the linked one).
  virtual void SetOldDataSet(TDataSet* data_set);
  // Applies the main values to the data set (filter, search). Base: nothing.
  virtual void UpdateDataSet();
  // The data set reports a change of its data. Base: nothing.
  virtual void DataSetChanged();
  // The data set's field layout changed: Fields.SetFields.
  virtual void LayoutChanged();
  // The data set opened, closed or was exchanged: Fields.SetFields, and the values are
  // applied again when UpdateAfterOpen asks for it.
  virtual void ActiveChanged();
  // Position of the record's field among the key fields of the search index; -1.
  int GetIndexFieldNo(const TFieldRecord* record) const override;
  // Whether the record test ignores letter case for the record.
  virtual bool CaseInsensitiveField(const TFieldRecord* record) const;
  // Height of the rows plus FrameWidth, unless the alignment fixes the height.
  virtual void SetHeight(int value);
  // Width of the rows plus FrameWidth, unless the alignment fixes the width.
  virtual void SetWidth(int value);
  // Relayout: PaintPanel.
  virtual void PaintComponent();
  // The state every loading/designing question reads; the panel's own ComponentState.
  TComponentState GetComponentState() const override;
  // Applies the entered values: a pending fsValueChanged becomes fsValueUpdate (else
  // fsUpdateNeeded), then the list's Changed.
  virtual void ValuesChanged();
  // The record's count as the record test sees it (coNone for a refused record).
  virtual TCountType CountState(const TFieldRecord* record) const;
  // The record's compare type as the record test sees it.
  virtual TCompareType CompareState(const TFieldRecord* record) const;
  // A data record whose count state is coOne with value 0, or coTwo with either value.
  virtual bool NotEmptyRecord(const TFieldRecord* record) const;
  // Whether a data-set field may get a record / take part in matching; True.
  bool ValidateFieldRecord(const TFieldRecord* record) const override;
  // True for the text types, where case sensitivity means anything.
  virtual bool CaseSensitiveDependent(TFieldType type) const;

  // ---- the record test (record matching) ----
  // Whether the current record of the data set satisfies field-map positions
  // start_index..end_index (inclusive); true for an empty stretch.
  [[nodiscard]] bool CheckRecord(int start_index, int end_index);
  // The same test for field-map position `index` against a value given directly: what a
  // record whose field reads `value` (AsVariant) and `text` (AsString) would get. Lets a
  // caller ask how the test treats a null field, for one, without such a record.
  [[nodiscard]] bool CheckValue(int index, const Variant& value, std::string_view text) const;

  // ---- records ----
  // The first record whose FieldName equals `field_name`, letter case ignored; null.
  TFieldRecord* FindField(const std::string& field_name) const;
  // FindField, raising 25100 "<panel name>: Field '<name>' not found" when absent.
  TFieldRecord* FieldByName(const std::string& field_name) const;
  // NotEmptyRecord on the main values (the applied copies).
  bool MainNotEmptyRecord(const TFieldRecord* record) const override;

  // ---- the data-set update gate ----
  void BeginUpdate() { ++update_count_; }
  // Closes a bracket and calls Changed.
  void EndUpdate();
  // UpdateDataSet when no bracket is open.
  void Changed() override;
  int UpdateCount() const { return update_count_; }

  // ---- the relayout gate ----
  void BeginPaint() { ++paint_count_; }
  // Closes a bracket and calls WndChanged.
  void EndPaint();
  // PaintComponent when no bracket is open.
  void WndChanged() override;
  int PaintCount() const { return paint_count_; }

  // ---- layout (panel_layout.cpp) ----
  // The relayout: recomputes FrameWidth and the space available to the rows
  // (MaxFieldsWidth/Height, unbounded in the directions AutoSize may grow), then
  // PaintFields with CreatingControls set. Nothing without the inner box or while loading.
  void PaintPanel();
  // One layout pass with controls, then AutoSize, the box's scroll ranges and bars; a
  // pass that shows or hides the horizontal bar is repeated once. LayoutLevel counts
  // the nesting. Also called by the dialog form around its own sizing.
  void PaintFields();
  // The layout pass proper. With `paint` it creates, places and frees the rows'
  // controls; without, it only measures (with MeasureLabel) and touches no control.
  // Either way it sets RequiredWidth/RequiredHeight and returns them (X, Y).
  // Virtual so that a descendant can follow the passes.
  virtual TPoint PaintPanelComponents(bool paint);
  // The natural extent of the rows, without shrinking the edits (a measuring pass).
  virtual TPoint GetRequiredLengths();
  // The inherited invalidation while LayoutLevel is below 2; then a relayout unless
  // loading, inside the window-position handling or inside a layout.
  void Invalidate() override;
  // With AutoSize, leaving alClient or going to alNone relays out.
  void SetAlign(TAlign value) override;

  // ---- focus ----
  // Scrolls the box back to its origin and focuses the first edit of the first visible
  // record that has one; nothing when none has. The panel itself never takes the focus.
  void SetFocus() override;

  // ---- edit handlers (wired to every field edit by the layout) ----
  // Each fires the panel event of the same name with the edit's record and EditNo.
  // EditChange first takes the text as the record's entered value (blank: Null; a text
  // that does not convert yet: no change, no error), unless the record itself is
  // writing the text. EditExit first fires OnEditExit, then rewrites a modified text
  // in the field type's form (a conversion error propagates), copies a range's lower
  // bound up into an empty upper bound, and applies the values for usEditExit, or for
  // usEditExitChange with a change pending; on any failure the edit gets the focus back.
  void EditChange(TObject* sender);
  void EditClick(TObject* sender);
  void EditDblClick(TObject* sender);
  void EditEnter(TObject* sender);
  void EditExit(TObject* sender);
  void EditKeyDown(TObject* sender, std::uint16_t& key, TShiftState shift);
  void EditKeyPress(TObject* sender, char32_t& key);
  void EditKeyUp(TObject* sender, std::uint16_t& key, TShiftState shift);
  void EditMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void EditMouseMove(TObject* sender, TShiftState shift, int x, int y);
  void EditMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void EditButtonClick(TObject* sender);

  // ---- loading ----
  void Loaded() override;
  // A loaded non-empty list is the user's own (DefaultFields off); an active link maps it.
  void SetLoadProperties();
  void Notification(TComponent* component, TOperation operation) override;
  // Refuses controls dropped on the panel at design time (25113).
  void ValidateInsert(TComponent* component) override;

  // ---- entered values and their storage ----
  // Every record's values become Null, in one list update.
  void ClearValues();
  // Snapshot of the non-empty records into `slot` (created when null, else emptied).
  void SetBuffer(TValueBufferSlot& slot);
  // Puts a snapshot back, by field name; records the snapshot lacks get Null. A null
  // slot does nothing.
  void GetBuffer(const TValueBufferSlot& slot);
  // Empties the slot's list (the list stays).
  static void ClearBfr(TValueBufferSlot& slot);
  void SaveToBuffer() { SetBuffer(save_buffer_); }
  void ReadFromBuffer() { GetBuffer(save_buffer_); }
  void ClearBuffer() { ClearBfr(save_buffer_); }
  TValueBufferSlot& DialogBuffer() { return dialog_buffer_; }
  TValueBufferSlot& SaveBuffer() { return save_buffer_; }

  // "Values" and "CommentTexts", written while the list is not the default one.
  void DefineProperties(TFiler& filer) override;
  void ReadValues(TReader& reader);
  void WriteValues(TWriter& writer);
  void ReadCommentTexts(TReader& reader);
  void WriteCommentTexts(TWriter& writer);

  // ---- properties ----
  TFieldsList* Fields() const override { return fields_.get(); }
  bool IsFieldsStored() const;
  TPanelFieldsSetDataLink* DataLink() const { return data_link_.get(); }
  // ---- the criteria model's owner ----
  TPersistent* FieldsOwnerPersistent() override { return this; }
  TWinControl* FieldsOwnerControl() override { return this; }
  TDataSet* OwnerDataSet(bool& active) const override;
  void AlignEdits(const TFieldRecord& record) override;
  TDataSource* GetDataSource() const;
  void SetDataSource(TDataSource* value);
  std::int32_t GetStepHeight() const { return step_height_; }
  void SetStepHeight(std::int32_t value);
  TCountOptions* CountOptions() const override { return count_options_.get(); }
  TCompareOptions* CompareOptions() const override { return compare_options_.get(); }
  TStyleOptions* StyleOptions() const { return style_options_.get(); }
  TFieldCaptions* Captions() const { return captions_.get(); }
  bool GetAutoEditWidth() const { return auto_edit_width_; }
  void SetAutoEditWidth(bool value);
  bool GetAutoSaveValues() const { return auto_save_values_; }
  void SetAutoSaveValues(bool value) { auto_save_values_ = value; }
  TAlign GetAlign() const { return Align(); }
  TCursor GetEditCursor() const { return edit_cursor_; }
  // Stores a different cursor and sends the panel CM_CURSORCHANGED, whose relayout
  // gives it to every field edit.
  void SetEditCursor(TCursor value);
  bool GetAutoSize() const { return auto_size_; }
  // Stores the value; turning it on relays out.
  void SetAutoSize(bool value);
  bool GetChangeCursor() const { return change_cursor_; }
  void SetChangeCursor(bool value) { change_cursor_ = value; }
  TUpdateState GetUpdateState() const override { return update_state_; }
  // A new usAuto applies the values at once.
  void SetUpdateState(TUpdateState value);
  TPosState GetPosState() const { return pos_state_; }
  void SetPosState(TPosState value);
  bool GetUpdateAfterOpen() const { return update_after_open_; }
  void SetUpdateAfterOpen(bool value) { update_after_open_ = value; }

  // ---- layout state (filled by the layout and the dialog form) ----
  int FrameWidth() const { return frame_width_; }
  bool InWindowPosChange() const { return in_window_pos_change_; }
  bool CreatingControls() const { return creating_controls_; }
  bool RelayoutPass() const { return relayout_pass_; }
  int LayoutLevel() const { return layout_level_; }
  TLabel* MeasureLabel() const { return measure_label_; }
  TScrollingFieldsSet* ScrollBox() const { return scroll_box_; }
  int MaxFieldsWidth() const { return max_fields_width_; }
  void SetMaxFieldsWidth(int value) { max_fields_width_ = value; }
  int MaxFieldsHeight() const { return max_fields_height_; }
  void SetMaxFieldsHeight(int value) { max_fields_height_ = value; }
  int MinFieldsWidth() const { return min_fields_width_; }
  void SetMinFieldsWidth(int value) { min_fields_width_ = value; }
  int RequiredWidth() const { return required_width_; }
  int RequiredHeight() const { return required_height_; }

  // ---- edit events ----
  TEditEvent OnEditChange;
  TEditEvent OnEditClick;
  TEditEvent OnEditDblClick;
  TEditEvent OnEditEnter;
  TEditEvent OnEditExit;
  TEditKeyEvent OnEditKeyDown;
  TEditKeyPressEvent OnEditKeyPress;
  TEditKeyEvent OnEditKeyUp;
  TEditMouseEvent OnEditMouseDown;
  TEditMouseMoveEvent OnEditMouseMove;
  TEditMouseEvent OnEditMouseUp;
  TEditEvent OnEditButtonClick;

 protected:
  // The style object of this panel class; dialog-hosted panels make their own kind.
  // The base constructor can reach only this version, so a descendant that overrides it
  // calls RecreateStyleOptions() in its constructor.
  virtual std::unique_ptr<TStyleOptions> CreateStyleOptions();
  void RecreateStyleOptions();
  // Hands the linked data set (if any) to SetOldDataSet; see the destructor.
  void ReleaseDataSet();
  // Makes the field list with the descendant's record class.
  void CreateFieldsList(const TypeInfo& item_class);
  // Frees the field list early (a descendant's destructor); the base frees it otherwise.
  void FreeFieldsList();

  void WndProc(TMessage& message) override;
  // The host's resize notification: a relayout outside a layout, then OnResize.
  void Resize() override;
  // The focus left the panel: OnExit, then the values apply for usExit, or for
  // usExitChange with a change pending.
  void DoExit() override;

 private:
  friend class TPanelLayoutPass;
  // Points the events of a new field edit at the edit handlers.
  void ConnectEdit(TFieldRecordEdit* edit);

  void WMWindowPosChanged(TMessage& message);
  void CMParentFontChanged(TMessage& message);
  void CMParentColorChanged(TMessage& message);
  void RecomputeFrameWidth();

  int frame_width_ = 0;
  bool in_window_pos_change_ = false;
  bool creating_controls_ = false;
  bool relayout_pass_ = false;
  std::unique_ptr<TPanelFieldsSetDataLink> data_link_;
  std::unique_ptr<TFieldsList> fields_;
  std::int32_t step_height_ = 2;
  std::unique_ptr<TStyleOptions> style_options_;
  std::unique_ptr<TCountOptions> count_options_;
  bool auto_save_values_ = true;
  bool auto_edit_width_ = true;
  std::unique_ptr<TCompareOptions> compare_options_;
  int update_count_ = 0;
  int paint_count_ = 0;
  int layout_level_ = 0;
  TLabel* measure_label_ = nullptr;  // owned as a component of the panel
  TValueBufferSlot dialog_buffer_;
  TValueBufferSlot save_buffer_;
  bool change_cursor_ = false;
  TUpdateState update_state_ = usAuto;
  TCursor edit_cursor_ = 0;
  TPosState pos_state_ = psOneLineFmt;
  std::unique_ptr<TFieldCaptions> captions_;
  bool update_after_open_ = true;
  TScrollingFieldsSet* scroll_box_ = nullptr;  // owned as a component of the panel
  int max_fields_width_ = 0;
  int max_fields_height_ = 0;
  int min_fields_width_ = 0;
  bool auto_size_ = true;
  int required_width_ = 0;
  int required_height_ = 0;
};

// The relayout bracket BeginPaint ... EndPaint, closed on every path (an error of
// EndPaint propagates unless another one is already unwinding).
using PaintGuard = BracketGuard<TPanelFieldsSet, &TPanelFieldsSet::BeginPaint, &TPanelFieldsSet::EndPaint>;

// The host panel's properties that the published criteria panels publish again, after
// their own: the frame, the state, the popup menu, the tab order and the mouse, focus and
// size events.
// BorderWidth defaults to 2, which the panel's constructor sets.
template <typename C>
TypeBuilder<C>& PublishHostPanelProperties(TypeBuilder<C>& b) {
  PublishPanelFrame(b, 2)
      .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
      .Property("Locked", &TCustomPanel::Locked, &TCustomPanel::SetLocked, false);
  PublishHints(b, true);
  PublishTabStop(b, false).Property("Visible", &TControl::Visible, &TControl::SetVisible, true);
  return PublishFocusMouseEvents(b, false).Event("OnResize", &TControl::OnResize);
}

}  // namespace vantor
