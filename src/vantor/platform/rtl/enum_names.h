#pragma once
// EnumNames<E>: the names of an enumeration's values in ordinal order, used by the
// form stream and the designer. Specialise it next to every streamed enumeration:
//   template <> struct EnumNames<TAlign> {
//     static constexpr std::array<std::string_view, 6> value{"alNone", "alTop", ...};
//   };

#include <array>
#include <string_view>

namespace vantor {

// The names of the values of the enumeration E, specialised beside each streamed one.
template <typename E>
struct EnumNames;

}  // namespace vantor
