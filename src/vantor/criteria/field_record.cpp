#include <vantor/criteria/field_record.h>

#include <vantor/criteria/fields_list.h>
#include <vantor/criteria/compare_options.h>
#include <vantor/criteria/count_options.h>
#include <vantor/criteria/fields_owner.h>
#include <vantor/platform/core/temporary_change.h>
#include <vantor/platform/data/data_set.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/string_table.h>
#include <vantor/platform/rtl/value_conversion.h>
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/mask_edit.h>

namespace vantor {

namespace {

// The record's own idea of "unchanged" for entered values: the same kind and equal by the
// host's comparison. The kind matters: the text "12" compares equal to the number 12,
// but a record whose type became an integer must end up holding the number. Values
// that cannot be compared at all simply differ.
bool SameValue(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
  if (a.VarType() != b.VarType()) return false;
  try {
    return VarCompare(a, b) == 0;
  } catch (const EVariantError&) {
    return false;
  } catch (const EConvertError&) {
    return false;
  }
}

// Deletes a control the record owns and clears the reference.
template <typename T>
void FreeControl(T*& control) {
  T* c = control;
  control = nullptr;
  delete c;
}

}  // namespace

const TypeInfo& TFieldRecord::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TFieldRecord>("TFieldRecord", &TCollectionItem::StaticType())
          .Item()
          .Property("DisplayLabel", &TFieldRecord::GetDisplayLabel, &TFieldRecord::SetDisplayLabel)
          .Stored(&TFieldRecord::IsDisplayLabelStored)
          .Property("DisplayWidth", &TFieldRecord::GetDisplayWidth, &TFieldRecord::SetDisplayWidth)
          .Stored(&TFieldRecord::IsDisplayWidthStored)
          .Property("EditMask", &TFieldRecord::GetEditMask, &TFieldRecord::SetEditMask)
          .Stored(&TFieldRecord::IsEditMaskStored)
          .Property("FieldName", &TFieldRecord::GetFieldName, &TFieldRecord::SetFieldName)
          .Property("DataType", &TFieldRecord::GetDataType, &TFieldRecord::SetDataType)
          .Stored(&TFieldRecord::IsDataTypeStored)
          .Property("Visible", &TFieldRecord::GetVisible, &TFieldRecord::SetVisible)
          .Stored(&TFieldRecord::IsVisibleStored)
          .Property("RecordKind", &TFieldRecord::GetRecordKind, &TFieldRecord::SetRecordKind)
          .Stored(&TFieldRecord::IsRecordKindStored)
          .Property("ButtonStyle", &TFieldRecord::GetButtonStyle, &TFieldRecord::SetButtonStyle,
                    rbsAuto)
          .Property("CommentVisible", &TFieldRecord::GetCommentVisible,
                    &TFieldRecord::SetCommentVisible, false)
          .Property("CommentWidth", &TFieldRecord::GetCommentWidth, &TFieldRecord::SetCommentWidth)
          .Stored(&TFieldRecord::IsCommentWidthStored)
          .Property("Compare", &TFieldRecord::GetCompare, &TFieldRecord::SetCompare)
          .Stored(&TFieldRecord::IsCompareStored)
          .Property("Count", &TFieldRecord::GetCount, &TFieldRecord::SetCount)
          .Stored(&TFieldRecord::IsCountStored)
          .Property("CaseInsensitive", &TFieldRecord::GetCaseInsensitive,
                    &TFieldRecord::SetCaseInsensitive)
          .Stored(&TFieldRecord::IsCaseInsensitiveStored)
          .Property("Alignment", &TFieldRecord::GetAlignment, &TFieldRecord::SetAlignment)
          .Stored(&TFieldRecord::IsAlignmentStored)
          .Build();
  return info;
}

TFieldRecord::TFieldRecord(TCollection* collection) : TCollectionItem(collection) {
  AddState({fsPaintNeeded, fsUpdateNeeded});
}

TFieldRecord::~TFieldRecord() {
  DestroyComponents();
  AddState({fsPaintNeeded, fsUpdateNeeded});
}

// ---- the list and its owner ----

TFieldsList* TFieldRecord::FieldsList() const { return dynamic_cast<TFieldsList*>(Collection()); }

TFieldsOwner* TFieldRecord::FieldsOwner() const {
  TFieldsList* list = FieldsList();
  return list != nullptr ? list->Owner() : nullptr;
}

TPersistent* TFieldRecord::GetOwner() const {
  TFieldsOwner* owner = FieldsOwner();
  return owner != nullptr ? owner->FieldsOwnerPersistent() : nullptr;
}

void TFieldRecord::AddState(TFieldsState flags) {
  if (TFieldsList* list = FieldsList()) list->IncludeState(flags);
}

bool TFieldRecord::OwnerLoading() const {
  TFieldsOwner* owner = FieldsOwner();
  return owner != nullptr && owner->GetComponentState().Contains(csLoading);
}

std::string TFieldRecord::GetDisplayName() const {
  return field_name_.empty() ? std::string("TFieldRecord") : field_name_;
}

void TFieldRecord::SetIndex(int index) {
  const int old = Index();
  if (Collection() != nullptr && index != old) AddState({fsPaintNeeded});
  TCollectionItem::SetIndex(index);
  if (Index() == old) return;
  // The field map names records by position, and positions just moved.
  if (TFieldsList* list = FieldsList()) list->ItemsMoved();
}

// ---- defaults ----

TField* TFieldRecord::GetDefaultField() const {
  if (record_kind_ == rkCalculated) return nullptr;
  if (field_ != nullptr) return field_;
  TFieldsOwner* owner = FieldsOwner();
  if (owner == nullptr) return nullptr;
  bool active = false;
  TDataSet* data_set = owner->OwnerDataSet(active);
  if (data_set == nullptr || active || data_set->DefaultFields()) return nullptr;
  return data_set->FindField(field_name_);
}

TFieldType TFieldRecord::GetDataType() const {
  if (record_kind_ == rkCalculated) return data_type_;
  TField* field = GetDefaultField();
  return field != nullptr ? field->DataType() : TFieldType::ftUnknown;
}

std::string TFieldRecord::DefaultDisplayLabel() const {
  TField* field = GetDefaultField();
  return field != nullptr ? field->DisplayLabel() : field_name_;
}

std::int32_t TFieldRecord::DefaultDisplayWidth() const {
  TField* field = GetDefaultField();
  return field != nullptr ? field->DisplayWidth() : 10;
}

std::string TFieldRecord::DefaultEditMask() const {
  TField* field = GetDefaultField();
  return field != nullptr ? field->EditMask() : std::string();
}

bool TFieldRecord::DefaultVisible() const {
  TField* field = GetDefaultField();
  return field != nullptr ? field->Visible() : true;
}

TAlignment TFieldRecord::DefaultAlignment() const {
  TField* field = GetDefaultField();
  return field != nullptr ? field->Alignment() : taLeftJustify;
}

TCompareType TFieldRecord::DefaultCompare() const {
  TFieldsOwner* owner = FieldsOwner();
  const int category = FieldTypeCategory(GetDataType());
  if (owner == nullptr || category < 0) return ctExact;
  return owner->CompareOptions()->GetCompare(category);
}

TCountType TFieldRecord::DefaultCount() const {
  TFieldsOwner* owner = FieldsOwner();
  const int category = FieldTypeCategory(GetDataType());
  if (owner == nullptr || category < 0) return coNone;
  return owner->CountOptions()->GetCount(category);
}

bool TFieldRecord::DefaultCaseInsensitive() const {
  TFieldsOwner* owner = FieldsOwner();
  return owner != nullptr ? owner->CompareOptions()->GetCaseInsensitive() : true;
}

// ---- assigned-value properties ----

std::string TFieldRecord::GetDisplayLabel() const {
  return IsAssigned(frvDisplayLabel) ? display_label_ : DefaultDisplayLabel();
}

void TFieldRecord::SetDisplayLabel(const std::string& value) {
  if (IsAssigned(frvDisplayLabel) && display_label_ == value) return;
  display_label_ = value;
  MarkAssigned(frvDisplayLabel);
  AddState({fsPaintNeeded});
  Changed(false);
}

std::int32_t TFieldRecord::GetDisplayWidth() const {
  return IsAssigned(frvDisplayWidth) ? display_width_ : DefaultDisplayWidth();
}

void TFieldRecord::SetDisplayWidth(std::int32_t value) {
  if (IsAssigned(frvDisplayWidth) && display_width_ == value) return;
  display_width_ = value;
  MarkAssigned(frvDisplayWidth);
  AddState({fsPaintNeeded});
  Changed(false);
}

std::string TFieldRecord::GetEditMask() const {
  return IsAssigned(frvEditMask) ? edit_mask_ : DefaultEditMask();
}

void TFieldRecord::SetEditMask(const std::string& value) {
  if (IsAssigned(frvEditMask) && edit_mask_ == value) return;
  edit_mask_ = value;
  MarkAssigned(frvEditMask);
  for (TCustomMaskEdit* edit : edits_) {
    if (edit != nullptr) edit->SetEditMask(value);
  }
}

bool TFieldRecord::GetVisible() const {
  return IsAssigned(frvVisible) ? visible_ : DefaultVisible();
}

void TFieldRecord::SetVisible(bool value) {
  if (IsAssigned(frvVisible) && visible_ == value) return;
  visible_ = value;
  MarkAssigned(frvVisible);
  AddState({fsPaintNeeded});
  Changed(false);
}

std::int32_t TFieldRecord::GetCommentWidth() const {
  return IsAssigned(frvCommentWidth) ? comment_width_ : DefaultDisplayWidth();
}

void TFieldRecord::SetCommentWidth(std::int32_t value) {
  if (IsAssigned(frvCommentWidth) && comment_width_ == value) return;
  comment_width_ = value;
  MarkAssigned(frvCommentWidth);
  AddState({fsPaintNeeded});
  Changed(false);
}

TAlignment TFieldRecord::GetAlignment() const {
  return IsAssigned(frvAlignment) ? alignment_ : DefaultAlignment();
}

void TFieldRecord::SetAlignment(TAlignment value) {
  if (IsAssigned(frvAlignment) && alignment_ == value) return;
  alignment_ = value;
  MarkAssigned(frvAlignment);
  if (TFieldsOwner* owner = FieldsOwner()) owner->AlignEdits(*this);
}

TCompareType TFieldRecord::GetCompare() const {
  return IsAssigned(frvCompare) ? compare_ : DefaultCompare();
}

void TFieldRecord::SetCompare(TCompareType value) {
  if (IsAssigned(frvCompare) && compare_ == value) return;
  compare_ = value;
  MarkAssigned(frvCompare);
  // A containment match cannot be a range: the count gives way.
  if (value == ctInternal && GetCount() == coTwo) {
    count_ = coOne;
    MarkAssigned(frvCount);
    AddState({fsPaintNeeded});
  }
  AddState({fsUpdateNeeded});
  Changed(false);
}

TCountType TFieldRecord::GetCount() const {
  return IsAssigned(frvCount) ? count_ : DefaultCount();
}

void TFieldRecord::SetCount(TCountType value) {
  if (IsAssigned(frvCount) && count_ == value) return;
  count_ = value;
  MarkAssigned(frvCount);
  // A range cannot be a containment match: the compare type gives way.
  if (value == coTwo && GetCompare() == ctInternal) {
    compare_ = ctInitial;
    MarkAssigned(frvCompare);
  }
  AddState({fsPaintNeeded, fsUpdateNeeded});
  Changed(false);
}

bool TFieldRecord::GetCaseInsensitive() const {
  return IsAssigned(frvCaseInsensitive) ? case_insensitive_ : DefaultCaseInsensitive();
}

void TFieldRecord::SetCaseInsensitive(bool value) {
  if (IsAssigned(frvCaseInsensitive) && case_insensitive_ == value) return;
  case_insensitive_ = value;
  MarkAssigned(frvCaseInsensitive);
  AddState({fsUpdateNeeded});
  Changed(false);
}

// ---- stored predicates ----

bool TFieldRecord::IsDisplayLabelStored() const {
  return IsAssigned(frvDisplayLabel) && display_label_ != DefaultDisplayLabel();
}
bool TFieldRecord::IsDisplayWidthStored() const {
  return IsAssigned(frvDisplayWidth) && display_width_ != DefaultDisplayWidth();
}
bool TFieldRecord::IsEditMaskStored() const {
  return IsAssigned(frvEditMask) && edit_mask_ != DefaultEditMask();
}
bool TFieldRecord::IsDataTypeStored() const {
  return record_kind_ == rkCalculated && data_type_ != TFieldType::ftUnknown;
}
bool TFieldRecord::IsVisibleStored() const {
  return IsAssigned(frvVisible) && visible_ != DefaultVisible();
}
bool TFieldRecord::IsCommentWidthStored() const {
  return IsAssigned(frvCommentWidth) && comment_width_ != DefaultDisplayWidth();
}
bool TFieldRecord::IsCompareStored() const {
  return IsAssigned(frvCompare) && compare_ != DefaultCompare();
}
bool TFieldRecord::IsCountStored() const {
  return IsAssigned(frvCount) && count_ != DefaultCount();
}
bool TFieldRecord::IsCaseInsensitiveStored() const {
  return IsAssigned(frvCaseInsensitive) && case_insensitive_ != DefaultCaseInsensitive();
}
bool TFieldRecord::IsAlignmentStored() const {
  return IsAssigned(frvAlignment) && alignment_ != DefaultAlignment();
}

// ---- plain properties ----

void TFieldRecord::SetButtonStyle(TRecordButtonStyle value) {
  if (button_style_ == value) return;
  button_style_ = value;
  AddState({fsPaintNeeded});
  Changed(false);
}

void TFieldRecord::SetCommentVisible(bool value) {
  if (comment_visible_ == value) return;
  comment_visible_ = value;
  AddState({fsPaintNeeded});
  Changed(false);
}

void TFieldRecord::SetFieldName(const std::string& value) {
  if (value == field_name_) return;
  const bool other_name = AnsiCompareText(value, field_name_) != 0;
  field_name_ = value;
  // A change of letter case names the same field; nothing to resolve again.
  if (other_name) Update();
  if (TFieldsList* list = FieldsList()) {
    if (TFieldsListDesigner* designer = list->Designer()) designer->DataEvent();
  }
}

void TFieldRecord::SetDataType(TFieldType value) {
  if (value == data_type_) return;
  if (record_kind_ == rkData) {
    // Loading a stored DataType is what makes a loaded record calculated again, since
    // RecordKind itself is never stored.
    if (!OwnerLoading()) VantorError(SRecordKindNotCalculated, {ClassName()});
    record_kind_ = rkCalculated;
  }
  data_type_ = value;
  Update();
}

void TFieldRecord::SetRecordKind(TRecordKind value) {
  if (record_kind_ == value) return;
  record_kind_ = value;
  if (value == rkCalculated && field_ != nullptr) data_type_ = field_->DataType();
  Update();
}

// ---- values ----

Variant TFieldRecord::GetValues(int index) const {
  return Slot(index) ? values_[static_cast<std::size_t>(index)] : Variant::Null();
}

const Variant& TFieldRecord::MainValues(int index) const {
  static const Variant kNull = Variant::Null();
  return Slot(index) ? main_values_[static_cast<std::size_t>(index)] : kNull;
}

void TFieldRecord::SetMainValues(int index, const Variant& value) {
  if (Slot(index)) main_values_[static_cast<std::size_t>(index)] = value;
}

void TFieldRecord::SetValues(int index, const Variant& value) {
  if (!Slot(index)) return;
  const auto slot = static_cast<std::size_t>(index);
  Variant converted = VarAsDataType(value);
  if (SameValue(converted, values_[slot])) return;
  values_[slot] = std::move(converted);

  if (TCustomMaskEdit* edit = edits_[slot]; edit != nullptr && edit_updating_[slot] == 0) {
    {
      BeginEditUpdating(index);
      ScopeExit done([this, index] { EndEditUpdating(index); });
      edit->SetText(VariantToText(values_[slot]));
    }
    edit->SetModified(false);
  }

  TFieldsList* list = FieldsList();
  if (list == nullptr) return;
  TFieldsOwner* owner = FieldsOwner();
  const bool apply_now =
      owner != nullptr &&
      (owner->GetUpdateState() == usAuto ||
       (owner->GetComponentState().Contains(csDesigning) && owner->GetUpdateState() != usNone));
  if (apply_now) {
    list->IncludeState({fsValueUpdate});
    Changed(false);
  } else {
    list->IncludeState({fsValueChanged});
  }
}

std::string TFieldRecord::GetCommentTexts(int index) const {
  return Slot(index) ? comment_texts_[static_cast<std::size_t>(index)] : std::string();
}

void TFieldRecord::SetCommentTexts(int index, const std::string& value) {
  if (!Slot(index)) return;
  const auto slot = static_cast<std::size_t>(index);
  if (comment_texts_[slot] != value) comment_texts_[slot] = value;
  if (TLabel* label = comment_labels_[slot]) label->SetCaption(comment_texts_[slot]);
}

// ---- commands ----

void TFieldRecord::Update() {
  TFieldsOwner* owner = FieldsOwner();
  field_ = nullptr;
  if (record_kind_ == rkData && owner != nullptr) {
    bool active = false;
    TDataSet* data_set = owner->OwnerDataSet(active);
    if (data_set != nullptr && active) field_ = data_set->FindField(field_name_);
  }
  index_no_ = owner != nullptr ? owner->GetIndexFieldNo(this) : -1;
  UpdateValues();
  AddState({fsPaintNeeded, fsUpdateNeeded});
  Changed(false);
}

void TFieldRecord::UpdateValues() {
  if (GetDataType() == TFieldType::ftUnknown) return;
  try {
    SetValues(0, VarAsDataType(values_[0]));
    SetValues(1, VarAsDataType(values_[1]));
  } catch (const Exception&) {
    // Values that no longer fit the type are dropped rather than kept half-converted.
    SetValues(0, Variant::Null());
    SetValues(1, Variant::Null());
  }
}

void TFieldRecord::Assign(const TPersistent* source) {
  const auto* src = dynamic_cast<const TFieldRecord*>(source);
  if (src == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (src == this) return;

  TCollection* collection = Collection();
  if (collection == nullptr) {
    AssignFrom(*src);
    return;
  }
  UpdateGuard<TCollection> bracket(*collection);
  AssignFrom(*src);
}

void TFieldRecord::AssignFrom(const TFieldRecord& source) {
  const TFieldRecord* src = &source;
  assigned_ = 0;
  SetFieldName(src->GetFieldName());
  if (src->IsAssigned(frvDisplayLabel)) SetDisplayLabel(src->GetDisplayLabel());
  if (src->IsAssigned(frvDisplayWidth)) SetDisplayWidth(src->GetDisplayWidth());
  if (src->IsAssigned(frvEditMask)) SetEditMask(src->GetEditMask());
  if (src->IsAssigned(frvVisible)) SetVisible(src->GetVisible());
  if (src->IsAssigned(frvCompare)) SetCompare(src->GetCompare());
  if (src->IsAssigned(frvCount)) SetCount(src->GetCount());
  if (src->IsAssigned(frvCaseInsensitive)) SetCaseInsensitive(src->GetCaseInsensitive());
  if (src->IsAssigned(frvAlignment)) SetAlignment(src->GetAlignment());
  SetButtonStyle(src->GetButtonStyle());
  SetRecordKind(src->GetRecordKind());
  if (record_kind_ == rkCalculated) SetDataType(src->GetDataType());
  SetValues(0, src->GetValues(0));
  SetValues(1, src->GetValues(1));
  AddState({fsPaintNeeded, fsUpdateNeeded});
}

void TFieldRecord::DestroyComponents() {
  for (auto& edit : edits_) FreeControl(edit);
  for (auto& label : comment_labels_) FreeControl(label);
  for (auto& label : labels_) FreeControl(label);
}

// ---- controls ----

TCustomMaskEdit* TFieldRecord::Edits(int index) const {
  return Slot(index) ? edits_[static_cast<std::size_t>(index)] : nullptr;
}
void TFieldRecord::SetEdits(int index, TCustomMaskEdit* edit) {
  if (Slot(index)) edits_[static_cast<std::size_t>(index)] = edit;
}
TLabel* TFieldRecord::Labels(int index) const {
  return index >= 0 && index <= 2 ? labels_[static_cast<std::size_t>(index)] : nullptr;
}
void TFieldRecord::SetLabels(int index, TLabel* label) {
  if (index >= 0 && index <= 2) labels_[static_cast<std::size_t>(index)] = label;
}
TLabel* TFieldRecord::CommentLabels(int index) const {
  return Slot(index) ? comment_labels_[static_cast<std::size_t>(index)] : nullptr;
}
void TFieldRecord::SetCommentLabels(int index, TLabel* label) {
  if (Slot(index)) comment_labels_[static_cast<std::size_t>(index)] = label;
}

int TFieldRecord::EditUpdating(int index) const {
  return Slot(index) ? edit_updating_[static_cast<std::size_t>(index)] : 0;
}
void TFieldRecord::BeginEditUpdating(int index) {
  if (Slot(index)) ++edit_updating_[static_cast<std::size_t>(index)];
}
void TFieldRecord::EndEditUpdating(int index) {
  if (Slot(index) && edit_updating_[static_cast<std::size_t>(index)] > 0) {
    --edit_updating_[static_cast<std::size_t>(index)];
  }
}

// ---- value conversion ----

bool TFieldRecord::IsValidChar(char32_t key) const {
  if (record_kind_ == rkData) {
    TField* field = GetDefaultField();
    return field != nullptr && field->IsValidChar(key);
  }
  return IsValidCharForType(data_type_, key);
}

bool TFieldRecord::IsConvertText(const std::string& text) const {
  return vantor::IsConvertText(GetDataType(), text);
}

Variant TFieldRecord::TextToVariant(const std::string& text) const {
  return vantor::TextToVariant(GetDataType(), text);
}

std::string TFieldRecord::VariantToText(const Variant& value) const {
  return vantor::VariantToText(GetDataType(), value);
}

Variant TFieldRecord::VarAsDataType(const Variant& value) const {
  return vantor::VarAsDataType(GetDataType(), value);
}

}  // namespace vantor
