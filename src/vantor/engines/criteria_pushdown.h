#pragma once
// The server's part of a filter panel's test: from the criteria that the panel applies, a
// condition (TServerCondition) that every record the panel's filter accepts satisfies, so
// that a data set whose rows come from a server can ask it for those rows only. The panel
// still runs its exact record test on every row that arrives, so what it shows does not
// depend on how closely a server follows the condition, only how many rows travel.
//
// Per field-map position one term, the terms AND-ed as the record test requires every
// position to pass. A position gets a term only where its outcome provably depends on the
// column's stored value alone and the term provably holds for every value it accepts:
//  - numbers, dates and Booleans compared exactly: the interval of values the record test
//    admits, found with the host's own comparison (so bounds of any kind are read as the
//    test reads them); currency bounds are widened by one unit of the last decimal, since
//    a server may keep more decimals than the field shows;
//  - texts compared case-sensitively: equality, LIKE patterns for begins-with and
//    contains, ranges in code point order (a range's upper bound with begins-with or
//    contains becomes "below the bound's successor");
//  - texts compared case-insensitively: the same forms on the upper-cased text, valid
//    where the server upper-cases as the client does, and otherwise a LIKE pattern with
//    `_` for every character that has case variants (no term for ranges);
//  - a null column (and an empty text) joins by OR whenever the record test accepts it:
//    a range open at the bottom admits Null, which sorts below every value.
// No term for calculated and lookup fields, fields of classes that may show their values
// their own way, memos, times, begins-with or contains on non-text fields (those compare
// formatted texts), values that are no valid text; and no condition at all while the
// application's own OnFilterRecord takes part (it must see the rows it saw before).

#include <vantor/platform/data/server_condition.h>

namespace vantor {

class TDBCustomFilterPanel;

// The condition for the criteria the panel applies now (its field map); TRUE when no
// position can be proven. Whether the panel filters at all is the caller's question.
TServerCondition CriteriaServerCondition(const TDBCustomFilterPanel& panel);

}  // namespace vantor
