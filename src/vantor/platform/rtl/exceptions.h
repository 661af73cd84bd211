#pragma once
// The exception classes of the library. Every error is an Exception carrying
// its message; the classes tell callers what went wrong, the message tells users.

#include <stdexcept>
#include <string>

namespace vantor {

// The base of every error the library raises: a message for the user and the host's class
// name for the program.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const noexcept { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }
  // The class name as the host would show it ("EConvertError").
  virtual const char* ClassName() const noexcept { return "Exception"; }

 private:
  std::string message_;
};

#define VANTOR_EXCEPTION_CLASS(Name, Base)                              \
  class Name : public Base {                                            \
   public:                                                              \
    using Base::Base;                                                   \
    const char* ClassName() const noexcept override { return #Name; }  \
  }

// A text or value that cannot be converted to the requested type.
VANTOR_EXCEPTION_CLASS(EConvertError, Exception);
// A variant operation between kinds that do not support it.
VANTOR_EXCEPTION_CLASS(EVariantError, Exception);
// An index outside a list or collection.
VANTOR_EXCEPTION_CLASS(EListError, Exception);
// A call to an operation that the class does not implement.
VANTOR_EXCEPTION_CLASS(EAbstractError, Exception);
// A cast or assignment between incompatible classes.
VANTOR_EXCEPTION_CLASS(EInvalidCast, Exception);
// Bad or truncated form-stream data.
VANTOR_EXCEPTION_CLASS(EFilerError, Exception);
// Form-stream data that cannot be read: damaged, truncated or of another kind than expected.
VANTOR_EXCEPTION_CLASS(EReadError, EFilerError);
// A value that cannot be written to a form stream (a name too long for its short string).
VANTOR_EXCEPTION_CLASS(EWriteError, EFilerError);
// A class name that is not registered.
VANTOR_EXCEPTION_CLASS(EClassNotFound, EFilerError);
// A component name that breaks the naming rules or is already taken.
VANTOR_EXCEPTION_CLASS(EComponentError, Exception);
// Any failure of the data-access layer.
VANTOR_EXCEPTION_CLASS(EDatabaseError, Exception);
// An operation that is not allowed in the object's current state.
VANTOR_EXCEPTION_CLASS(EInvalidOperation, Exception);
// Stream read and write failures (files, memory).
VANTOR_EXCEPTION_CLASS(EStreamError, Exception);
// Failures of the registry store.
VANTOR_EXCEPTION_CLASS(ERegistryException, Exception);
// The package's own error class (raised through VantorError).
VANTOR_EXCEPTION_CLASS(EVantorError, Exception);

#undef VANTOR_EXCEPTION_CLASS

}  // namespace vantor
