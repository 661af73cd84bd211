#include <vantor/platform/rtl/value_conversion.h>

#include <algorithm>

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/date_text.h>
#include <vantor/platform/rtl/format_settings.h>
#include <vantor/platform/rtl/number_text.h>
#include <vantor/platform/rtl/string_table.h>

namespace vantor {

namespace {

using enum TFieldType;

// The 32-bit integer types; ftLargeint shares their syntax but keeps 64 bits.
bool IsIntegerType(TFieldType t) { return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc; }
bool IsTextType(TFieldType t) { return t == ftString || t == ftMemo || t == ftFmtMemo; }

// Whether `text` is a non-empty prefix of `word` (upper-case ASCII), letter case
// ignored per code point, so that no upper-cased copy of the text is made.
bool IsPrefixOfWord(std::string_view text, std::string_view word) {
  if (text.empty()) return false;
  const std::size_t n = MatchTextAt(text, 0, word.substr(0, std::min(word.size(), text.size())));
  return n == text.size();
}

}  // namespace

bool IsValidCharForType(TFieldType type, char32_t key) {
  const bool sign_or_digit = key == U'+' || key == U'-' || (key >= U'0' && key <= U'9');
  const auto decimal = static_cast<char32_t>(static_cast<unsigned char>(CurrentFormat().decimal_separator));
  switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint: return sign_or_digit;
    case ftFloat:
    case ftCurrency: return sign_or_digit || key == U'E' || key == U'e' || key == decimal;
    case ftBCD: return sign_or_digit || key == decimal;
    default: return false;
  }
}

bool IsConvertText(TFieldType type, std::string_view text) {
  if (IsTextType(type)) return true;
  if (IsIntegerType(type) || type == ftLargeint) {
    long double v;
    return ValReal(text, v);
  }
  switch (type) {
    case ftBoolean: {
      bool b;
      return StrToBooleanEx(text, b);
    }
    case ftFloat: return TextToFloat(text, TFloatValue::fvExtended);
    case ftCurrency:
    case ftBCD: return TextToFloat(text, TFloatValue::fvCurrency);
    case ftDate: {
      TDateTime d;
      return TryStrToDate(text, d);
    }
    case ftTime: {
      TDateTime t;
      return TryStrToTime(text, t);
    }
    case ftDateTime: {
      TDateTime dt;
      return TryStrToDateTime(text, dt);
    }
    default: return false;
  }
}

Variant TextToVariant(TFieldType type, const std::string& text) {
  const std::string_view trimmed = TrimRightView(text);
  if (trimmed.empty()) return Variant::Null();
  if (IsIntegerType(type)) return Variant(StrToInt(text));
  if (type == ftLargeint) return Variant(StrToInt64(text));
  switch (type) {
    case ftBoolean: return Variant(StrToBoolean(text));
    case ftFloat: return Variant(StrToFloat(text));
    case ftCurrency:
    case ftBCD: return Variant(StrToCurr(text));
    case ftDate: return Variant::FromDate(StrToDate(text));
    case ftTime: return Variant::FromDate(StrToTime(text));
    case ftDateTime: return Variant::FromDate(StrToDateTime(text));
    default: return Variant(std::string(trimmed));
  }
}

std::string VariantToText(TFieldType type, const Variant& value) {
  if (value.IsNull()) return {};
  if (IsTextType(type)) return TrimRight(value.AsString());
  if (IsIntegerType(type)) return IntToStr(value.AsInteger());
  if (type == ftLargeint) return IntToStr(value.AsInt64());
  switch (type) {
    case ftBoolean: return BooleanToStr(value.AsBoolean());
    case ftFloat: return FloatToStr(value.AsDouble());
    case ftCurrency:
    case ftBCD: return CurrToStr(value.AsCurrency());
    case ftDate: return DateToStr(value.AsDate());
    case ftTime: return TimeToStr(value.AsDate());
    case ftDateTime: return DateTimeToStr(value.AsDate());
    default: return TrimRight(VarToStr(value));
  }
}

Variant VarAsDataType(TFieldType type, const Variant& value) {
  if (value.IsClear()) return Variant::Null();
  if (value.VarType() == (varArray | varByRef | 0x000F)) VantorError(SInvalidVarTypeConversion);
  if (IsTextType(type)) return Variant(TrimRight(VarAsType(value, varString).AsString()));
  switch (type) {
    case ftSmallint: return VarAsType(value, varSmallint);
    case ftInteger:
    case ftWord:
    case ftAutoInc: return VarAsType(value, varInteger);
    case ftLargeint: return VarAsType(value, varInt64);
    case ftBoolean: return VarAsType(value, varBoolean);
    case ftFloat: return VarAsType(value, varDouble);
    case ftCurrency:
    case ftBCD: return VarAsType(value, varCurrency);
    case ftDate:
    case ftTime:
    case ftDateTime: return VarAsType(value, varDate);
    default: return value;
  }
}

bool StrToBooleanEx(std::string_view text, bool& value) {
  value = false;
  if (IsPrefixOfWord(text, "TRUE")) {
    value = true;
    return true;
  }
  return IsPrefixOfWord(text, "FALSE");
}

bool StrToBoolean(std::string_view text) {
  bool value;
  if (!StrToBooleanEx(text, value)) VantorError(SInvalidBoolean, {text});
  return value;
}

std::string BooleanToStr(bool value) { return value ? "True" : "False"; }

}  // namespace vantor
