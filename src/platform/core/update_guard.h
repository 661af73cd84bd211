#pragma once
// UpdateGuard: the bracket BeginUpdate ... EndUpdate of any object that folds a batch of
// changes into one notification (collections, string lists, panels).

#include <exception>

#include "platform/core/temporary_change.h"

namespace vantor {

// Opens the bracket on construction and closes it on every exit path. EndUpdate may run
// the deferred work and raise; that error propagates on a normal exit, but while another
// exception is already unwinding the stack the first error wins and the second is
// dropped (CloseScope).
template <typename T>
class UpdateGuard {
 public:
  explicit UpdateGuard(T& target) : target_(&target), exceptions_(std::uncaught_exceptions()) {
    target_->BeginUpdate();
  }
  UpdateGuard(const UpdateGuard&) = delete;
  UpdateGuard& operator=(const UpdateGuard&) = delete;
  ~UpdateGuard() noexcept(false) {
    CloseScope(exceptions_, [this] { target_->EndUpdate(); });
  }

 private:
  T* target_;
  int exceptions_;
};

}  // namespace vantor
