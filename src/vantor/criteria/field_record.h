#pragma once
// TFieldRecord: one configured criterion field of a criteria panel, an item of the
// panel's TFieldsList. It names the data-set field the criterion is about (or is a free,
// calculated criterion with its own DataType), says how its row looks and how a typed
// value is matched, and holds the entered values.
//
// Display and matching properties follow the assigned-value pattern: an explicit value
// counts once assigned (AssignedValues); until then the property reads its default,
// from the bound data-set field or from the owner's option sets. A property goes
// to the form stream only when it is assigned and differs from its default.
//
// Change notification: setters add flags to the list's State (paint, update, value
// changed, value update) and report Changed to the collection, whose Update folds the
// work. Everything that needs the owner (Update, SetFieldName with a new name,
// SetDataType, SetRecordKind) requires the record to live in a list that has one; the
// owner is reached only through the TFieldsOwner interface.

#include <array>
#include <cstdint>
#include <string>

#include <vantor/criteria/criteria_types.h>
#include <vantor/platform/core/alignment.h>
#include <vantor/platform/core/collection.h>
#include <vantor/platform/rtl/field_type.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {

class TField;
class TCustomMaskEdit;
class TFieldsList;
class TFieldsOwner;
class TLabel;

class TFieldRecord : public TCollectionItem {
 public:
  // Starts as a data record with no explicit values, Null values and IndexNo -1; asks
  // the list for a relayout and an update.
  explicit TFieldRecord(TCollection* collection);
  // Frees the record's controls and asks the list for a relayout and an update.
  ~TFieldRecord() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // Copies another record's configuration and values (not its comment settings);
  // any other class raises the assignment error.
  void Assign(const TPersistent* source) override;
  // FieldName, or "TFieldRecord" for an unnamed record of any record class.
  std::string GetDisplayName() const override;
  // A move within the list asks for a relayout.
  void SetIndex(int index) override;
  // The owner of the record's list (null without one).
  TPersistent* GetOwner() const override;

  // ---- the list and owner the record lives in ----
  TFieldsList* FieldsList() const;
  TFieldsOwner* FieldsOwner() const;

  // ---- matching options (virtual: find records impose the index's rules) ----
  virtual void SetCompare(TCompareType value);
  virtual TCompareType GetCompare() const;
  virtual void SetCount(TCountType value);
  virtual TCountType GetCount() const;
  virtual void SetCaseInsensitive(bool value);
  virtual bool GetCaseInsensitive() const;
  // Per-type defaults from the owner's option sets; ctExact / coNone / True without one.
  virtual TCompareType DefaultCompare() const;
  virtual TCountType DefaultCount() const;
  virtual bool DefaultCaseInsensitive() const;

  // ---- published properties ----
  std::string GetDisplayLabel() const;
  void SetDisplayLabel(const std::string& value);
  std::int32_t GetDisplayWidth() const;
  void SetDisplayWidth(std::int32_t value);
  std::string GetEditMask() const;
  void SetEditMask(const std::string& value);
  const std::string& GetFieldName() const { return field_name_; }
  void SetFieldName(const std::string& value);
  // A calculated record's own type; a data record's field type (ftUnknown without a field).
  TFieldType GetDataType() const;
  // Only a calculated record takes a type; a data record raises 25104, except while the
  // owner loads, when a stored DataType makes the record calculated again.
  void SetDataType(TFieldType value);
  bool GetVisible() const;
  void SetVisible(bool value);
  TRecordKind GetRecordKind() const { return record_kind_; }
  void SetRecordKind(TRecordKind value);
  TRecordButtonStyle GetButtonStyle() const { return button_style_; }
  void SetButtonStyle(TRecordButtonStyle value);
  bool GetCommentVisible() const { return comment_visible_; }
  void SetCommentVisible(bool value);
  // Follows the default of DisplayWidth (not its explicit value) until assigned.
  std::int32_t GetCommentWidth() const;
  void SetCommentWidth(std::int32_t value);
  TAlignment GetAlignment() const;
  void SetAlignment(TAlignment value);

  // ---- stored predicates: assigned and different from the default ----
  bool IsDisplayLabelStored() const;
  bool IsDisplayWidthStored() const;
  bool IsEditMaskStored() const;
  bool IsDataTypeStored() const;
  bool IsVisibleStored() const;
  bool IsRecordKindStored() const { return false; }
  bool IsButtonStyleStored() const { return button_style_ != rbsAuto; }
  bool IsCommentVisibleStored() const { return comment_visible_; }
  bool IsCommentWidthStored() const;
  bool IsCompareStored() const;
  bool IsCountStored() const;
  bool IsCaseInsensitiveStored() const;
  bool IsAlignmentStored() const;

  // ---- defaults ----
  // The bound field; while the link is inactive, the persistent field of that name of
  // the linked (closed) data set; none for a calculated record.
  TField* GetDefaultField() const;
  std::string DefaultDisplayLabel() const;
  std::int32_t DefaultDisplayWidth() const;
  std::string DefaultEditMask() const;
  bool DefaultVisible() const;
  TAlignment DefaultAlignment() const;

  // ---- explicit values, for subclasses and editors ----
  TFieldRecordValues AssignedValues() const { return TFieldRecordValues::FromMask(assigned_); }
  bool IsAssigned(TFieldRecordValue v) const { return AssignedValues().Contains(v); }
  TCompareType StoredCompare() const { return compare_; }
  TCountType StoredCount() const { return count_; }
  bool StoredCaseInsensitive() const { return case_insensitive_; }

  // ---- entered values ----
  // Index 0 the single value or lower bound, 1 the upper bound; Null for other indexes.
  Variant GetValues(int index) const;
  // Converts to the record's type (errors propagate, nothing changes), stores a value
  // that differs, shows it in the edit and starts the panel's update cycle.
  void SetValues(int index, const Variant& value);
  // The applied copies the record test reads; set by the fields list's rebuild.
  const Variant& MainValues(int index) const;
  void SetMainValues(int index, const Variant& value);
  std::string GetCommentTexts(int index) const;
  // Stores the text (index 0 or 1) and shows it in the comment label when one exists.
  void SetCommentTexts(int index, const std::string& value);

  // ---- commands ----
  // Re-resolves the bound field and the key position, coerces the values, relayout and update.
  void Update();
  // Coerces both values to the current type; on failure both become Null (no error).
  void UpdateValues();
  // Frees both edits and both comment labels, then the three labels.
  void DestroyComponents();

  // ---- value conversion by the record's type ----
  // May this printable character be typed? A data record asks its field.
  [[nodiscard]] bool IsValidChar(char32_t key) const;
  [[nodiscard]] bool IsConvertText(const std::string& text) const;
  Variant TextToVariant(const std::string& text) const;
  std::string VariantToText(const Variant& value) const;
  Variant VarAsDataType(const Variant& value) const;

  // ---- state the layout and the engines use ----
  TField* Field() const { return field_; }
  int IndexNo() const { return index_no_; }
  void SetIndexNo(int value) { index_no_ = value; }

  // The record's controls, made by the layout and owned by the record from then on
  // (index 0/1 edits; labels 0 display label, 1 with-caption, 2 on-caption; comment
  // labels 0/1). Out-of-range indexes read null and are ignored on write. The record
  // needs no more of an edit than a mask edit offers; the layout makes its own class.
  TCustomMaskEdit* Edits(int index) const;
  void SetEdits(int index, TCustomMaskEdit* edit);
  TLabel* Labels(int index) const;
  void SetLabels(int index, TLabel* label);
  TLabel* CommentLabels(int index) const;
  void SetCommentLabels(int index, TLabel* label);

  // Non-zero while the record itself writes text into edit 0 or 1, so that the edit's
  // change handling does not read it back as typed input.
  int EditUpdating(int index) const;
  void BeginEditUpdating(int index);
  void EndEditUpdating(int index);

 protected:
  // Adds flags to the list's State; nothing without a list.
  void AddState(TFieldsState flags);
  // True when the owner reports it is loading.
  bool OwnerLoading() const;

 private:
  // The body of Assign, inside the list's update bracket.
  void AssignFrom(const TFieldRecord& source);
  void MarkAssigned(TFieldRecordValue v) { assigned_ |= static_cast<std::uint16_t>(1u << static_cast<unsigned>(v)); }
  static bool Slot(int index) { return index == 0 || index == 1; }

  std::uint16_t assigned_ = 0;  // TFieldRecordValues, nine bits
  std::string display_label_;
  std::int32_t display_width_ = 0;
  std::string edit_mask_;
  std::string field_name_;
  TFieldType data_type_ = TFieldType::ftUnknown;
  std::array<Variant, 2> values_{Variant::Null(), Variant::Null()};
  std::array<Variant, 2> main_values_{Variant::Null(), Variant::Null()};
  std::array<TCustomMaskEdit*, 2> edits_{};
  std::array<TLabel*, 3> labels_{};
  TField* field_ = nullptr;
  bool visible_ = false;
  TRecordKind record_kind_ = rkData;
  TRecordButtonStyle button_style_ = rbsAuto;
  std::array<std::string, 2> comment_texts_;
  std::array<TLabel*, 2> comment_labels_{};
  bool comment_visible_ = false;
  std::int32_t comment_width_ = 0;
  int index_no_ = -1;
  TCompareType compare_ = ctExact;
  TCountType count_ = coNone;
  bool case_insensitive_ = false;
  TAlignment alignment_ = taLeftJustify;
  std::array<int, 2> edit_updating_{};
};

}  // namespace vantor
