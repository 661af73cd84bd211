#pragma once
// Event<Args...>: a method pointer of the component model. It holds a callable and,
// for the form stream, the name of the handler it was bound from ("bbOkClick").
// A form registers its handlers by name (TComponent::RegisterMethod); the reader
// binds a streamed handler name through the root's method table.

#include <any>
#include <functional>
#include <string>
#include <utility>

namespace vantor {

// What the form stream and the designer need of any event, whatever its arguments: whether
// a handler is bound, the name it was bound from, and binding by that name.
class EventBase {
 public:
  virtual ~EventBase() = default;
  virtual bool Assigned() const = 0;
  virtual void Clear() = 0;
  // Binds a handler found in a method table; false when the stored callable has another signature.
  virtual bool Bind(const std::string& name, const std::any& handler) = 0;
  const std::string& HandlerName() const { return handler_name_; }

 protected:
  std::string handler_name_;
};

template <typename... Args>
class Event final : public EventBase {
 public:
  using Handler = std::function<void(Args...)>;

  Event() = default;
  Event(const Event&) = default;
  Event& operator=(const Event&) = default;
  Event& operator=(Handler h) {
    fn_ = std::move(h);
    handler_name_.clear();
    return *this;
  }
  Event& operator=(std::nullptr_t) {
    Clear();
    return *this;
  }
  // A handler with the name under which the form stream keeps it.
  void Set(std::string name, Handler h) {
    fn_ = std::move(h);
    handler_name_ = std::move(name);
  }

  bool Assigned() const override { return static_cast<bool>(fn_); }
  explicit operator bool() const { return Assigned(); }
  void Clear() override {
    fn_ = nullptr;
    handler_name_.clear();
  }
  bool Bind(const std::string& name, const std::any& handler) override {
    const Handler* h = std::any_cast<Handler>(&handler);
    if (h == nullptr) return false;
    Set(name, *h);
    return true;
  }

  // Calls the handler when one is assigned.
  void operator()(Args... args) const {
    if (fn_) fn_(std::forward<Args>(args)...);
  }

 private:
  Handler fn_;
};

}  // namespace vantor
