#pragma once
// UpdateGuard: the bracket BeginUpdate ... EndUpdate of any object that folds a batch of
// changes into one notification (collections, string lists, panels).

#include <exception>

namespace vantor {

// Opens the bracket on construction and closes it on every exit path. EndUpdate may run
// the deferred work and raise; that error propagates on a normal exit, but while another
// exception is already unwinding the stack the first error wins and the second is dropped.
template <typename T>
class UpdateGuard {
 public:
  explicit UpdateGuard(T& target) : target_(&target), exceptions_(std::uncaught_exceptions()) {
    target_->BeginUpdate();
  }
  UpdateGuard(const UpdateGuard&) = delete;
  UpdateGuard& operator=(const UpdateGuard&) = delete;
  ~UpdateGuard() noexcept(false) {
    if (std::uncaught_exceptions() > exceptions_) {
      try {
        target_->EndUpdate();
      } catch (...) {  // NOLINT(bugprone-empty-catch): the unwinding error is the one to report
      }
      return;
    }
    target_->EndUpdate();
  }

 private:
  T* target_;
  int exceptions_;
};

}  // namespace vantor
