#include <vantor/platform/data/typed_fields.h>

#include <cmath>

#include <vantor/platform/data/data_set.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/date_text.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/format_settings.h>
#include <vantor/platform/rtl/number_text.h>

namespace vantor {

namespace {

bool IsDigit(char32_t ch) { return ch >= U'0' && ch <= U'9'; }
bool IsSign(char32_t ch) { return ch == U'+' || ch == U'-'; }
bool IsDecimalSeparator(char32_t ch) {
  return ch == static_cast<char32_t>(static_cast<unsigned char>(CurrentFormat().decimal_separator));
}

// A value's text for messages, never raising.
std::string Describe(const Variant& v) {
  try {
    return v.AsString();
  } catch (const Exception&) {
    return "?";
  }
}

}  // namespace

// --- TStringField ----------------------------------------------------------------------

const TypeInfo& TStringField::StaticType() {
  static const TypeInfo info = TypeBuilder<TStringField>("TStringField", &TField::StaticType()).Component().Build();
  return info;
}

TStringField::TStringField(TComponent* owner) : TField(owner) {
  SetDataType(TFieldType::ftString);
  SetSize(20);
}

Variant TStringField::Convert(const Variant& value) const {
  if (value.IsClear()) return Variant::Null();
  std::string text;
  try {
    text = value.AsString();
  } catch (const EVariantError&) {
    ConvertFailure(value);
  }
  return TextToValue(text);
}

Variant TStringField::TextToValue(const std::string& text) const {
  // A seek key is no stored value: the files a table reads may hold texts longer than
  // the declared size (SQLite does not enforce it), and a key must be able to name them.
  const bool key = DataSet() != nullptr && DataSet()->State() == dsSetKey;
  if (!key && Size() > 0 && text.size() > static_cast<std::size_t>(Size())) {
    throw EDatabaseError("Value '" + text + "' is too long for field '" + FieldName() + "' (at most " +
                         std::to_string(Size()) + " characters)");
  }
  return text.empty() ? Variant::Null() : Variant(text);
}

// --- Integer fields ----------------------------------------------------------------------

const TypeInfo& TIntegerField::StaticType() {
  static const TypeInfo info = TypeBuilder<TIntegerField>("TIntegerField", &TField::StaticType()).Component().Build();
  return info;
}

TIntegerField::TIntegerField(TComponent* owner)
    : TIntegerField(owner, TFieldType::ftInteger, INT32_MIN, INT32_MAX) {}

TIntegerField::TIntegerField(TComponent* owner, TFieldType type, std::int32_t min, std::int32_t max)
    : TField(owner), min_(min), max_(max) {
  SetDataType(type);
}

bool TIntegerField::IsValidChar(char32_t ch) const { return IsSign(ch) || IsDigit(ch); }

Variant TIntegerField::TextToValue(const std::string& text) const {
  std::int32_t v = 0;
  if (!TryStrToInt(text, v)) {
    double d = 0;
    // A number too large for 32 bits is out of range rather than "not a number".
    if (TextToFloat(text, d) && std::nearbyint(d) == d) {
      RangeFailure(text, std::to_string(min_) + " to " + std::to_string(max_));
    }
    throw EConvertError("'" + text + "' is not a valid integer value for field '" + FieldName() + "'");
  }
  if (v < min_ || v > max_) RangeFailure(text, std::to_string(min_) + " to " + std::to_string(max_));
  return Make(v);
}

Variant TIntegerField::Convert(const Variant& value) const {
  if (value.IsClear()) return Variant::Null();
  if (const auto* s = value.Get<std::string>()) return TextToValue(*s);
  double d = 0;
  try {
    d = value.AsDouble();
  } catch (const EVariantError&) {
    ConvertFailure(value);
  }
  if (!std::isfinite(d)) ConvertFailure(value);
  const double rounded = std::nearbyint(d);
  if (rounded < min_ || rounded > max_) {
    RangeFailure(Describe(value), std::to_string(min_) + " to " + std::to_string(max_));
  }
  return Make(static_cast<std::int32_t>(rounded));
}

const TypeInfo& TSmallintField::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TSmallintField>("TSmallintField", &TIntegerField::StaticType()).Component().Build();
  return info;
}

TSmallintField::TSmallintField(TComponent* owner)
    : TIntegerField(owner, TFieldType::ftSmallint, INT16_MIN, INT16_MAX) {}

const TypeInfo& TWordField::StaticType() {
  static const TypeInfo info = TypeBuilder<TWordField>("TWordField", &TIntegerField::StaticType()).Component().Build();
  return info;
}

TWordField::TWordField(TComponent* owner) : TIntegerField(owner, TFieldType::ftWord, 0, 65535) {}

const TypeInfo& TAutoIncField::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TAutoIncField>("TAutoIncField", &TIntegerField::StaticType()).Component().Build();
  return info;
}

TAutoIncField::TAutoIncField(TComponent* owner)
    : TIntegerField(owner, TFieldType::ftAutoInc, INT32_MIN, INT32_MAX) {}

// --- TLargeintField ----------------------------------------------------------------------

const TypeInfo& TLargeintField::StaticType() {
  static const TypeInfo info = TypeBuilder<TLargeintField>("TLargeintField", &TField::StaticType()).Component().Build();
  return info;
}

TLargeintField::TLargeintField(TComponent* owner) : TField(owner) { SetDataType(TFieldType::ftLargeint); }

bool TLargeintField::IsValidChar(char32_t ch) const { return IsSign(ch) || IsDigit(ch); }

Variant TLargeintField::TextToValue(const std::string& text) const {
  std::int64_t v = 0;
  if (TryStrToInt64(text, v)) return Variant(v);
  double d = 0;
  if (TextToFloat(text, d) && std::nearbyint(d) == d) {
    RangeFailure(text, IntToStr(INT64_MIN) + " to " + IntToStr(INT64_MAX));
  }
  throw EConvertError("'" + text + "' is not a valid integer value for field '" + FieldName() + "'");
}

Variant TLargeintField::Convert(const Variant& value) const {
  if (value.IsClear()) return Variant::Null();
  if (const auto* s = value.Get<std::string>()) return TextToValue(*s);
  try {
    return Variant(value.AsInt64());
  } catch (const EVariantError&) {
    if (value.IsNumeric() || value.Get<Variant::DateValue>() != nullptr) {
      RangeFailure(Describe(value), IntToStr(INT64_MIN) + " to " + IntToStr(INT64_MAX));
    }
    ConvertFailure(value);
  }
}

std::int64_t TLargeintField::AsLargeInt() const {
  const Variant v = AsVariant();
  return v.IsNull() ? 0 : v.AsInt64();
}

void TLargeintField::SetAsLargeInt(std::int64_t value) { SetAsVariant(Variant(value)); }

// --- TBooleanField -----------------------------------------------------------------------

const TypeInfo& TBooleanField::StaticType() {
  static const TypeInfo info = TypeBuilder<TBooleanField>("TBooleanField", &TField::StaticType()).Component().Build();
  return info;
}

TBooleanField::TBooleanField(TComponent* owner) : TField(owner) { SetDataType(TFieldType::ftBoolean); }

std::string TBooleanField::ValueText(const Variant& stored) const {
  const bool* b = stored.Get<bool>();
  return b != nullptr && *b ? "True" : "False";
}

Variant TBooleanField::TextToValue(const std::string& text) const {
  const std::string t = Trim(text);
  for (const char* word : {"True", "T", "Yes", "Y", "1"}) {
    if (AnsiSameText(t, word)) return Variant(true);
  }
  for (const char* word : {"False", "F", "No", "N", "0"}) {
    if (AnsiSameText(t, word)) return Variant(false);
  }
  throw EConvertError("'" + text + "' is not a valid boolean value for field '" + FieldName() + "'");
}

Variant TBooleanField::Convert(const Variant& value) const {
  if (value.IsClear()) return Variant::Null();
  if (const auto* s = value.Get<std::string>()) return TextToValue(*s);
  try {
    return Variant(value.AsBoolean());
  } catch (const EVariantError&) {
    ConvertFailure(value);
  }
}

// --- Float, currency and BCD fields ------------------------------------------------------

const TypeInfo& TFloatField::StaticType() {
  static const TypeInfo info = TypeBuilder<TFloatField>("TFloatField", &TField::StaticType()).Component().Build();
  return info;
}

TFloatField::TFloatField(TComponent* owner) : TFloatField(owner, TFieldType::ftFloat) {}

TFloatField::TFloatField(TComponent* owner, TFieldType type) : TField(owner) { SetDataType(type); }

bool TFloatField::IsValidChar(char32_t ch) const {
  return IsSign(ch) || IsDigit(ch) || ch == U'E' || ch == U'e' || IsDecimalSeparator(ch);
}

Variant TFloatField::TextToValue(const std::string& text) const {
  double d = 0;
  if (!TextToFloat(text, d)) {
    throw EConvertError("'" + text + "' is not a valid floating point value for field '" + FieldName() + "'");
  }
  return Variant(d);
}

Variant TFloatField::Convert(const Variant& value) const {
  if (value.IsClear()) return Variant::Null();
  if (const auto* s = value.Get<std::string>()) return TextToValue(*s);
  try {
    return Variant(value.AsDouble());
  } catch (const EVariantError&) {
    ConvertFailure(value);
  }
}

const TypeInfo& TCurrencyField::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TCurrencyField>("TCurrencyField", &TFloatField::StaticType()).Component().Build();
  return info;
}

TCurrencyField::TCurrencyField(TComponent* owner) : TCurrencyField(owner, TFieldType::ftCurrency) {}

TCurrencyField::TCurrencyField(TComponent* owner, TFieldType type) : TFloatField(owner, type) {}

Variant TCurrencyField::TextToValue(const std::string& text) const {
  Currency c;
  if (!TextToFloat(text, c)) {
    double d = 0;
    if (TextToFloat(text, d)) RangeFailure(text, "currency range");
    throw EConvertError("'" + text + "' is not a valid floating point value for field '" + FieldName() + "'");
  }
  return Variant(c);
}

Variant TCurrencyField::Convert(const Variant& value) const {
  if (value.IsClear()) return Variant::Null();
  if (const auto* s = value.Get<std::string>()) return TextToValue(*s);
  if (const auto* c = value.Get<Currency>()) return Variant(*c);
  double d = 0;
  try {
    d = value.AsDouble();
  } catch (const EVariantError&) {
    ConvertFailure(value);
  }
  Currency c;
  if (!Currency::TryFromDouble(d, c)) RangeFailure(Describe(value), "currency range");
  return Variant(c);
}

const TypeInfo& TBCDField::StaticType() {
  static const TypeInfo info = TypeBuilder<TBCDField>("TBCDField", &TCurrencyField::StaticType()).Component().Build();
  return info;
}

TBCDField::TBCDField(TComponent* owner) : TCurrencyField(owner, TFieldType::ftBCD) {}

bool TBCDField::IsValidChar(char32_t ch) const { return IsSign(ch) || IsDigit(ch) || IsDecimalSeparator(ch); }

// --- Date and time fields ------------------------------------------------------------------

const TypeInfo& TDateTimeField::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TDateTimeField>("TDateTimeField", &TField::StaticType()).Component().Build();
  return info;
}

TDateTimeField::TDateTimeField(TComponent* owner) : TDateTimeField(owner, TFieldType::ftDateTime) {}

TDateTimeField::TDateTimeField(TComponent* owner, TFieldType type) : TField(owner) { SetDataType(type); }

std::string TDateTimeField::ValueText(const Variant& stored) const {
  const auto* d = stored.Get<Variant::DateValue>();
  return d != nullptr ? DateTimeToStr(d->value) : std::string();
}

Variant TDateTimeField::TextToValue(const std::string& text) const {
  TDateTime d = 0;
  if (!TryStrToDateTime(text, d)) {
    throw EConvertError("'" + text + "' is not a valid date and time for field '" + FieldName() + "'");
  }
  return Variant::FromDate(KeepPart(d));
}

Variant TDateTimeField::Convert(const Variant& value) const {
  if (value.IsClear()) return Variant::Null();
  if (const auto* s = value.Get<std::string>()) return TextToValue(*s);
  try {
    return Variant::FromDate(KeepPart(value.AsDate()));
  } catch (const EVariantError&) {
    ConvertFailure(value);
  }
}

const TypeInfo& TDateField::StaticType() {
  static const TypeInfo info = TypeBuilder<TDateField>("TDateField", &TDateTimeField::StaticType()).Component().Build();
  return info;
}

TDateField::TDateField(TComponent* owner) : TDateTimeField(owner, TFieldType::ftDate) {}

std::string TDateField::ValueText(const Variant& stored) const {
  const auto* d = stored.Get<Variant::DateValue>();
  return d != nullptr ? DateToStr(d->value) : std::string();
}

Variant TDateField::TextToValue(const std::string& text) const {
  TDateTime d = 0;
  if (!TryStrToDate(text, d)) {
    throw EConvertError("'" + text + "' is not a valid date for field '" + FieldName() + "'");
  }
  return Variant::FromDate(d);
}

TDateTime TDateField::KeepPart(TDateTime d) const { return DateOf(d); }

const TypeInfo& TTimeField::StaticType() {
  static const TypeInfo info = TypeBuilder<TTimeField>("TTimeField", &TDateTimeField::StaticType()).Component().Build();
  return info;
}

TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner, TFieldType::ftTime) {}

std::string TTimeField::ValueText(const Variant& stored) const {
  const auto* d = stored.Get<Variant::DateValue>();
  return d != nullptr ? TimeToStr(d->value) : std::string();
}

Variant TTimeField::TextToValue(const std::string& text) const {
  TDateTime d = 0;
  if (!TryStrToTime(text, d)) {
    throw EConvertError("'" + text + "' is not a valid time for field '" + FieldName() + "'");
  }
  return Variant::FromDate(d);
}

TDateTime TTimeField::KeepPart(TDateTime d) const { return TimeOf(d); }

// --- Blob, memo and bytes fields -----------------------------------------------------------

const TypeInfo& TBlobField::StaticType() {
  static const TypeInfo info = TypeBuilder<TBlobField>("TBlobField", &TField::StaticType()).Component().Build();
  return info;
}

TBlobField::TBlobField(TComponent* owner) : TBlobField(owner, TFieldType::ftBlob) {}

TBlobField::TBlobField(TComponent* owner, TFieldType type) : TField(owner) { SetDataType(type); }

Variant TBlobField::TextToValue(const std::string& text) const {
  return text.empty() ? Variant::Null() : Variant(text);
}

Variant TBlobField::Convert(const Variant& value) const {
  if (value.IsClear()) return Variant::Null();
  try {
    return TextToValue(value.AsString());
  } catch (const EVariantError&) {
    ConvertFailure(value);
  }
}

const TypeInfo& TMemoField::StaticType() {
  static const TypeInfo info = TypeBuilder<TMemoField>("TMemoField", &TBlobField::StaticType()).Component().Build();
  return info;
}

TMemoField::TMemoField(TComponent* owner) : TMemoField(owner, TFieldType::ftMemo) {}

TMemoField::TMemoField(TComponent* owner, TFieldType type) : TBlobField(owner, type) {}

const TypeInfo& TFmtMemoField::StaticType() {
  static const TypeInfo info = TypeBuilder<TFmtMemoField>("TFmtMemoField", &TMemoField::StaticType()).Component().Build();
  return info;
}

TFmtMemoField::TFmtMemoField(TComponent* owner) : TMemoField(owner, TFieldType::ftFmtMemo) {}

const TypeInfo& TBytesField::StaticType() {
  static const TypeInfo info = TypeBuilder<TBytesField>("TBytesField", &TBlobField::StaticType()).Component().Build();
  return info;
}

TBytesField::TBytesField(TComponent* owner) : TBlobField(owner, TFieldType::ftBytes) { SetSize(16); }

Variant TBytesField::TextToValue(const std::string& text) const {
  Variant v = TBlobField::TextToValue(text);
  const auto* s = v.Get<std::string>();
  if (s != nullptr && Size() > 0 && s->size() > static_cast<std::size_t>(Size())) {
    throw EDatabaseError("Value is too long for field '" + FieldName() + "' (at most " + std::to_string(Size()) +
                         " bytes)");
  }
  return v;
}

// --- Factory -----------------------------------------------------------------------------

bool IsSupportedFieldType(TFieldType type) {
  switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftBoolean:
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime:
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftAutoInc:
    case TFieldType::ftBlob:
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo:
    case TFieldType::ftLargeint:
      return true;
    default:
      return false;
  }
}

TField* CreateField(TComponent* owner, TFieldType type) {
  switch (type) {
    case TFieldType::ftString: return new TStringField(owner);
    case TFieldType::ftSmallint: return new TSmallintField(owner);
    case TFieldType::ftInteger: return new TIntegerField(owner);
    case TFieldType::ftWord: return new TWordField(owner);
    case TFieldType::ftBoolean: return new TBooleanField(owner);
    case TFieldType::ftFloat: return new TFloatField(owner);
    case TFieldType::ftCurrency: return new TCurrencyField(owner);
    case TFieldType::ftBCD: return new TBCDField(owner);
    case TFieldType::ftDate: return new TDateField(owner);
    case TFieldType::ftTime: return new TTimeField(owner);
    case TFieldType::ftDateTime: return new TDateTimeField(owner);
    case TFieldType::ftBytes: return new TBytesField(owner);
    case TFieldType::ftVarBytes: return new TBlobField(owner);
    case TFieldType::ftAutoInc: return new TAutoIncField(owner);
    case TFieldType::ftBlob: return new TBlobField(owner);
    case TFieldType::ftMemo: return new TMemoField(owner);
    case TFieldType::ftFmtMemo: return new TFmtMemoField(owner);
    case TFieldType::ftLargeint: return new TLargeintField(owner);
    default:
      throw EDatabaseError("Field type " + std::string(FieldTypeName(type)) + " is not supported");
  }
}

void RegisterFieldClasses() {
  for (const TypeInfo* info :
       {&TStringField::StaticType(), &TSmallintField::StaticType(), &TIntegerField::StaticType(),
        &TWordField::StaticType(), &TAutoIncField::StaticType(), &TBooleanField::StaticType(),
        &TFloatField::StaticType(), &TCurrencyField::StaticType(), &TBCDField::StaticType(),
        &TDateField::StaticType(), &TTimeField::StaticType(), &TDateTimeField::StaticType(),
        &TMemoField::StaticType(), &TFmtMemoField::StaticType(), &TBlobField::StaticType(),
        &TBytesField::StaticType(), &TLargeintField::StaticType()}) {
    RegisterClass(*info);
  }
}

}  // namespace vantor
