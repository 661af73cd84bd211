#pragma once
// A server condition evaluated on the current record of a data set, read through its fields
// as the client reads them: how a server that holds exactly the client's values and
// upper-cases as the client does (or not: `case_mapped`) would answer it. Texts compare by
// bytes, LIKE matches code points, upper is AnsiUpperCase, NaN equals NaN.

#include <string_view>

#include <vantor/platform/data/data_set.h>
#include <vantor/platform/data/server_condition.h>

namespace vantor::engines_test {

bool ConditionHolds(const TServerCondition& condition, const TDataSet& data_set, bool case_mapped);
// Whether `text` matches the LIKE pattern (`%`, `_`, `\` escapes), character by character.
bool LikeMatches(std::string_view text, std::string_view pattern);

}  // namespace vantor::engines_test
