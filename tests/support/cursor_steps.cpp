#include "support/cursor_steps.h"

#include <gtest/gtest.h>

namespace vantor::testing_support {

std::string Place(TTable& t) {
  const std::string id = t.IsEmpty() ? "-" : t.FieldByName("id")->AsString();
  return id + (t.Eof() ? " eof" : "") + (t.Bof() ? " bof" : "");
}

std::vector<std::string> Walk(TTable& t) {
  std::vector<std::string> ids;
  for (t.First(); !t.Eof(); t.Next()) ids.push_back(t.FieldByName("id")->AsString());
  return ids;
}

namespace {

constexpr int kMoves = 9;

std::string KeyText(const Variant& key) { return key.IsNull() ? "null" : key.AsString(); }

// Move number `kind` of kMoves (Next twice as likely as the others), in the order `index`.
CursorStep DrawMove(std::mt19937& rng, const CursorSteps& steps, const std::string& index, int kind) {
  switch (kind) {
    case 0: return {"First", [](TTable& t) { t.First(); }};
    case 1: return {"Last", [](TTable& t) { t.Last(); }};
    case 2:
    case 3: return {"Next", [](TTable& t) { t.Next(); }};
    case 4: return {"Prior", [](TTable& t) { t.Prior(); }};
    case 5: {
      const int reach = steps.max_distance;
      const int distance = static_cast<int>(rng() % static_cast<unsigned>(2 * reach + 1)) - reach;
      return {"MoveBy " + std::to_string(distance), [distance](TTable& t) { t.MoveBy(distance); }};
    }
    case 6: {
      const std::string next = steps.indexes[rng() % steps.indexes.size()];
      return {"SetIndexName " + next, [next](TTable& t) { t.SetIndexName(next); }};
    }
    default: {
      if (index.empty()) return {};
      const Variant key = steps.key(rng, index);
      if (kind == 7) return {"FindNearest " + KeyText(key), [key](TTable& t) { t.FindNearest({key}); }};
      return {"FindKey " + KeyText(key), [key](TTable& t) { (void)t.FindKey({key}); }};
    }
  }
}

}  // namespace

void RunCursorSteps(TTable& whole, TTable& partial, std::mt19937& rng, const CursorSteps& steps, int count,
                    const std::string& context) {
  const auto kinds = static_cast<unsigned>(kMoves + steps.writes.size());
  for (int step = 0; step < count; ++step) {
    const int kind = static_cast<int>(rng() % kinds);
    const CursorStep s = kind < kMoves ? DrawMove(rng, steps, whole.IndexName(), kind)
                                       : steps.writes[static_cast<std::size_t>(kind - kMoves)](rng, step);
    if (s.what.empty()) continue;
    s.apply(whole);
    s.apply(partial);
    ASSERT_EQ(Place(partial), Place(whole))
        << context << " step " << step << " index '" << whole.IndexName() << "': " << s.what;
  }
  EXPECT_EQ(Walk(partial), Walk(whole)) << context;
}

}  // namespace vantor::testing_support
