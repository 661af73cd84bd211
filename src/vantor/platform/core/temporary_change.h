#pragma once
// Scoped state for the host's brackets: TemporaryChange sets a variable for a scope and
// puts the old value back; ScopeExit runs the closing call of a bracket (EnableControls,
// EndUpdate, EnableAlign ...) on every way out of the scope.
//
// A closing call may notify other objects (data links, change handlers, forms), and
// their handlers may raise. Every guard of the host closes its bracket by one rule,
// CloseScope's: on a normal exit the error propagates to the caller like any other;
// while another exception is already unwinding the stack, the closing call still runs,
// its own error is dropped and the first one goes on. (A destructor that raised during
// unwinding would end the program; one that swallowed every error would hide failures.)
//
//     TemporaryChange applying(applying_values_, true);
//     ScopeExit enable([&] { data_set.EnableControls(); });

#include <concepts>
#include <exception>
#include <type_traits>
#include <utility>

namespace vantor {

// Runs a guard's closing call by the rule above. `exceptions` is the count of
// std::uncaught_exceptions() when the guard was made: more now means this scope is
// being left by an exception. Call it from a `noexcept(false)` destructor.
template <std::invocable Close>
void CloseScope(int exceptions, Close&& close) {
  if (std::uncaught_exceptions() > exceptions) {
    try {
      std::forward<Close>(close)();
    } catch (...) {  // NOLINT(bugprone-empty-catch): the error already unwinding is the one to report
    }
    return;
  }
  std::forward<Close>(close)();
}

// Runs `close` when the scope ends, by CloseScope's rule. Release() disarms it (the
// bracket was closed by other means).
template <std::invocable Close>
class ScopeExit {
 public:
  explicit ScopeExit(Close close) : close_(std::move(close)), exceptions_(std::uncaught_exceptions()) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() noexcept(false) {
    if (armed_) CloseScope(exceptions_, close_);
  }
  void Release() { armed_ = false; }

 private:
  Close close_;
  int exceptions_;
  bool armed_ = true;
};

// Sets `target` to `value` for the scope and restores the value it had on every exit
// path. Restoring is a plain move, which cannot raise, so this guard never needs the
// rule above.
template <typename T>
class TemporaryChange {
  static_assert(std::is_nothrow_move_assignable_v<T>, "restoring must not raise");

 public:
  TemporaryChange(T& target, std::type_identity_t<T> value)
      : target_(target), saved_(std::exchange(target, std::move(value))) {}
  TemporaryChange(const TemporaryChange&) = delete;
  TemporaryChange& operator=(const TemporaryChange&) = delete;
  ~TemporaryChange() { target_ = std::move(saved_); }
  // The value the target had before the change.
  const T& Saved() const { return saved_; }

 private:
  T& target_;
  T saved_;
};

}  // namespace vantor
