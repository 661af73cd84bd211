#include <vantor/panel/panel_fields_set.h>

#include <vantor/panel/field_record_edit.h>
#include <vantor/platform/data/data_set.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/saturating.h>
#include <vantor/platform/rtl/string_table.h>
#include <vantor/platform/ui/label.h>

namespace vantor {

const TypeInfo& TPanelFieldsSet::StaticType() {
  using C = TPanelFieldsSet;
  static const TypeInfo info =
      TypeBuilder<C>("TPanelFieldsSet", &TCustomPanel::StaticType())
          .Property("DataSource", &C::GetDataSource, &C::SetDataSource)
          .Property("StepHeight", &C::GetStepHeight, &C::SetStepHeight, 2)
          .Property("CountOptions", &C::CountOptions)
          .Property("Fields", &C::Fields)
          .Stored(&C::IsFieldsStored)
          .Property("AutoEditWidth", &C::GetAutoEditWidth, &C::SetAutoEditWidth, true)
          .Property("CompareOptions", &C::CompareOptions)
          .Property("StyleOptions", &C::StyleOptions)
          .Property("Captions", &C::Captions)
          .Property("Align", &C::GetAlign, &C::SetAlign, alNone)
          .Property("EditCursor", &C::GetEditCursor, &C::SetEditCursor, crDefault)
          .Idents(CursorValueOfIdent, CursorIdentOfValue)
          .Property("AutoSize", &C::GetAutoSize, &C::SetAutoSize, true)
          .Property("ChangeCursor", &C::GetChangeCursor, &C::SetChangeCursor, false)
          .Property("UpdateState", &C::GetUpdateState, &C::SetUpdateState, usAuto)
          .Property("PosState", &C::GetPosState, &C::SetPosState, psOneLineFmt)
          .Property("UpdateAfterOpen", &C::GetUpdateAfterOpen, &C::SetUpdateAfterOpen, true)
          .Event("OnEditChange", &C::OnEditChange)
          .Event("OnEditClick", &C::OnEditClick)
          .Event("OnEditDblClick", &C::OnEditDblClick)
          .Event("OnEditEnter", &C::OnEditEnter)
          .Event("OnEditExit", &C::OnEditExit)
          .Event("OnEditKeyDown", &C::OnEditKeyDown)
          .Event("OnEditKeyPress", &C::OnEditKeyPress)
          .Event("OnEditKeyUp", &C::OnEditKeyUp)
          .Event("OnEditMouseDown", &C::OnEditMouseDown)
          .Event("OnEditMouseMove", &C::OnEditMouseMove)
          .Event("OnEditMouseUp", &C::OnEditMouseUp)
          .Event("OnEditButtonClick", &C::OnEditButtonClick)
          .Build();
  return info;
}

TPanelFieldsSet::TPanelFieldsSet(TComponent* owner) : TCustomPanel(owner) {
  creating_controls_ = true;
  SetBorderWidth(2);
  step_height_ = 2;
  count_options_ = std::make_unique<TCountOptions>(this);
  auto_save_values_ = true;
  data_link_ = std::make_unique<TPanelFieldsSetDataLink>(this);
  auto_edit_width_ = true;
  compare_options_ = std::make_unique<TCompareOptions>(this);
  style_options_ = CreateStyleOptions();
  auto_size_ = true;
  layout_level_ = 0;
  measure_label_ = new TLabel(this);
  captions_ = std::make_unique<TFieldCaptions>(this);
  SetControlStyle(ControlStyle() - TControlStyle{csSetCaption});
  update_state_ = usAuto;
  change_cursor_ = false;
  scroll_box_ = new TScrollingFieldsSet(this);
  scroll_box_->SetAlign(alClient);
  scroll_box_->SetParent(this);
  creating_controls_ = false;
  update_after_open_ = true;
}

TPanelFieldsSet::~TPanelFieldsSet() {
  // The records' controls belong to the inner box as components, so they go before it.
  if (fields_) {
    for (TFieldRecord* record : fields_->Records()) record->DestroyComponents();
  }
  TScrollingFieldsSet* box = scroll_box_;
  scroll_box_ = nullptr;  // the layout does nothing from here on
  delete box;
  count_options_.reset();
  compare_options_.reset();
  style_options_.reset();
  ReleaseDataSet();
  data_link_.reset();
  TLabel* label = measure_label_;
  measure_label_ = nullptr;
  delete label;
  dialog_buffer_.reset();
  captions_.reset();
  save_buffer_.reset();
  // A list the descendant left to the base goes last, with no update reaching back here.
  if (fields_) {
    fields_->BeginUpdate();
    fields_.reset();
  }
}

std::unique_ptr<TStyleOptions> TPanelFieldsSet::CreateStyleOptions() {
  return std::make_unique<TStyleOptions>(this);
}

void TPanelFieldsSet::RecreateStyleOptions() { style_options_ = CreateStyleOptions(); }

void TPanelFieldsSet::CreateFieldsList(const TypeInfo& item_class) {
  fields_ = std::make_unique<TFieldsList>(this, item_class);
}

void TPanelFieldsSet::FreeFieldsList() {
  if (!fields_) return;
  for (TFieldRecord* record : fields_->Records()) record->DestroyComponents();
  fields_->BeginUpdate();
  fields_.reset();
}

void TPanelFieldsSet::ReleaseDataSet() {
  if (!data_link_) return;
  if (TDataSet* data_set = data_link_->DataSet()) SetOldDataSet(data_set);
}

// ---- virtual operations ----

void TPanelFieldsSet::SetOldDataSet(TDataSet* /*data_set*/) {}

void TPanelFieldsSet::UpdateDataSet() {}

void TPanelFieldsSet::DataSetChanged() {}

void TPanelFieldsSet::LayoutChanged() {
  if (fields_) fields_->SetFields();
}

void TPanelFieldsSet::ActiveChanged() {
  if (!fields_) return;
  fields_->SetFields();
  if (update_after_open_ && data_link_ && data_link_->Active() && !fields_->DefaultFields() &&
      update_state_ != usAuto) {
    ValuesChanged();
  }
}

int TPanelFieldsSet::GetIndexFieldNo(const TFieldRecord* /*record*/) const { return -1; }

void TPanelFieldsSet::AlignEdits(const TFieldRecord& record) {
  for (int slot = 0; slot < 2; ++slot) {
    if (TFieldRecordEdit* edit = FieldEdit(record, slot)) edit->SetAlignment(record.GetAlignment());
  }
}

TDataSet* TPanelFieldsSet::OwnerDataSet(bool& active) const {
  active = data_link_ != nullptr && data_link_->Active();
  return data_link_ != nullptr ? data_link_->DataSet() : nullptr;
}

void TPanelFieldsSet::SetHeight(int value) {
  const TAlign align = Align();
  if (align == alLeft || align == alRight || align == alClient) return;
  TCustomPanel::SetHeight(SaturatingAdd(value, frame_width_));
}

void TPanelFieldsSet::SetWidth(int value) {
  const TAlign align = Align();
  if (align == alTop || align == alBottom || align == alClient) return;
  TCustomPanel::SetWidth(SaturatingAdd(value, frame_width_));
}

void TPanelFieldsSet::PaintComponent() { PaintPanel(); }

TComponentState TPanelFieldsSet::GetComponentState() const { return ComponentState(); }

void TPanelFieldsSet::ValuesChanged() {
  if (!fields_) return;
  if (fields_->State().Contains(fsValueChanged)) {
    fields_->ExcludeState({fsValueChanged});
    fields_->IncludeState({fsValueUpdate});
  } else {
    fields_->IncludeState({fsUpdateNeeded});
  }
  fields_->Changed();
}

bool TPanelFieldsSet::NotEmptyRecord(const TFieldRecord* record) const {
  if (record == nullptr || record->GetRecordKind() == rkCalculated) return false;
  switch (CountState(record)) {
    case coOne:
      return !record->GetValues(0).IsClear();
    case coTwo:
      return !record->GetValues(0).IsClear() || !record->GetValues(1).IsClear();
    default:
      return false;
  }
}

bool TPanelFieldsSet::MainNotEmptyRecord(const TFieldRecord* record) const {
  if (record == nullptr || record->GetRecordKind() == rkCalculated) return false;
  switch (CountState(record)) {
    case coOne:
      return !record->MainValues(0).IsClear();
    case coTwo:
      return !record->MainValues(0).IsClear() || !record->MainValues(1).IsClear();
    default:
      return false;
  }
}

// ---- records ----

TFieldRecord* TPanelFieldsSet::FindField(const std::string& field_name) const {
  if (!fields_) return nullptr;
  for (TFieldRecord* record : fields_->Records()) {
    if (AnsiCompareText(record->GetFieldName(), field_name) == 0) return record;
  }
  return nullptr;
}

TFieldRecord* TPanelFieldsSet::FieldByName(const std::string& field_name) const {
  TFieldRecord* record = FindField(field_name);
  if (record == nullptr) VantorError(SFieldNotFound, {Name(), field_name});
  return record;
}

// ---- gates ----

void TPanelFieldsSet::EndUpdate() {
  if (update_count_ > 0) --update_count_;
  Changed();
}

void TPanelFieldsSet::Changed() {
  if (update_count_ == 0) UpdateDataSet();
}

void TPanelFieldsSet::EndPaint() {
  if (paint_count_ > 0) --paint_count_;
  WndChanged();
}

void TPanelFieldsSet::WndChanged() {
  if (paint_count_ == 0) PaintComponent();
}

void TPanelFieldsSet::RecomputeFrameWidth() {
  // Both sides of the frame: the border and each bevel that is drawn, twice.
  frame_width_ = SaturatingAdd(FrameSize(), FrameSize());
}

// ---- loading and ownership ----

void TPanelFieldsSet::Loaded() {
  TCustomPanel::Loaded();
  SetLoadProperties();
}

void TPanelFieldsSet::SetLoadProperties() {
  if (!fields_) return;
  // A stored list is the user's own choice.
  if (fields_->Count() > 0) fields_->SetDefaultFields(false);
  if (data_link_ && data_link_->Active()) fields_->SetFields();
}

void TPanelFieldsSet::Notification(TComponent* component, TOperation operation) {
  TCustomPanel::Notification(component, operation);
  if (operation == opRemove && data_link_ && component != nullptr &&
      component == static_cast<TComponent*>(GetDataSource())) {
    SetDataSource(nullptr);
  }
}

void TPanelFieldsSet::ValidateInsert(TComponent* component) {
  if (component != this && ComponentState().Contains(csDesigning) && !creating_controls_) {
    VantorError(SControlCannotBeUsed, {ClassName()});
  }
  TCustomPanel::ValidateInsert(component);
}

// ---- properties ----

bool TPanelFieldsSet::IsFieldsStored() const { return fields_ && !fields_->DefaultFields(); }

TDataSource* TPanelFieldsSet::GetDataSource() const {
  return data_link_ ? data_link_->DataSource() : nullptr;
}

void TPanelFieldsSet::SetDataSource(TDataSource* value) {
  if (!data_link_ || value == data_link_->DataSource()) return;
  data_link_->SetDataSource(value);
  if (value != nullptr) value->FreeNotification(this);
}

void TPanelFieldsSet::SetStepHeight(std::int32_t value) {
  if (step_height_ == value) return;
  step_height_ = value;
  WndChanged();
}

void TPanelFieldsSet::SetAutoEditWidth(bool value) {
  if (auto_edit_width_ == value) return;
  auto_edit_width_ = value;
  WndChanged();
}

void TPanelFieldsSet::SetAutoSize(bool value) {
  if (auto_size_ == value) return;
  auto_size_ = value;
  if (value) WndChanged();
}

void TPanelFieldsSet::SetUpdateState(TUpdateState value) {
  if (update_state_ == value) return;
  update_state_ = value;
  if (value == usAuto) ValuesChanged();
}

void TPanelFieldsSet::SetPosState(TPosState value) {
  if (pos_state_ == value) return;
  pos_state_ = value;
  WndChanged();
}

// ---- messages ----

void TPanelFieldsSet::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_WINDOWPOSCHANGED:
      WMWindowPosChanged(message);
      return;
    case CM_PARENTFONTCHANGED:
      CMParentFontChanged(message);
      return;
    case CM_PARENTCOLORCHANGED:
      CMParentColorChanged(message);
      return;
    case CM_CTL3DCHANGED:
    case CM_CURSORCHANGED: {
      // The inherited handling may invalidate the panel, which relays out too; the
      // bracket folds that and the relayout asked for here into one (at EndPaint).
      PaintGuard bracket(*this);
      TCustomPanel::WndProc(message);
      return;
    }
    default:
      TCustomPanel::WndProc(message);
      return;
  }
}

void TPanelFieldsSet::WMWindowPosChanged(TMessage& message) {
  TemporaryChange in_change(in_window_pos_change_, true);
  TCustomPanel::WndProc(message);
}

void TPanelFieldsSet::CMParentFontChanged(TMessage& message) {
  TStyleOptions* style = style_options_.get();
  if (style == nullptr) {
    TCustomPanel::WndProc(message);
    return;
  }
  int first = 0;
  int last = 2;
  if (const int pending = style->PendingParentFont(); pending != -1) {
    first = last = pending;
    style->SetPendingParentFont(-1);
  }
  bool any = false;
  for (int i = first; i <= last; ++i) any = any || style->GetParentFont(i);
  if (!any) return;

  // The font the message carries, else the parent's.
  const TFont* source = message.WParam != 0 ? reinterpret_cast<const TFont*>(message.LParam)
                                            : (Parent() != nullptr ? Parent()->Font() : nullptr);
  PaintGuard bracket(*this);
  for (int i = first; i <= last; ++i) {
    if (!style->GetParentFont(i)) continue;
    if (i == 0) {
      TCustomPanel::WndProc(message);
    } else if (source != nullptr) {
      style->SetFont(i, source);
      style->StoreParentFont(i, true);
    }
  }
}

void TPanelFieldsSet::CMParentColorChanged(TMessage& message) {
  TStyleOptions* style = style_options_.get();
  if (style == nullptr) {
    TCustomPanel::WndProc(message);
    return;
  }
  int first = 0;
  int last = 1;
  if (const int pending = style->PendingParentColor(); pending != -1) {
    first = last = pending;
    style->SetPendingParentColor(-1);
  }
  bool any = false;
  for (int i = first; i <= last; ++i) any = any || style->GetParentColor(i);
  if (!any) return;

  const bool carried = message.WParam != 0;
  const bool have_color = carried || Parent() != nullptr;
  const TColor color = carried ? static_cast<TColor>(message.LParam)
                               : (Parent() != nullptr ? Parent()->Color() : clBtnFace);
  PaintGuard bracket(*this);
  for (int i = first; i <= last; ++i) {
    if (!style->GetParentColor(i)) continue;
    if (i == 0) {
      TCustomPanel::WndProc(message);
    } else if (have_color) {
      style->SetColor(i, color);
      style->StoreParentColor(i, true);
    }
  }
}

}  // namespace vantor
