#pragma once
// TField: one column of a data set as the application sees it: its name, type and display
// properties, and the value of that column in the data set's current record.
//
// A field belongs to one data set (SetDataSet, or made with the data set as its owner).
// Values are read and written through the data set, which decides where they live: the
// current row while browsing, the edit buffer while editing, the key buffer after SetKey,
// the calculated values inside OnCalcFields. A write first converts the value to the
// field's type; a value that does not fit raises (EDatabaseError or EConvertError) and
// leaves the record as it was. An empty text and Null both clear the value.
// The concrete classes, one per type, live in typed_fields.h.

#include <cstdint>
#include <string>

#include <vantor/platform/core/alignment.h>
#include <vantor/platform/core/component.h>
#include <vantor/platform/rtl/currency.h>
#include <vantor/platform/rtl/datetime.h>
#include <vantor/platform/rtl/field_type.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {

class TDataSet;

enum class TFieldKind : std::uint8_t { fkData, fkCalculated, fkLookup, fkInternalCalc };
using enum TFieldKind;

template <>
struct EnumNames<TFieldKind> {
  static constexpr std::array<std::string_view, 4> value{"fkData", "fkCalculated", "fkLookup",
                                                          "fkInternalCalc"};
};

class TField : public TComponent {
 public:
  // With a data set as owner the field joins that data set at once.
  explicit TField(TComponent* owner);
  ~TField() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TDataSet* DataSet() const { return data_set_; }
  // Moves the field to another data set (or none). EDatabaseError while either is open.
  void SetDataSet(TDataSet* data_set);

  const std::string& FieldName() const { return field_name_; }
  void SetFieldName(const std::string& name);  // EDatabaseError while the data set is open
  TFieldType DataType() const { return data_type_; }
  TFieldKind FieldKind() const { return field_kind_; }
  void SetFieldKind(TFieldKind kind);
  // Calculated and lookup fields get their values from the data set's OnCalcFields.
  bool Calculated() const { return field_kind_ != fkData; }
  // Declared size: the maximum byte length of a string field; 0 for the other types.
  int Size() const { return size_; }
  void SetSize(int size);
  // 1-based position of the column among the data set's physical fields while the data set
  // is open; calculated fields have distinct negative numbers; 0 while closed.
  int FieldNo() const { return field_no_; }
  // Position in the data set's Fields list, -1 without a data set.
  int Index() const;

  std::string DisplayLabel() const { return display_label_.empty() ? field_name_ : display_label_; }
  void SetDisplayLabel(const std::string& label);
  bool IsDisplayLabelStored() const { return !display_label_.empty(); }
  std::string DisplayName() const { return DisplayLabel(); }
  // Width in characters a grid gives the field; the type's default until set.
  int DisplayWidth() const { return display_width_ > 0 ? display_width_ : DefaultDisplayWidth(); }
  void SetDisplayWidth(int width);
  bool IsDisplayWidthStored() const { return display_width_ > 0; }
  const std::string& EditMask() const { return edit_mask_; }
  void SetEditMask(const std::string& mask);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // Numbers are right-justified by default, everything else left-justified.
  TAlignment Alignment() const { return alignment_set_ ? alignment_ : DefaultAlignment(); }
  void SetAlignment(TAlignment alignment);
  bool IsAlignmentStored() const { return alignment_set_; }
  bool Required() const { return required_; }
  void SetRequired(bool required);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only);

  // The value in the data set's current record (see the class comment for which record).
  // EDatabaseError on a closed data set or a field without one.
  bool IsNull() const;
  void Clear();
  // The natural kind: Smallint for ftSmallint, Integer for integer/word/autoinc, Double for
  // float, Currency for currency and BCD, Date for dates and times, Boolean, String for
  // texts, memos and blobs; Null for a null value.
  Variant AsVariant() const;
  void SetAsVariant(const Variant& value);
  // "" for a null value; numbers and dates in the current FormatSettings.
  std::string AsString() const;
  void SetAsString(const std::string& text);
  // Coercions of the value; a null value reads as 0, false or 0.0.
  std::int32_t AsInteger() const;
  void SetAsInteger(std::int32_t value);
  double AsFloat() const;
  void SetAsFloat(double value);
  bool AsBoolean() const;
  void SetAsBoolean(bool value);
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime value);
  Currency AsCurrency() const;
  void SetAsCurrency(Currency value);

  // Whether a typed character may appear in a text for this field (never raises).
  [[nodiscard]] virtual bool IsValidChar(char32_t ch) const;

  // The value converted to the field's storage kind; Null stays Null. Raises EDatabaseError
  // (does not fit) or EConvertError (not a value of the type) naming the field.
  virtual Variant Convert(const Variant& value) const = 0;

 protected:
  void SetDataType(TFieldType type) { data_type_ = type; }
  virtual TAlignment DefaultAlignment() const { return taLeftJustify; }
  virtual int DefaultDisplayWidth() const { return 10; }
  // The text of a non-null stored value.
  virtual std::string ValueText(const Variant& stored) const;
  // A text converted to the storage kind (non-empty text only).
  virtual Variant TextToValue(const std::string& text) const = 0;
  // Raises the conversion error for a value that is no value of this field's type.
  [[noreturn]] void ConvertFailure(const Variant& value) const;
  [[noreturn]] void RangeFailure(const std::string& value_text, const std::string& range) const;

 private:
  friend class TDataSet;
  void CheckDataSet() const;

  TDataSet* data_set_ = nullptr;
  std::string field_name_;
  TFieldType data_type_ = TFieldType::ftUnknown;
  TFieldKind field_kind_ = fkData;
  int size_ = 0;
  int field_no_ = 0;
  int column_ = -1;  // storage column while bound to an open data set, -1 otherwise
  std::string display_label_;
  int display_width_ = 0;
  std::string edit_mask_;
  bool visible_ = true;
  TAlignment alignment_ = taLeftJustify;
  bool alignment_set_ = false;
  bool required_ = false;
  bool read_only_ = false;
};

}  // namespace vantor
