#pragma once
// Two tables over the same rows driven through the same random cursor steps (First, Last,
// Next, Prior, MoveBy, a change of order, FindNearest, FindKey, and the writes a test adds),
// with the cursor's place compared after every step: the tests of tables that read their
// rows on demand hold them against the same table holding every row.

#include <functional>
#include <random>
#include <string>
#include <vector>

#include <vantor/platform/data/table.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor::testing_support {

// The current record's "id" ("-" on an empty table), with " eof" and " bof" where set.
std::string Place(TTable& t);

// The ids from First to the end.
std::vector<std::string> Walk(TTable& t);

// One step, done alike to each table. An empty `what` is a step that does not apply (a
// seek without an index, a write the draw left out) and is done to neither.
struct CursorStep {
  std::string what;
  std::function<void(TTable&)> apply;
};

struct CursorSteps {
  // The orders a step may switch to ("" is the natural order).
  std::vector<std::string> indexes;
  // MoveBy goes up to this far either way.
  int max_distance = 5;
  // A key to seek in the index named (never ""), Null now and then.
  std::function<Variant(std::mt19937&, const std::string& index)> key;
  // Further kinds of step (writes), each drawn as often as one kind of move; each is
  // handed the step's number.
  std::vector<std::function<CursorStep(std::mt19937&, int step)>> writes;
};

// Runs `count` random steps on `whole` (every row held) and `partial`, both open in the
// same order, and fails the test at the first step after which their cursors are not at
// the same place; at the end both must walk the same rows. `context` leads each message.
void RunCursorSteps(TTable& whole, TTable& partial, std::mt19937& rng, const CursorSteps& steps, int count,
                    const std::string& context);

}  // namespace vantor::testing_support
