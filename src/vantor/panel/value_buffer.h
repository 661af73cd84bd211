#pragma once
// A snapshot of a panel's entered values: one entry per record that held a value, by
// field name, so a snapshot survives a reordering of the field list. A snapshot slot is
// either no list (null) or a list, possibly empty; the two are told apart on restore.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <vantor/platform/rtl/variant.h>

namespace vantor {

// The two values entered for one field, by the field's name.
struct TValueBufferEntry {
  std::string FieldName;
  std::array<Variant, 2> Values{Variant::Null(), Variant::Null()};
};

using TValueBuffer = std::vector<TValueBufferEntry>;
// A slot: null holds no list.
using TValueBufferSlot = std::unique_ptr<TValueBuffer>;

}  // namespace vantor
