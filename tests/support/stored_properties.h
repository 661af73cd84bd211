#pragma once
// What the form stream would write of an object, for the tests of stored predicates and
// defaults.

#include <string>
#include <vector>

#include <vantor/platform/core/persistent.h>
#include <vantor/platform/core/type_info.h>

namespace vantor::testing_support {

// The names of the published properties of `object` that the writer would write: those
// stored and not at their default (sub-objects have no default: stored is enough).
inline std::vector<std::string> StoredProperties(const TPersistent& object) {
  std::vector<std::string> names;
  for (const PropInfo* p : object.ClassType().Properties()) {
    if (p->IsStored(object) && !p->IsDefault(object)) names.push_back(p->name);
  }
  return names;
}

}  // namespace vantor::testing_support
