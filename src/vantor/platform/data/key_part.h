#pragma once
// TKeyPart: one part of an order's key: a column of the row store, compared descending
// and/or by upper-cased code points (case-insensitively).

namespace vantor {

struct TKeyPart {
  int column;
  bool descending;
  bool case_insensitive;
};

}  // namespace vantor
