#pragma once
// Random texts for the randomised tests: up to `max_pieces` pieces drawn from a test's own
// list (case variants, letters that case rules treat specially, LIKE's own characters),
// so that texts tie, differ only in case or begin alike often.

#include <random>
#include <string>
#include <vector>

namespace vantor::testing_support {

inline std::string RandomPieces(std::mt19937& rng, const std::vector<std::string>& pieces, int max_pieces) {
  std::uniform_int_distribution<int> count(0, max_pieces);
  std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
  std::string s;
  for (int n = count(rng); n > 0; --n) s += pieces[piece(rng)];
  return s;
}

}  // namespace vantor::testing_support
