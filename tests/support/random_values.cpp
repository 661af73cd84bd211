#include "support/random_values.h"

#include <stdexcept>

#include <vantor/platform/data/data_set.h>
#include <vantor/platform/rtl/datetime.h>

namespace vantor::testing_support {

namespace {

constexpr int kDay = 45000;
// Large integers a step beyond 32 bits apart, so that no smaller type holds them.
constexpr std::int64_t kLargeStep = 3000000000;
constexpr int kMsPerDay = 86400000;

// Day `day` plus `ms` milliseconds (which may be negative), as the client composes a
// date-time it reads, so that the value survives a trip through a file or a server.
TDateTime ComposeAt(int day, int ms) {
  if (ms < 0) {
    --day;
    ms += kMsPerDay;
  }
  return ComposeDateTime(day, EncodeTime(ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000));
}

}  // namespace

const std::vector<std::string>& ServerTextPieces() {
  static const std::vector<std::string> pieces = {
      "a", "A", "b", "B", "Sm", "sm", "SM", "é", "É", "ß", "ẞ", "ı", "I", "i", "İ", "ſ", "s", "S", "σ", "ς", "Σ",
      "ǆ", "ǅ", "Ǆ", "ö", "Ö", "ω", "Ω", " ", "  ", "\t", "straße", "-", "z", "ith", "ITH", "D", "0", "9", "%", "_", "\\"};
  return pieces;
}

int RandomValues::Number(int beyond) {
  return std::uniform_int_distribution<int>(-spread.numbers - beyond, spread.numbers + beyond)(rng);
}

const std::string& RandomValues::Piece() {
  return spread.pieces[std::uniform_int_distribution<std::size_t>(0, spread.pieces.size() - 1)(rng)];
}

std::string RandomValues::Text(int max_pieces) {
  std::string s;
  for (int n = std::uniform_int_distribution<int>(0, max_pieces)(rng); n > 0; --n) s += Piece();
  return s;
}

Variant RandomValues::Cell(TFieldType type) {
  if (std::bernoulli_distribution(spread.nulls)(rng)) return Variant::Null();
  const int n = Number();
  switch (type) {
    case TFieldType::ftSmallint: return Variant(static_cast<std::int16_t>(n));
    case TFieldType::ftInteger: return Variant(n);
    case TFieldType::ftWord: return Variant(n + spread.numbers);
    case TFieldType::ftLargeint: return Variant(std::int64_t{n} * kLargeStep);
    case TFieldType::ftFloat: return Variant(n / 4.0);
    case TFieldType::ftCurrency:
      return Variant(Currency::FromScaled(std::int64_t{n} * 2500 + (spread.cents_only ? 0 : Number())));
    case TFieldType::ftDate: return Variant::FromDate(kDay + n);
    case TFieldType::ftDateTime: {
      // Three hours apart, half of them on the hour and the others a millisecond before
      // or after it, where a bound on the hour parts them.
      const int off = std::uniform_int_distribution<int>(-1, 2)(rng);
      const int grid = ((n % 8) + 8) % 8;
      return Variant::FromDate(ComposeAt(kDay + (n - grid) / 8, grid * 3 * 3600000 + (off == 2 ? 0 : off)));
    }
    case TFieldType::ftBoolean: return Variant(n > 0);
    case TFieldType::ftString:
    case TFieldType::ftMemo: return Variant(Text(spread.text_pieces));
    case TFieldType::ftBlob: {
      std::string bytes;
      for (int k = std::uniform_int_distribution<int>(0, 2)(rng); k > 0; --k) {
        bytes += static_cast<char>(std::uniform_int_distribution<int>(0, 3)(rng) * 85);
      }
      return Variant(bytes);
    }
    default: throw std::logic_error("no random cells of that field type");
  }
}

Variant RandomValues::Entered(TFieldType type) {
  const int p = std::uniform_int_distribution<int>(0, 11)(rng);
  const int n = Number(2);
  if (p == 0) return Variant(Text(2));
  if (p == 1) return Variant::Null();
  switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftMemo:
      if (p == 2) return Variant(Text(1) + "\xC3");
      return Variant(p < 6 ? Piece() : Text(2));
    case TFieldType::ftFloat: return p < 6 ? Variant(n / 4.0) : Variant(n);
    case TFieldType::ftCurrency:
      return p < 6 ? Variant(Currency::FromScaled(std::int64_t{n} * 2500 + Number())) : Variant(n / 8.0);
    case TFieldType::ftDate: return Variant::FromDate(kDay + n);
    case TFieldType::ftDateTime: return p < 6 ? Variant::FromDate(kDay + n / 8.0) : Variant(kDay + n);
    case TFieldType::ftBoolean: return p < 7 ? Variant(p % 2 == 0) : Variant(p < 9 ? "True" : "false");
    case TFieldType::ftLargeint: return Variant(std::int64_t{n} * kLargeStep);
    default: return p < 5 ? Variant(std::to_string(n)) : Variant(n);
  }
}

void RandomValues::Fill(TDataSet& data, int rows) {
  for (int i = 1; i <= rows; ++i) {
    data.Append();
    for (int f = 0; f < data.FieldCount(); ++f) {
      TField* field = data.Fields(f);
      if (field->Calculated()) continue;
      if (field->FieldName() == "id") {
        field->SetAsInteger(i);
        continue;
      }
      const Variant value = Cell(field->DataType());
      if (!value.IsNull()) field->SetAsVariant(value);
    }
    data.Post();
  }
}

}  // namespace vantor::testing_support
