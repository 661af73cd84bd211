#pragma once
// Identifiers (component, property, class and event names) compare as the form stream
// and the host's name rules compare them: ASCII letters without regard to case, every
// other byte as it is. (Letters of other scripts may appear in names, but only ASCII
// letters fold; texts shown to people use the Unicode comparisons of ansi_strings.h.)

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace vantor {

constexpr char FoldIdentChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// <0, 0, >0; bytes compare unsigned after folding, a shorter name first on a tie.
constexpr int CompareIdent(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(FoldIdentChar(a[i]));
    const auto y = static_cast<unsigned char>(FoldIdentChar(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

constexpr bool SameIdent(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareIdent(a, b) == 0;
}

// Orders a map of names by CompareIdent; transparent, so a string_view finds a key.
struct IdentLess {
  using is_transparent = void;
  constexpr bool operator()(std::string_view a, std::string_view b) const { return CompareIdent(a, b) < 0; }
};

}  // namespace vantor
