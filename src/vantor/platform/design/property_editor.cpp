#include <vantor/platform/design/property_editor.h>

#include <cassert>

#include <vantor/platform/core/component.h>
#include <vantor/platform/design/design_registry.h>
#include <vantor/platform/design/form_designer.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/number_text.h>
#include <vantor/platform/rtl/utf8.h>

namespace vantor {

namespace {

[[noreturn]] void InvalidValue() { throw EPropertyError("Invalid property value"); }

}  // namespace

TPropertyEditor::TPropertyEditor(TFormDesigner& designer, std::vector<TPersistent*> selection,
                                 const PropInfo& prop)
    : designer_(designer), selection_(std::move(selection)), prop_(prop) {
  if (selection_.empty()) throw EInvalidOperation("A property editor needs a selected object");
}

TPersistent* TPropertyEditor::GetComponent(int index) const {
  if (index < 0 || index >= PropCount()) {
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  }
  return selection_[static_cast<std::size_t>(index)];
}

void TPropertyEditor::SetValue(const std::string& /*value*/) {}

void TPropertyEditor::GetValues(const TGetStrProc& /*proc*/) const {}

void TPropertyEditor::Edit() {
  if (!GetAttributes().Contains(paValueList)) return;
  std::vector<std::string> values;
  GetValues([&values](const std::string& v) { values.push_back(v); });
  if (values.empty()) return;
  const std::string current = GetValue();
  std::size_t next = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (AnsiSameText(values[i], current)) {
      next = (i + 1) % values.size();
      break;
    }
  }
  SetValue(values[next]);
}

void TPropertyEditor::Modified() { designer_.Modified(); }

void TPropertyEditor::CheckWritable() const {
  const bool writable = prop_.set_ordinal || prop_.set_string || prop_.set_float ||
                        prop_.set_component || prop_.get_event;
  if (!writable) throw EPropertyError("Property " + prop_.name + " is read-only");
}

void TPropertyEditor::SetOrdValue(std::int64_t value) {
  CheckWritable();
  for (TPersistent* p : selection_) prop_.set_ordinal(*p, value);
  Modified();
}

void TPropertyEditor::SetStrValue(const std::string& value) {
  CheckWritable();
  for (TPersistent* p : selection_) prop_.set_string(*p, value);
  Modified();
}

void TPropertyEditor::SetFloatValue(double value) {
  CheckWritable();
  for (TPersistent* p : selection_) prop_.set_float(*p, value);
  Modified();
}

bool TOrdinalProperty::AllEqual() const {
  const std::int64_t first = GetOrdValue();
  for (TPersistent* p : Selection()) {
    if (Prop().get_ordinal(*p) != first) return false;
  }
  return true;
}

std::string TIntegerProperty::GetValue() const {
  const std::int64_t v = GetOrdValue();
  if (Prop().int_to_ident) {
    if (std::optional<std::string> name = Prop().int_to_ident(v)) return *name;
  }
  return IntToStr(v);
}

void TIntegerProperty::SetValue(const std::string& value) {
  const std::string text = Trim(value);
  if (Prop().ident_to_int) {
    if (std::optional<std::int64_t> named = Prop().ident_to_int(text)) {
      SetOrdValue(*named);
      return;
    }
  }
  const std::int64_t v = StrToInt64(text);
  if (v < Prop().min_value || v > Prop().max_value) {
    throw EPropertyError("Value must be between " + IntToStr(Prop().min_value) + " and " +
                         IntToStr(Prop().max_value));
  }
  SetOrdValue(v);
}

std::string TCharProperty::GetValue() const {
  const auto ch = static_cast<char32_t>(GetOrdValue());
  if (ch > 32 && ch != 127 && !(ch >= 0x80 && ch < 0xA0)) return EncodeUtf8(ch);
  return "#" + IntToStr(static_cast<std::int64_t>(ch));
}

void TCharProperty::SetValue(const std::string& value) {
  const std::u32string chars = DecodeUtf8(value);
  if (chars.size() == 1) {
    SetOrdValue(static_cast<std::int64_t>(chars[0]));
    return;
  }
  std::int32_t code = 0;
  if (chars.size() > 1 && value[0] == '#' && TryStrToInt(value.substr(1), code) && code >= 0 &&
      code <= Prop().max_value) {
    SetOrdValue(code);
    return;
  }
  InvalidValue();
}

std::vector<std::string> TEnumProperty::Names() const {
  if (Prop().kind == TPropKind::Boolean) return {"False", "True"};
  return {Prop().names.begin(), Prop().names.end()};
}

std::string TEnumProperty::GetValue() const {
  const std::vector<std::string> names = Names();
  const std::int64_t v = GetOrdValue();
  if (v >= 0 && v < static_cast<std::int64_t>(names.size())) return names[static_cast<std::size_t>(v)];
  return IntToStr(v);
}

void TEnumProperty::GetValues(const TGetStrProc& proc) const {
  for (const std::string& name : Names()) proc(name);
}

void TEnumProperty::SetValue(const std::string& value) {
  const std::vector<std::string> names = Names();
  const std::string text = Trim(value);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (AnsiSameText(names[i], text)) {
      SetOrdValue(static_cast<std::int64_t>(i));
      return;
    }
  }
  std::int32_t ordinal = 0;
  if (TryStrToInt(text, ordinal) && ordinal >= 0 && ordinal < static_cast<std::int32_t>(names.size())) {
    SetOrdValue(ordinal);
    return;
  }
  InvalidValue();
}

std::string TFloatProperty::GetValue() const { return FloatToStr(GetFloatValue()); }

void TFloatProperty::SetValue(const std::string& value) { SetFloatValue(StrToFloat(Trim(value))); }

bool TFloatProperty::AllEqual() const {
  const double first = GetFloatValue();
  for (TPersistent* p : Selection()) {
    if (Prop().get_float(*p) != first) return false;
  }
  return true;
}

bool TStringProperty::AllEqual() const {
  const std::string first = GetStrValue();
  for (TPersistent* p : Selection()) {
    if (Prop().get_string(*p) != first) return false;
  }
  return true;
}

std::string TSetProperty::GetValue() const {
  const auto mask = static_cast<std::uint64_t>(GetOrdValue());
  std::string text = "[";
  for (std::size_t i = 0; i < Prop().names.size(); ++i) {
    if ((mask & (std::uint64_t{1} << i)) == 0) continue;
    if (text.size() > 1) text += ',';
    text += Prop().names[i];
  }
  return text + "]";
}

void TSetProperty::SetValue(const std::string& value) {
  std::string_view text = value;
  const std::string trimmed = Trim(text);
  text = trimmed;
  if (text.size() < 2 || text.front() != '[' || text.back() != ']') InvalidValue();
  text = text.substr(1, text.size() - 2);
  std::uint64_t mask = 0;
  while (!Trim(text).empty()) {
    const auto comma = text.find(',');
    const std::string name = Trim(text.substr(0, comma));
    bool found = false;
    for (std::size_t i = 0; i < Prop().names.size() && !found; ++i) {
      if (AnsiSameText(Prop().names[i], name)) {
        mask |= std::uint64_t{1} << i;
        found = true;
      }
    }
    if (!found) InvalidValue();
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  SetOrdValue(static_cast<std::int64_t>(mask));
}

std::string TClassProperty::GetValue() const {
  const TPersistent* value = GetObjectValue();
  return "(" + (value != nullptr ? value->ClassName() : std::string("nil")) + ")";
}

std::vector<std::unique_ptr<TPropertyEditor>> TClassProperty::GetProperties() const {
  std::vector<TPersistent*> values;
  for (TPersistent* p : Selection()) {
    if (TPersistent* v = Prop().get_object(*p)) values.push_back(v);
  }
  if (values.size() != Selection().size()) return {};
  return GetComponentProperties(Designer(), values);
}

std::string TComponentProperty::GetValue() const {
  return Designer().GetComponentName(Prop().get_component(*GetComponent(0)));
}

void TComponentProperty::GetValues(const TGetStrProc& proc) const {
  const TComponent* root = Designer().GetRoot();
  const auto offer = [&](const TComponent* c) {
    if (!c->Name().empty() && Prop().accepts_component(c)) proc(c->Name());
  };
  offer(root);
  for (int i = 0; i < root->ComponentCount(); ++i) offer(root->Components(i));
}

void TComponentProperty::SetValue(const std::string& value) {
  if (!Prop().set_component) CheckWritable();
  TComponent* target = nullptr;
  if (!Trim(value).empty()) {
    target = Designer().GetComponent(Trim(value));
    if (target == nullptr || !Prop().accepts_component(target)) InvalidValue();
  }
  for (TPersistent* p : Selection()) Prop().set_component(*p, target);
  Modified();
}

std::string TMethodProperty::GetValue() const {
  return Prop().get_event(*GetComponent(0))->HandlerName();
}

void TMethodProperty::SetValue(const std::string& value) {
  const std::string name = Trim(value);
  if (name.empty()) {
    for (TPersistent* p : Selection()) Prop().get_event(*p)->Clear();
    Modified();
    return;
  }
  const std::any* handler = Designer().GetRoot()->FindMethod(name);
  if (handler == nullptr) throw EPropertyError("The form has no method named " + name);
  for (TPersistent* p : Selection()) {
    if (!Prop().get_event(*p)->Bind(name, *handler)) {
      throw EPropertyError("Method " + name + " does not fit the event " + Prop().name);
    }
  }
  Modified();
}

std::unique_ptr<TPropertyEditor> CreateDefaultPropertyEditor(TFormDesigner& designer,
                                                             std::vector<TPersistent*> selection,
                                                             const PropInfo& prop) {
  switch (prop.kind) {
    case TPropKind::Integer:
      return std::make_unique<TIntegerProperty>(designer, std::move(selection), prop);
    case TPropKind::Char:
      return std::make_unique<TCharProperty>(designer, std::move(selection), prop);
    case TPropKind::Boolean:
    case TPropKind::Enum:
      return std::make_unique<TEnumProperty>(designer, std::move(selection), prop);
    case TPropKind::Set:
      return std::make_unique<TSetProperty>(designer, std::move(selection), prop);
    case TPropKind::String:
      return std::make_unique<TStringProperty>(designer, std::move(selection), prop);
    case TPropKind::Float:
      return std::make_unique<TFloatProperty>(designer, std::move(selection), prop);
    case TPropKind::Object:
    case TPropKind::Collection:
      return std::make_unique<TClassProperty>(designer, std::move(selection), prop);
    case TPropKind::Component:
      return std::make_unique<TComponentProperty>(designer, std::move(selection), prop);
    case TPropKind::Event:
      return std::make_unique<TMethodProperty>(designer, std::move(selection), prop);
  }
  // Every kind of TPropKind has its case above.
  assert(false);
  return nullptr;
}

}  // namespace vantor
