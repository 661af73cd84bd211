#include <vantor/platform/data/server_condition.h>

#include <algorithm>
#include <utility>

namespace vantor {

using Kind = TServerCondition::Kind;

TServerCondition TServerCondition::False() {
  TServerCondition c;
  c.kind = Kind::kFalse;
  return c;
}

namespace {

// The common folding of AND and OR: `unit` children vanish, an `absorbing` child wins,
// children of the same kind are taken in.
TServerCondition Fold(Kind kind, Kind unit, Kind absorbing, std::vector<TServerCondition> children) {
  std::vector<TServerCondition> kept;
  for (TServerCondition& child : children) {
    if (child.kind == unit) continue;
    if (child.kind == absorbing) return child;
    if (child.kind == kind) {
      for (TServerCondition& grandchild : child.children) kept.push_back(std::move(grandchild));
    } else {
      kept.push_back(std::move(child));
    }
  }
  if (kept.empty()) {
    TServerCondition c;
    c.kind = unit;
    return c;
  }
  if (kept.size() == 1) return std::move(kept.front());
  TServerCondition c;
  c.kind = kind;
  c.children = std::move(kept);
  return c;
}

}  // namespace

TServerCondition TServerCondition::And(std::vector<TServerCondition> children) {
  return Fold(Kind::kAnd, Kind::kTrue, Kind::kFalse, std::move(children));
}

TServerCondition TServerCondition::Or(std::vector<TServerCondition> children) {
  return Fold(Kind::kOr, Kind::kFalse, Kind::kTrue, std::move(children));
}

TServerCondition TServerCondition::IsNull(std::string column, TFieldType type) {
  TServerCondition c;
  c.kind = Kind::kIsNull;
  c.column = std::move(column);
  c.type = type;
  return c;
}

TServerCondition TServerCondition::Compare(std::string column, TFieldType type, TServerOp op, Variant value,
                                           bool upper) {
  TServerCondition c;
  c.kind = Kind::kCompare;
  c.column = std::move(column);
  c.type = type;
  c.op = op;
  c.value = std::move(value);
  c.upper = upper;
  return c;
}

TServerCondition TServerCondition::Like(std::string column, std::string pattern, bool upper) {
  TServerCondition c;
  c.kind = Kind::kLike;
  c.column = std::move(column);
  c.type = TFieldType::ftString;
  c.pattern = std::move(pattern);
  c.upper = upper;
  return c;
}

TServerCondition TServerCondition::CaseMapped(TServerCondition mapped, TServerCondition otherwise) {
  if (mapped == otherwise) return mapped;
  TServerCondition c;
  c.kind = Kind::kCaseMapped;
  c.children.push_back(std::move(mapped));
  c.children.push_back(std::move(otherwise));
  return c;
}

bool TServerCondition::UsesUpper() const {
  return upper || std::any_of(children.begin(), children.end(), [](const TServerCondition& c) { return c.UsesUpper(); });
}

std::string EscapeLike(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    if (ch == '%' || ch == '_' || ch == '\\') out += '\\';
    out += ch;
  }
  return out;
}

}  // namespace vantor
