#include <vantor/platform/core/reader.h>

#include <algorithm>

#include <vantor/platform/core/collection.h>
#include <vantor/platform/core/component.h>
#include <vantor/platform/core/persistent.h>
#include <vantor/platform/rtl/identifiers.h>
#include <vantor/platform/rtl/utf8.h>

namespace vantor {

namespace {

FindGlobalComponentProc& GlobalFinder() {
  static FindGlobalComponentProc finder;
  return finder;
}


// Decodes `s` as exactly one UTF-8 character; false otherwise.
bool DecodeOneUtf8(const std::string& s, char32_t& out) {
  if (s.empty()) return false;
  const Utf8Unit u = DecodeUtf8At(s, 0);
  if (u.invalid || u.len != s.size()) return false;
  out = u.cp;
  return true;
}

// The name a root read under an owner takes: the streamed one, or, when another component
// of that owner has it already (a second window of one class, read from one description),
// the first of Name_1, Name_2, ... that is free there. The root's own components are named
// inside the root and keep their streamed names.
std::string FreeRootName(const TComponent& root, const std::string& name) {
  const TComponent* owner = root.Owner();
  const auto taken = [&](const std::string& candidate) {
    const TComponent* other = owner->FindComponent(candidate);
    return other != nullptr && other != &root;
  };
  if (owner == nullptr || name.empty() || !taken(name)) return name;
  // The owner has finitely many components, so some number is free.
  for (int i = 1;; ++i) {
    std::string candidate = name + "_" + std::to_string(i);
    if (!taken(candidate)) return candidate;
  }
}

}  // namespace

void SetFindGlobalComponent(FindGlobalComponentProc finder) { GlobalFinder() = std::move(finder); }

// Counts one level of nesting for the lifetime of a scope; refuses to go deeper than the limit.
class TReader::Nesting {
 public:
  explicit Nesting(TReader& r) : r_(r) {
    if (r_.depth_ >= kMaxStreamNesting) {
      r_.Fail("Form stream nested deeper than " + std::to_string(kMaxStreamNesting) + " levels");
    }
    ++r_.depth_;
  }
  Nesting(const Nesting&) = delete;
  Nesting& operator=(const Nesting&) = delete;
  ~Nesting() { --r_.depth_; }

 private:
  TReader& r_;
};

void TReader::Fail(const std::string& message) {
  throw EReadError(message + " (at offset " + std::to_string(Offset()) + ")");
}

// ---- defined properties ----

void TReader::DefineProperty(const std::string& name, ReaderProc read, WriterProc /*write*/,
                             bool /*has_data*/) {
  if (defined_handled_ || !SameIdent(name, defined_name_)) return;
  defined_handled_ = true;
  if (read) {
    read(*this);
  } else {
    SkipValue();
  }
}

void TReader::DefineBinaryProperty(const std::string& name, StreamProc read, StreamProc /*write*/,
                                   bool /*has_data*/) {
  if (defined_handled_ || !SameIdent(name, defined_name_)) return;
  defined_handled_ = true;
  if (NextValue() != vaBinary) Fail("Binary value expected for " + name);
  const std::vector<std::uint8_t> bytes = ReadBinary();
  if (!read) return;
  TMemoryStream block(bytes);
  read(block);
}

// ---- component trees ----

TComponent* TReader::ReadRootComponent(TComponent* root) {
  fixups_.clear();
  loaded_.clear();
  created_.clear();
  item_context_.clear();
  depth_ = 0;
  const bool creating = root == nullptr;
  try {
    const std::string class_name = ReadRootClassName();
    const std::string name = ReadStr();
    if (creating) {
      const TypeInfo& type = FindClass(class_name);
      if (!type.InheritsFrom(TComponent::StaticType()) || !type.CreateComponent()) {
        Fail("Class " + class_name + " cannot be created as a component");
      }
      root = type.CreateComponent()(nullptr);
      created_.push_back(root);
    } else {
      const TypeInfo* streamed = GetClass(class_name);
      bool matches = false;
      for (const TypeInfo* t = &root->ClassType(); t != nullptr && !matches; t = t->Parent()) {
        matches = SameIdent(t->Name(), class_name) || (streamed != nullptr && t == streamed);
      }
      if (!matches) Fail("The stream holds a " + class_name + ", not a " + root->ClassName());
    }
    SetRoot(root);
    if (name != root->Name()) {
      try {
        root->SetName(FreeRootName(*root, name));
      } catch (const EComponentError& e) {
        Fail(e.Message());
      }
    }
    root->IncludeState(csLoading);
    root->IncludeState(csReading);
    loaded_.push_back(root);
    ReadComponentBody(root);
    ResolveFixups();
    for (TComponent* c : loaded_) c->ExcludeState(csReading);
    // Loaded may raise; the flags of the components not yet told are cleared below.
    for (std::size_t i = 0; i < loaded_.size(); ++i) {
      loaded_[i]->Loaded();
      loaded_[i] = nullptr;
    }
  } catch (...) {
    fixups_.clear();
    // Free what this read created, newest first; the caller's own root survives, cleaned.
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
      std::erase(loaded_, *it);
      delete *it;
    }
    for (TComponent* c : loaded_) {
      if (c == nullptr) continue;
      c->ExcludeState(csReading);
      c->ExcludeState(csLoading);
    }
    created_.clear();
    loaded_.clear();
    if (creating) SetRoot(nullptr);
    throw;
  }
  created_.clear();
  loaded_.clear();
  return root;
}

std::string TReader::ReadRootClassName() {
  ReadSignature();
  ReadPrefix();
  return ReadStr();
}

TComponent* TReader::ReadComponent(TComponent* parent) {
  Nesting nesting(*this);
  if (Root() == nullptr) Fail("No root component to read into");
  ReadPrefix();
  const std::string class_name = ReadStr();
  const std::string name = ReadStr();
  TComponent* component = name.empty() ? nullptr : Root()->FindComponent(name);
  if (component != nullptr) {
    if (!SameIdent(component->ClassName(), class_name)) {
      Fail("Component " + name + " is a " + component->ClassName() + ", the stream holds a " + class_name);
    }
    if (std::find(loaded_.begin(), loaded_.end(), component) != loaded_.end()) {
      Fail("Component " + name + " appears twice in the stream");
    }
  } else {
    const TypeInfo& type = FindClass(class_name);
    if (!type.InheritsFrom(TComponent::StaticType()) || !type.CreateComponent()) {
      Fail("Class " + class_name + " cannot be created as a component");
    }
    component = type.CreateComponent()(Root());
    created_.push_back(component);
    try {
      component->SetName(name);
    } catch (const EComponentError& e) {
      Fail(e.Message());
    }
    if (parent != nullptr) component->SetParentComponent(parent);
  }
  component->IncludeState(csLoading);
  component->IncludeState(csReading);
  loaded_.push_back(component);
  ReadComponentBody(component);
  return component;
}

void TReader::ReadComponentBody(TComponent* component) {
  while (!EndOfList()) ReadProperty(*component);
  ReadListEnd();
  while (!EndOfList()) ReadComponent(component);
  ReadListEnd();
}

void TReader::ReadCollection(TCollection& collection) {
  Nesting nesting(*this);
  UpdateGuard<TCollection> update(collection);
  // Items about to be freed may hold pending references: forget those.
  std::erase_if(fixups_, [&collection](const Fixup& f) {
    return std::any_of(f.items.begin(), f.items.end(),
                       [&collection](TCollectionItem* i) { return i->Collection() == &collection; });
  });
  collection.Clear();
  while (!EndOfList()) {
    const TValueType next = NextValue();
    if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger();  // an item position: not used
    TCollectionItem* item = collection.Add();
    ReadListBegin();
    item_context_.push_back(item);
    try {
      while (!EndOfList()) ReadProperty(*item);
    } catch (...) {
      item_context_.pop_back();
      throw;
    }
    item_context_.pop_back();
    ReadListEnd();
  }
  ReadListEnd();
}

void TReader::ReadProperty(TPersistent& instance) {
  const std::string name = ReadStr();
  if (name.empty()) Fail("Property name expected");
  TPersistent* target = &instance;
  std::string_view rest = name;
  for (std::size_t dot = rest.find('.'); dot != std::string_view::npos; dot = rest.find('.')) {
    const std::string_view part = rest.substr(0, dot);
    const PropInfo* p = target->ClassType().FindProperty(part);
    TPersistent* sub = (p != nullptr && p->kind == TPropKind::Object) ? p->get_object(*target) : nullptr;
    if (sub == nullptr) Fail("Property " + name + " does not exist in " + instance.ClassName());
    target = sub;
    rest = rest.substr(dot + 1);
  }
  if (const PropInfo* p = target->ClassType().FindProperty(rest)) {
    ReadPropValue(*target, *p, name);
    return;
  }
  defined_name_ = std::string(rest);
  defined_handled_ = false;
  target->DefineProperties(*this);
  const bool handled = defined_handled_;
  defined_handled_ = false;
  defined_name_.clear();
  if (!handled) Fail("Property " + name + " does not exist in " + instance.ClassName());
}

void TReader::ReadPropValue(TPersistent& instance, const PropInfo& prop, const std::string& where) {
  if (prop.IsReadOnly()) Invalid(where, "the property is read-only");
  const TValueType next = NextValue();
  switch (prop.kind) {
    case TPropKind::Integer: {
      std::int64_t v = 0;
      if (next == vaIdent && prop.ident_to_int) {
        const std::string ident = ReadIdent();
        const auto found = prop.ident_to_int(ident);
        if (!found) Invalid(where, "unknown name " + ident);
        v = *found;
      } else {
        if (next != vaInt8 && next != vaInt16 && next != vaInt32) Invalid(where, "integer expected");
        v = ReadInteger();
      }
      if (v < prop.min_value || v > prop.max_value) Invalid(where, std::to_string(v) + " is out of range");
      prop.set_ordinal(instance, v);
      return;
    }
    case TPropKind::Boolean: {
      if (next != vaTrue && next != vaFalse) Invalid(where, "True or False expected");
      prop.set_ordinal(instance, ReadBoolean() ? 1 : 0);
      return;
    }
    case TPropKind::Char: {
      if (next != vaString && next != vaLString && next != vaInt8 && next != vaInt16 && next != vaInt32) {
        Invalid(where, "character expected");
      }
      prop.set_ordinal(instance, static_cast<std::int64_t>(ReadChar()));
      return;
    }
    case TPropKind::Enum: {
      if (next != vaIdent && next != vaTrue && next != vaFalse) Invalid(where, "identifier expected");
      const std::string ident = ReadIdent();
      for (std::size_t i = 0; i < prop.names.size(); ++i) {
        if (SameIdent(prop.names[i], ident)) {
          prop.set_ordinal(instance, static_cast<std::int64_t>(i));
          return;
        }
      }
      Invalid(where, "unknown value " + ident);
    }
    case TPropKind::Set: {
      if (next != vaSet) Invalid(where, "set expected");
      ReadValue();
      std::uint64_t mask = 0;
      for (const std::string& ident : ReadSetNames()) {
        std::size_t i = 0;
        while (i < prop.names.size() && !SameIdent(prop.names[i], ident)) ++i;
        if (i == prop.names.size() || i >= 64) Invalid(where, "unknown set member " + ident);
        mask |= std::uint64_t{1} << i;
      }
      prop.set_ordinal(instance, static_cast<std::int64_t>(mask));
      return;
    }
    case TPropKind::String:
      if (next != vaString && next != vaLString) Invalid(where, "string expected");
      prop.set_string(instance, ReadString());
      return;
    case TPropKind::Float:
      if (next != vaExtended && next != vaInt8 && next != vaInt16 && next != vaInt32) Invalid(where, "number expected");
      prop.set_float(instance, ReadFloat());
      return;
    case TPropKind::Object:
      Invalid(where, "a sub-object is read through its own properties");
    case TPropKind::Collection: {
      if (next != vaCollection) Invalid(where, "collection expected");
      auto* collection = dynamic_cast<TCollection*>(prop.get_object(instance));
      if (collection == nullptr) Invalid(where, "no collection to read into");
      ReadValue();
      ReadCollection(*collection);
      return;
    }
    case TPropKind::Component: {
      if (next == vaNil) {
        ReadValue();
        prop.set_component(instance, nullptr);
        return;
      }
      if (next != vaIdent) Invalid(where, "component name expected");
      fixups_.push_back({&instance, &prop, ReadIdent(), where, item_context_});
      return;
    }
    case TPropKind::Event: {
      EventBase* event = prop.get_event(instance);
      if (next == vaNil) {
        ReadValue();
        event->Clear();
        return;
      }
      if (next != vaIdent) Invalid(where, "handler name expected");
      const std::string handler = ReadIdent();
      const std::any* method = Root() != nullptr ? Root()->FindMethod(handler) : nullptr;
      if (method == nullptr) {
        Invalid(where, "no handler named " + handler + " in " + (Root() != nullptr ? Root()->ClassName() : "the root"));
      }
      if (!event->Bind(handler, *method)) Invalid(where, "handler " + handler + " does not fit the event");
      return;
    }
  }
}

void TReader::Invalid(const std::string& where, const std::string& why) {
  Fail("Invalid value for property " + where + ": " + why);
}

void TReader::ResolveFixups() {
  // Each reference is set once; clear the list first so a throwing setter leaves no stale entry.
  std::vector<Fixup> pending = std::move(fixups_);
  fixups_.clear();
  for (const Fixup& f : pending) {
    TComponent* target = FindReference(f.name);
    if (target == nullptr) {
      throw EReadError("Invalid value for property " + f.where + ": component " + f.name + " not found");
    }
    if (f.prop->accepts_component && !f.prop->accepts_component(target)) {
      throw EReadError("Invalid value for property " + f.where + ": " + f.name + " is a " +
                       target->ClassName() + " and does not fit");
    }
    f.prop->set_component(*f.instance, target);
  }
}

TComponent* TReader::FindReference(std::string_view name) const {
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) {
    if (SameIdent(Root()->Name(), name)) return Root();
    return Root()->FindComponent(name);
  }
  const std::string_view owner_name = name.substr(0, dot);
  const std::string_view rest = name.substr(dot + 1);
  TComponent* owner = nullptr;
  if (SameIdent(Root()->Name(), owner_name)) {
    owner = Root();
  } else if (GlobalFinder()) {
    owner = GlobalFinder()(owner_name);
  }
  return owner != nullptr ? owner->FindComponent(rest) : nullptr;
}

// ---- items ----

std::uint8_t TReader::ReadPrefix() {
  const std::uint8_t prefix = PeekByte();
  if ((prefix & 0xF0) != 0xF0) return 0;
  ReadByte();
  const std::uint8_t flags = prefix & 0x0F;
  if ((flags & ffChildPos) != 0) ReadInteger();
  return flags;
}

std::uint8_t TReader::ReadByte() {
  std::uint8_t b = 0;
  if (Stream().Read(&b, 1) != 1) Fail("Unexpected end of the form stream");
  return b;
}

std::uint8_t TReader::PeekByte() {
  const std::uint8_t b = ReadByte();
  Stream().Seek(-1, soCurrent);
  return b;
}

std::string TReader::ReadBytes(std::int64_t count) {
  if (count > Stream().Remaining()) {
    Fail("Length " + std::to_string(count) + " runs past the end of the form stream");
  }
  std::string s(static_cast<std::size_t>(count), '\0');
  Stream().ReadBuffer(s.data(), count);
  return s;
}

std::uint32_t TReader::ReadLength() {
  std::uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n |= static_cast<std::uint32_t>(ReadByte()) << (8 * i);
  if (n > INT32_MAX) Fail("Negative length in the form stream");
  return n;
}

void TReader::ReadSignature() {
  if (Stream().Remaining() < 4) Fail("Invalid stream format: no signature");
  const std::string sig = ReadBytes(4);
  if (sig != std::string_view(kFormSignature, 4)) Fail("Invalid stream format: bad signature");
}

TValueType TReader::ReadValue() {
  const std::uint8_t tag = ReadByte();
  if (tag > static_cast<std::uint8_t>(vaCollection)) {
    Stream().Seek(-1, soCurrent);
    Fail("Invalid value tag " + std::to_string(tag));
  }
  return static_cast<TValueType>(tag);
}

bool TReader::EndOfList() {
  const std::uint8_t next = ReadByte();
  Stream().Seek(-1, soCurrent);
  return next == static_cast<std::uint8_t>(vaNull);
}

TValueType TReader::NextValue() {
  const TValueType v = ReadValue();
  Stream().Seek(-1, soCurrent);
  return v;
}

void TReader::ReadListBegin() {
  if (ReadValue() != vaList) {
    Stream().Seek(-1, soCurrent);
    Fail("List expected");
  }
}

void TReader::ReadListEnd() {
  if (ReadValue() != vaNull) {
    Stream().Seek(-1, soCurrent);
    Fail("End of list expected");
  }
}

std::int32_t TReader::ReadInteger() {
  switch (ReadValue()) {
    case vaInt8:
      return static_cast<std::int8_t>(ReadByte());
    case vaInt16: {
      const std::uint16_t lo = ReadByte();
      const std::uint16_t hi = ReadByte();
      return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
    }
    case vaInt32: {
      std::uint32_t v = 0;
      for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(ReadByte()) << (8 * i);
      return static_cast<std::int32_t>(v);
    }
    default:
      Stream().Seek(-1, soCurrent);
      Fail("Integer expected");
  }
}

std::string TReader::ReadString() {
  switch (ReadValue()) {
    case vaString:
      return ReadStr();
    case vaLString:
      return ReadBytes(ReadLength());
    default:
      Stream().Seek(-1, soCurrent);
      Fail("String expected");
  }
}

bool TReader::ReadBoolean() {
  const TValueType v = ReadValue();
  if (v != vaTrue && v != vaFalse) {
    Stream().Seek(-1, soCurrent);
    Fail("Boolean expected");
  }
  return v == vaTrue;
}

Extended80 TReader::ReadExtended() {
  if (ReadValue() != vaExtended) {
    Stream().Seek(-1, soCurrent);
    Fail("Floating-point value expected");
  }
  Extended80 bytes{};
  const std::string raw = ReadBytes(10);
  std::copy(raw.begin(), raw.end(), bytes.begin());
  return bytes;
}

double TReader::ReadFloat() {
  const TValueType next = NextValue();
  if (next == vaInt8 || next == vaInt16 || next == vaInt32) return ReadInteger();
  const auto value = DecodeExtended(ReadExtended());
  if (!value) Fail("Invalid floating-point value");
  return *value;
}

std::string TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent:
      return ReadStr();
    case vaFalse:
      return "False";
    case vaTrue:
      return "True";
    case vaNil:
      return "nil";
    case vaNull:
      return "Null";
    default:
      Stream().Seek(-1, soCurrent);
      Fail("Identifier expected");
  }
}

char32_t TReader::ReadChar() {
  const TValueType next = NextValue();
  if (next == vaInt8 || next == vaInt16 || next == vaInt32) {
    const std::int32_t v = ReadInteger();
    if (v < 0 || v > 0x10FFFF) Fail("Invalid character code " + std::to_string(v));
    return static_cast<char32_t>(v);
  }
  const std::string s = ReadString();
  char32_t ch = 0;
  if (!DecodeOneUtf8(s, ch)) Fail("One character expected");
  return ch;
}

std::vector<std::uint8_t> TReader::ReadBinary() {
  if (ReadValue() != vaBinary) {
    Stream().Seek(-1, soCurrent);
    Fail("Binary value expected");
  }
  const std::string raw = ReadBytes(ReadLength());
  return {raw.begin(), raw.end()};
}

std::vector<std::string> TReader::ReadSetNames() {
  std::vector<std::string> names;
  for (std::string s = ReadStr(); !s.empty(); s = ReadStr()) {
    if (names.size() >= 64) Fail("Too many set members");
    names.push_back(std::move(s));
  }
  return names;
}

std::string TReader::ReadStr() { return ReadBytes(ReadByte()); }

void TReader::SkipValue() {
  Nesting nesting(*this);
  switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaList:
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      return;
    case vaInt8:
      ReadBytes(1);
      return;
    case vaInt16:
      ReadBytes(2);
      return;
    case vaInt32:
      ReadBytes(4);
      return;
    case vaExtended:
      ReadBytes(10);
      return;
    case vaString:
    case vaIdent:
      ReadStr();
      return;
    case vaBinary:
    case vaLString:
      ReadBytes(ReadLength());
      return;
    case vaSet:
      ReadSetNames();
      return;
    case vaCollection:
      while (!EndOfList()) {
        const TValueType next = NextValue();
        if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      return;
  }
}

}  // namespace vantor
