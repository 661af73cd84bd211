#include "engines/support/server_condition_eval.h"

#include <cmath>
#include <string>
#include <vector>

#include <vantor/platform/data/field.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/utf8.h>

namespace vantor::engines_test {
namespace {

using Kind = TServerCondition::Kind;

struct Token {
  enum { kChar, kOne, kAny } kind;
  char32_t ch;
};

bool MatchFrom(const std::u32string& text, std::size_t t, const std::vector<Token>& p, std::size_t i,
               std::vector<std::vector<signed char>>& memo) {
  signed char& known = memo[i][t];
  if (known >= 0) return known != 0;
  bool ok;
  if (i == p.size()) {
    ok = t == text.size();
  } else if (p[i].kind == Token::kAny) {
    ok = MatchFrom(text, t, p, i + 1, memo) || (t < text.size() && MatchFrom(text, t + 1, p, i, memo));
  } else {
    ok = t < text.size() && (p[i].kind == Token::kOne || p[i].ch == text[t]) && MatchFrom(text, t + 1, p, i + 1, memo);
  }
  known = ok ? 1 : 0;
  return ok;
}

int CompareValues(const Variant& cell, const Variant& bound) {
  const double* a = cell.Get<double>();
  const double* b = bound.Get<double>();
  if (a != nullptr && b != nullptr && (std::isnan(*a) || std::isnan(*b))) {
    // A server orders NaN above every number and equal to itself.
    return std::isnan(*a) == std::isnan(*b) ? 0 : (std::isnan(*a) ? 1 : -1);
  }
  return VarCompare(cell, bound);
}

}  // namespace

bool LikeMatches(std::string_view text, std::string_view pattern) {
  std::vector<Token> tokens;
  const std::u32string p = DecodeUtf8(pattern);
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (p[i] == U'\\' && i + 1 < p.size()) {
      tokens.push_back({Token::kChar, p[++i]});
    } else if (p[i] == U'%') {
      tokens.push_back({Token::kAny, 0});
    } else if (p[i] == U'_') {
      tokens.push_back({Token::kOne, 0});
    } else {
      tokens.push_back({Token::kChar, p[i]});
    }
  }
  const std::u32string t = DecodeUtf8(text);
  std::vector<std::vector<signed char>> memo(tokens.size() + 1, std::vector<signed char>(t.size() + 1, -1));
  return MatchFrom(t, 0, tokens, 0, memo);
}

bool ConditionHolds(const TServerCondition& c, const TDataSet& data_set, bool case_mapped) {
  switch (c.kind) {
    case Kind::kTrue: return true;
    case Kind::kFalse: return false;
    case Kind::kAnd:
      for (const TServerCondition& child : c.children) {
        if (!ConditionHolds(child, data_set, case_mapped)) return false;
      }
      return true;
    case Kind::kOr:
      for (const TServerCondition& child : c.children) {
        if (ConditionHolds(child, data_set, case_mapped)) return true;
      }
      return false;
    case Kind::kCaseMapped: return ConditionHolds(c.children[case_mapped ? 0 : 1], data_set, case_mapped);
    case Kind::kIsNull: return data_set.FieldByName(c.column)->IsNull();
    case Kind::kCompare:
    case Kind::kLike: break;
  }
  const TField* field = data_set.FieldByName(c.column);
  if (field->IsNull()) return false;
  if (c.kind == Kind::kLike || c.value.Get<std::string>() != nullptr) {
    std::string text = field->AsString();
    if (c.upper) text = AnsiUpperCase(text);
    if (c.kind == Kind::kLike) return LikeMatches(text, c.pattern);
    const int order = text.compare(*c.value.Get<std::string>());
    switch (c.op) {
      case opEqual: return order == 0;
      case opGreaterEqual: return order >= 0;
      case opLessEqual: return order <= 0;
      case opLess: return order < 0;
    }
  }
  const int order = CompareValues(field->AsVariant(), c.value);
  switch (c.op) {
    case opEqual: return order == 0;
    case opGreaterEqual: return order >= 0;
    case opLessEqual: return order <= 0;
    case opLess: return order < 0;
  }
  return false;
}

}  // namespace vantor::engines_test
