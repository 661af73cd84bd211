#pragma once
// The values of the randomised tests, from small ranges so that records tie and criteria
// meet them: whole numbers around zero, days around day 45000 (2023), date-times on a
// three-hour grid, some a millisecond or so off it, and texts of a few pieces drawn from a
// list of case variants and LIKE's own characters. One generator per test, from its seed.

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <vantor/platform/rtl/field_type.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {
class TDataSet;
}

namespace vantor::testing_support {

// Pieces of texts every backend can hold (valid UTF-8): case variants that capitals join
// (i I ı İ, s S ſ, σ ς Σ, ǆ ǅ Ǆ, ß ẞ, ω Ω), accented letters, words that begin alike,
// LIKE's own characters, blanks and a tab that record texts cut, digits.
const std::vector<std::string>& ServerTextPieces();

// How widely a test's values spread: the narrower, the more records tie.
struct ValueSpread {
  std::vector<std::string> pieces = ServerTextPieces();
  int numbers = 30;         // whole numbers lie in -numbers..numbers
  int text_pieces = 4;      // a cell's text has up to this many pieces
  double nulls = 0.12;      // the share of cells left Null
  bool cents_only = false;  // currencies in whole cents (as numeric(n,2) holds them), else four decimals
};

// The random source of one test: the generator it also draws its own choices from, and
// how widely its values spread.
struct RandomValues {
  explicit RandomValues(std::uint32_t seed, ValueSpread shape = {}) : rng(seed), spread(std::move(shape)) {}

  // Up to `max_pieces` pieces, so that texts tie, differ only in case or begin alike often.
  std::string Text(int max_pieces);
  // One piece, as one key a person types.
  const std::string& Piece();
  // A value a column of `type` holds, Null now and then. Throws std::logic_error for a
  // type no test fills.
  Variant Cell(TFieldType type);
  // A value a person enters into a criterion on a field of `type`: mostly of the field's
  // own kind and a little beyond the range of the cells, sometimes Null, a text (for a
  // text field now and then one with a stray byte, which no server holds) or a number of
  // another kind.
  Variant Entered(TFieldType type);
  // Appends `rows` records to the open `data`: its field "id" numbered from 1, every other
  // data field a Cell (calculated fields are left to the data set).
  void Fill(TDataSet& data, int rows);

  std::mt19937 rng;
  ValueSpread spread;

 private:
  // A whole number in -(spread.numbers + beyond)..spread.numbers + beyond.
  int Number(int beyond = 0);
};

}  // namespace vantor::testing_support
