#pragma once
// TemporaryChange: gives a variable a value for the rest of a scope and puts the old
// value back on every way out of it, exceptions included. Flags and nesting counters
// that guard re-entry (a layout level, "creating controls") are kept this way, so a
// step that raises never leaves them changed.

#include <utility>

namespace vantor {

template <typename T>
class TemporaryChange {
 public:
  TemporaryChange(T& variable, T value) : variable_(&variable), old_(std::move(variable)) {
    *variable_ = std::move(value);
  }
  TemporaryChange(const TemporaryChange&) = delete;
  TemporaryChange& operator=(const TemporaryChange&) = delete;
  ~TemporaryChange() { *variable_ = std::move(old_); }

 private:
  T* variable_;
  T old_;
};

}  // namespace vantor
