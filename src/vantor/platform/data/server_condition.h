#pragma once
// TServerCondition: a condition on the columns of a data set in a form that an SQL server
// can be asked to evaluate, so that a data set whose rows come from a server fetches only
// the rows that may pass its record filter. It is meant as a superset: whoever builds one
// guarantees that every row the data set's own filter accepts satisfies it, and the filter
// still decides each row that arrives. So a server that evaluates it too widely costs only
// rows on the wire; one that evaluates it too narrowly would lose rows, and a renderer
// must widen wherever its server's reading of a term could be narrower than stated here.
//
// Meaning of the terms, on the values the data set's fields read:
//  - Compare: `column op value`. Numbers compare by value; dates and times are TDateTime
//    day numbers compared as numbers; texts compare by bytes (code point order); Booleans
//    only for equality. A null column satisfies no comparison.
//  - Like: the column's text matches `pattern` character by character, `%` any run of
//    characters, `_` one character, `\` takes the next character literally.
//  - `upper`: Compare and Like apply to the upper-cased text of the column (the client's
//    simple per-character mapping, AnsiUpperCase) and `value` or `pattern` are upper-cased
//    already. A server may evaluate them only where its own upper-casing is known to agree;
//    a kCaseMapped node says what to ask otherwise.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/rtl/field_type.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {

// The comparisons a condition's terms make.
enum class TServerOp : std::uint8_t { opEqual, opGreaterEqual, opLessEqual, opLess };
using enum TServerOp;

// One node of a condition: a constant, an AND or OR of nodes, or a term on one column.
struct TServerCondition {
  enum class Kind : std::uint8_t {
    kTrue,
    kFalse,
    kAnd,         // every child holds (none: true)
    kOr,          // some child holds (none: false)
    kIsNull,      // the column is null
    kCompare,     // column op value
    kLike,        // the column's text matches the pattern
    kCaseMapped,  // children[0] where the server upper-cases as the client does, else children[1]
  };

  Kind kind = Kind::kTrue;
  std::string column;                        // the field name
  TFieldType type = TFieldType::ftUnknown;   // the field's type: how `value` is meant
  TServerOp op = opEqual;
  Variant value;                             // kCompare
  std::string pattern;                       // kLike
  bool upper = false;                        // kCompare, kLike: on the upper-cased text
  std::vector<TServerCondition> children;    // kAnd, kOr, kCaseMapped

  static TServerCondition True() { return {}; }
  static TServerCondition False();
  // Folded: true children dropped, a false child makes the whole false, nested ANDs
  // flattened, a single child stands for itself.
  static TServerCondition And(std::vector<TServerCondition> children);
  // Folded likewise (false children dropped, a true child makes the whole true).
  static TServerCondition Or(std::vector<TServerCondition> children);
  static TServerCondition IsNull(std::string column, TFieldType type);
  static TServerCondition Compare(std::string column, TFieldType type, TServerOp op, Variant value, bool upper = false);
  static TServerCondition Like(std::string column, std::string pattern, bool upper = false);
  // `mapped` where the server's upper-casing is the client's, `otherwise` elsewhere; folded
  // to one of them when both are the same.
  static TServerCondition CaseMapped(TServerCondition mapped, TServerCondition otherwise);

  bool IsTrue() const { return kind == Kind::kTrue; }
  bool IsFalse() const { return kind == Kind::kFalse; }
  // Whether some term asks for the upper-cased text (a server must then know its mapping).
  bool UsesUpper() const;
  bool operator==(const TServerCondition&) const = default;
};

// `text` as a LIKE pattern that matches it literally: `%`, `_` and `\` are escaped with `\`.
std::string EscapeLike(std::string_view text);

}  // namespace vantor
