#pragma once
// TPersistent: the base of everything that has published properties and can be
// assigned from another object of a compatible class.

#include <string>
#include <string_view>

#include <vantor/platform/core/type_info.h>

namespace vantor {

class TFiler;

class TPersistent {
 public:
  TPersistent() = default;
  TPersistent(const TPersistent&) = delete;
  TPersistent& operator=(const TPersistent&) = delete;
  virtual ~TPersistent() = default;

  static const TypeInfo& StaticType();
  virtual const TypeInfo& ClassType() const { return StaticType(); }
  const std::string& ClassName() const { return ClassType().Name(); }
  bool InheritsFrom(const TypeInfo& base) const { return ClassType().InheritsFrom(base); }

  // Copies the state of `source`. The default asks the source (AssignTo); when neither
  // side knows the other, raises EConvertError "Cannot assign a TX to a TY" ("nil" for null).
  virtual void Assign(const TPersistent* source);
  // Extra, unpublished stream data (TFiler::DefineProperty / DefineBinaryProperty).
  virtual void DefineProperties(TFiler& filer);
  // The object that owns this one for naming and notification; null at the top.
  virtual TPersistent* GetOwner() const { return nullptr; }
  // Dotted path for the designer ("Panel1.Fields[0]"), built through GetOwner.
  virtual std::string GetNamePath() const;

 protected:
  // Copies this object's state into `dest`; the default raises the assignment error.
  virtual void AssignTo(TPersistent& dest) const;
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

}  // namespace vantor
