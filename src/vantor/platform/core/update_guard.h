#pragma once
// BracketGuard: a bracket Begin ... End of an object (BeginUpdate/EndUpdate of anything
// that folds a batch of changes into one notification, BeginPaint/EndPaint of a panel's
// relayout), opened on construction and closed on every exit path. UpdateGuard is the
// update bracket of any such object.

#include <exception>

#include <vantor/platform/core/temporary_change.h>

namespace vantor {

// The closing call may run the deferred work and raise; that error propagates on a
// normal exit, but while another exception is already unwinding the stack the first
// error wins and the second is dropped (CloseScope).
template <typename T, auto Begin, auto End>
class BracketGuard {
 public:
  explicit BracketGuard(T& target) : target_(&target), exceptions_(std::uncaught_exceptions()) {
    (target_->*Begin)();
  }
  BracketGuard(const BracketGuard&) = delete;
  BracketGuard& operator=(const BracketGuard&) = delete;
  ~BracketGuard() noexcept(false) {
    CloseScope(exceptions_, [this] { (target_->*End)(); });
  }

 private:
  T* target_;
  int exceptions_;
};

template <typename T>
using UpdateGuard = BracketGuard<T, &T::BeginUpdate, &T::EndUpdate>;

}  // namespace vantor
