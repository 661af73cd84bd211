#pragma once
// The field classes, one per supported data type. Each knows how to convert a value or
// a text to its type, which characters a typed text may contain, and how it is shown.
// CreateField makes the class that fits a TFieldType (the data set's default fields).

#include <memory>

#include <vantor/platform/data/field.h>

namespace vantor {

// Text of at most Size bytes. A longer text is refused, never cut.
class TStringField : public TField {
 public:
  explicit TStringField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  Variant Convert(const Variant& value) const override;

 protected:
  int DefaultDisplayWidth() const override { return Size() > 0 ? Size() : 20; }
  Variant TextToValue(const std::string& text) const override;
};

// The integer types share their conversion and differ in range.
class TIntegerField : public TField {
 public:
  explicit TIntegerField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  Variant Convert(const Variant& value) const override;
  bool IsValidChar(char32_t ch) const override;
  std::int32_t MinValue() const { return min_; }
  std::int32_t MaxValue() const { return max_; }

 protected:
  TIntegerField(TComponent* owner, TFieldType type, std::int32_t min, std::int32_t max);
  TAlignment DefaultAlignment() const override { return taRightJustify; }
  int DefaultDisplayWidth() const override { return 11; }
  Variant TextToValue(const std::string& text) const override;
  virtual Variant Make(std::int32_t v) const { return Variant(v); }

 private:
  std::int32_t min_;
  std::int32_t max_;
};

// A 16-bit signed integer field (ftSmallint).
class TSmallintField : public TIntegerField {
 public:
  explicit TSmallintField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

 protected:
  int DefaultDisplayWidth() const override { return 6; }
  Variant Make(std::int32_t v) const override { return Variant(static_cast<std::int16_t>(v)); }
};

// A 16-bit unsigned integer field (ftWord).
class TWordField : public TIntegerField {
 public:
  explicit TWordField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

 protected:
  int DefaultDisplayWidth() const override { return 5; }
};

// Numbered by the data set on Post when left null.
class TAutoIncField : public TIntegerField {
 public:
  explicit TAutoIncField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
};

// A 64-bit integer (SQLite's integers, row ids beyond 32 bits). Its values are Int64
// variants; AsInteger of a value beyond 32 bits raises rather than cut it.
class TLargeintField : public TField {
 public:
  explicit TLargeintField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  Variant Convert(const Variant& value) const override;
  bool IsValidChar(char32_t ch) const override;
  std::int64_t AsLargeInt() const;
  void SetAsLargeInt(std::int64_t value);

 protected:
  TAlignment DefaultAlignment() const override { return taRightJustify; }
  int DefaultDisplayWidth() const override { return 15; }
  Variant TextToValue(const std::string& text) const override;
};

// A true/false field (ftBoolean).
class TBooleanField : public TField {
 public:
  explicit TBooleanField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  Variant Convert(const Variant& value) const override;

 protected:
  int DefaultDisplayWidth() const override { return 5; }
  std::string ValueText(const Variant& stored) const override;
  // "True"/"False", "T"/"F", "Yes"/"No", "Y"/"N", "1"/"0", letter case ignored.
  Variant TextToValue(const std::string& text) const override;
};

// A floating-point field (ftFloat).
class TFloatField : public TField {
 public:
  explicit TFloatField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  Variant Convert(const Variant& value) const override;
  bool IsValidChar(char32_t ch) const override;

 protected:
  TFloatField(TComponent* owner, TFieldType type);
  TAlignment DefaultAlignment() const override { return taRightJustify; }
  Variant TextToValue(const std::string& text) const override;
};

// Currency: a four-decimal fixed-point value.
class TCurrencyField : public TFloatField {
 public:
  explicit TCurrencyField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  Variant Convert(const Variant& value) const override;

 protected:
  TCurrencyField(TComponent* owner, TFieldType type);
  Variant TextToValue(const std::string& text) const override;
};

// A decimal number kept, like currency, with four decimals; typed texts have no exponent.
class TBCDField : public TCurrencyField {
 public:
  explicit TBCDField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  bool IsValidChar(char32_t ch) const override;
};

// A date and time field (ftDateTime), the base of the date-only and time-only fields.
class TDateTimeField : public TField {
 public:
  explicit TDateTimeField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  Variant Convert(const Variant& value) const override;

 protected:
  TDateTimeField(TComponent* owner, TFieldType type);
  int DefaultDisplayWidth() const override { return 18; }
  std::string ValueText(const Variant& stored) const override;
  Variant TextToValue(const std::string& text) const override;
  // The part of a date-time this type keeps.
  virtual TDateTime KeepPart(TDateTime d) const { return d; }
};

// Whole days only.
class TDateField : public TDateTimeField {
 public:
  explicit TDateField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

 protected:
  std::string ValueText(const Variant& stored) const override;
  Variant TextToValue(const std::string& text) const override;
  TDateTime KeepPart(TDateTime d) const override;
};

// The time of day only.
class TTimeField : public TDateTimeField {
 public:
  explicit TTimeField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

 protected:
  int DefaultDisplayWidth() const override { return 10; }
  std::string ValueText(const Variant& stored) const override;
  Variant TextToValue(const std::string& text) const override;
  TDateTime KeepPart(TDateTime d) const override;
};

// Bytes of any length (images, documents); AsString gives the bytes.
class TBlobField : public TField {
 public:
  explicit TBlobField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  Variant Convert(const Variant& value) const override;

 protected:
  TBlobField(TComponent* owner, TFieldType type);
  Variant TextToValue(const std::string& text) const override;
};

// Text of any length.
class TMemoField : public TBlobField {
 public:
  explicit TMemoField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

 protected:
  TMemoField(TComponent* owner, TFieldType type);
};

// Text of any length that carries formatting (rich text); stored and compared as text.
class TFmtMemoField : public TMemoField {
 public:
  explicit TFmtMemoField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
};

// A fixed number (Size) of bytes; shorter values are accepted, longer ones refused.
class TBytesField : public TBlobField {
 public:
  explicit TBytesField(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

 protected:
  Variant TextToValue(const std::string& text) const override;
};

// A new field of the class for `type`, owned by `owner`. EDatabaseError for a type that
// has no field class here (ftUnknown, ftGraphic and the OLE types).
TField* CreateField(TComponent* owner, TFieldType type);
// Whether CreateField supports the type.
bool IsSupportedFieldType(TFieldType type);
// Registers every field class with RegisterClass (so the form stream finds them by name).
void RegisterFieldClasses();

}  // namespace vantor
