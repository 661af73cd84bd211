#pragma once
// Property editors: how the inspector shows and sets one published property of the
// selected objects. The base class reads and writes the property on every selected
// object; the kinds below give the text, the value list and the attributes of each
// property kind. Packages derive their own (a dialog button that opens an editor
// window, a list of a data set's field names) and register them by property type,
// class and name (see design_registry.h).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <vantor/platform/core/persistent.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/set.h>

namespace vantor {

class TComponent;
class TFormDesigner;

// A value the property refuses ("Invalid property value", an integer out of bounds).
class EPropertyError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EPropertyError"; }
};

// What the inspector offers for a property, in the host's order (so a set's bit mask is
// the host's value: a dialog button on a read-only value is 68).
enum class TPropertyAttribute : std::uint8_t {
  paValueList,      // a list of values to pick from (GetValues)
  paSubProperties,  // expands into the properties of the value (GetProperties)
  paDialog,         // an ellipsis button that calls Edit
  paMultiSelect,    // still shown when several objects are selected
  paAutoUpdate,     // SetValue at every change of the text
  paSortList,       // the value list is shown sorted
  paReadOnly,       // the value text cannot be typed
  paRevertable,     // can go back to the inherited value
};
using TPropertyAttributes = Set<TPropertyAttribute>;
using enum TPropertyAttribute;

using TGetStrProc = std::function<void(const std::string&)>;

// One published property of the selected objects as the inspector shows and sets it.
class TPropertyEditor {
 public:
  // `selection` holds at least one object; each has `prop` among its published properties.
  TPropertyEditor(TFormDesigner& designer, std::vector<TPersistent*> selection, const PropInfo& prop);
  TPropertyEditor(const TPropertyEditor&) = delete;
  TPropertyEditor& operator=(const TPropertyEditor&) = delete;
  virtual ~TPropertyEditor() = default;

  virtual TPropertyAttributes GetAttributes() const { return {paRevertable}; }
  // The text of the value of the first selected object.
  virtual std::string GetValue() const { return "(Unknown)"; }
  // Sets the value from its text on every selected object, then reports Modified.
  virtual void SetValue(const std::string& value);
  // Calls `proc` once per value of the value list (paValueList).
  virtual void GetValues(const TGetStrProc& proc) const;
  // The dialog button or a double-click. With a value list, moves to the next value.
  virtual void Edit();
  // True when every selected object holds the same value.
  virtual bool AllEqual() const { return PropCount() == 1; }
  // The editors of the value's own properties (paSubProperties).
  virtual std::vector<std::unique_ptr<TPropertyEditor>> GetProperties() const { return {}; }

  const std::string& GetName() const { return prop_.name; }
  int PropCount() const { return static_cast<int>(selection_.size()); }
  TPersistent* GetComponent(int index) const;
  const std::vector<TPersistent*>& Selection() const { return selection_; }
  TFormDesigner& Designer() const { return designer_; }
  const PropInfo& Prop() const { return prop_; }
  // Reports the change to the designer.
  void Modified();

 protected:
  std::int64_t GetOrdValue() const { return prop_.get_ordinal(*selection_[0]); }
  void SetOrdValue(std::int64_t value);
  std::string GetStrValue() const { return prop_.get_string(*selection_[0]); }
  void SetStrValue(const std::string& value);
  double GetFloatValue() const { return prop_.get_float(*selection_[0]); }
  void SetFloatValue(double value);
  TPersistent* GetObjectValue() const { return prop_.get_object(*selection_[0]); }
  // Raises EPropertyError when the property has no setter.
  void CheckWritable() const;

 private:
  TFormDesigner& designer_;
  std::vector<TPersistent*> selection_;
  const PropInfo& prop_;
};

// Integers, characters, enumerations and Booleans: one ordinal value.
class TOrdinalProperty : public TPropertyEditor {
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() const override { return {paMultiSelect, paRevertable}; }
  bool AllEqual() const override;
};

// An integer property, written in decimal and read in decimal or $hex. An integer whose
// values have names (a colour: clBtnFace) is written by its name where it has one, as
// the form stream writes it, and read by name or number.
class TIntegerProperty : public TOrdinalProperty {
 public:
  using TOrdinalProperty::TOrdinalProperty;
  std::string GetValue() const override;
  // A name of the property's values, decimal or $hex; "Value must be between lo and hi"
  // outside the property's bounds.
  void SetValue(const std::string& value) override;
};

// A character property: the character itself, or #n for one that cannot be shown.
class TCharProperty : public TOrdinalProperty {
 public:
  using TOrdinalProperty::TOrdinalProperty;
  // The character itself when printable, else #code.
  std::string GetValue() const override;
  void SetValue(const std::string& value) override;
};

// Enumerations and Booleans: the value's name, picked from the list of names.
class TEnumProperty : public TOrdinalProperty {
 public:
  using TOrdinalProperty::TOrdinalProperty;
  TPropertyAttributes GetAttributes() const override {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
  }
  std::string GetValue() const override;
  void GetValues(const TGetStrProc& proc) const override;
  // A name of the list (case-insensitive), or an ordinal number within it.
  void SetValue(const std::string& value) override;

 private:
  std::vector<std::string> Names() const;
};

// A floating-point property, edited as the text of its number.
class TFloatProperty : public TPropertyEditor {
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() const override { return {paMultiSelect, paRevertable}; }
  std::string GetValue() const override;
  void SetValue(const std::string& value) override;
  bool AllEqual() const override;
};

// A string property, edited as its text.
class TStringProperty : public TPropertyEditor {
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() const override { return {paMultiSelect, paRevertable}; }
  std::string GetValue() const override { return GetStrValue(); }
  void SetValue(const std::string& value) override { SetStrValue(value); }
  bool AllEqual() const override;
};

// Sets: "[name,name]"; the text is set with the names of the elements to include.
class TSetProperty : public TOrdinalProperty {
 public:
  using TOrdinalProperty::TOrdinalProperty;
  TPropertyAttributes GetAttributes() const override { return {paMultiSelect, paRevertable}; }
  std::string GetValue() const override;
  void SetValue(const std::string& value) override;
};

// Owned sub-objects and collections: "(TClassName)", read-only, expanding into the
// value's own properties.
class TClassProperty : public TPropertyEditor {
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() const override {
    return {paMultiSelect, paSubProperties, paReadOnly};
  }
  std::string GetValue() const override;
  std::vector<std::unique_ptr<TPropertyEditor>> GetProperties() const override;
};

// References to another component of the design: its name, picked from the components
// of the root that the property accepts.
class TComponentProperty : public TPropertyEditor {
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() const override {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
  }
  std::string GetValue() const override;
  void GetValues(const TGetStrProc& proc) const override;
  // "" clears the reference; an unknown or unfitting name is "Invalid property value".
  void SetValue(const std::string& value) override;
};

// Events: the handler's name, bound through the designed root's method table.
class TMethodProperty : public TPropertyEditor {
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() const override { return {paMultiSelect, paValueList, paSortList}; }
  std::string GetValue() const override;
  // "" clears the handler; a name the root does not have, or of another shape, is refused.
  void SetValue(const std::string& value) override;
};

// The editor the inspector uses for a property of this kind when none is registered.
std::unique_ptr<TPropertyEditor> CreateDefaultPropertyEditor(TFormDesigner& designer,
                                                             std::vector<TPersistent*> selection,
                                                             const PropInfo& prop);

}  // namespace vantor
