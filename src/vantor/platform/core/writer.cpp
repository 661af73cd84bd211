#include <vantor/platform/core/writer.h>


#include <vantor/platform/core/collection.h>
#include <vantor/platform/core/component.h>
#include <vantor/platform/core/persistent.h>
#include <vantor/platform/rtl/identifiers.h>

namespace vantor {

namespace {

// Sets the property path for a nested write and restores it on every exit.
class PathScope {
 public:
  PathScope(std::string& path, std::string value) : path_(path), saved_(path) { path_ = std::move(value); }
  PathScope(const PathScope&) = delete;
  PathScope& operator=(const PathScope&) = delete;
  ~PathScope() { path_ = saved_; }

 private:
  std::string& path_;
  std::string saved_;
};

class StateScope {
 public:
  StateScope(TComponent& c, TComponentStateItem s) : c_(c), s_(s), had_(c.ComponentState().Contains(s)) {
    c_.IncludeState(s_);
  }
  StateScope(const StateScope&) = delete;
  StateScope& operator=(const StateScope&) = delete;
  ~StateScope() {
    if (!had_) c_.ExcludeState(s_);
  }

 private:
  TComponent& c_;
  TComponentStateItem s_;
  bool had_;
};

void AppendUtf8(std::string& out, char32_t ch) {
  if (ch < 0x80) {
    out += static_cast<char>(ch);
  } else if (ch < 0x800) {
    out += static_cast<char>(0xC0 | (ch >> 6));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else if (ch < 0x10000) {
    out += static_cast<char>(0xE0 | (ch >> 12));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (ch >> 18));
    out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  }
}

}  // namespace

void TWriter::DefineProperty(const std::string& name, ReaderProc /*read*/, WriterProc write,
                             bool has_data) {
  if (!has_data || !write) return;
  WritePropName(name);
  write(*this);
}

void TWriter::DefineBinaryProperty(const std::string& name, StreamProc /*read*/, StreamProc write,
                                   bool has_data) {
  if (!has_data || !write) return;
  TMemoryStream block;
  write(block);
  WritePropName(name);
  WriteBinary(block.Bytes());
}

void TWriter::WriteRootComponent(TComponent* root) {
  SetRoot(root);
  WriteSignature();
  WriteComponent(root);
}

void TWriter::WriteComponent(TComponent* component) {
  if (Root() == nullptr) SetRoot(component);
  StateScope writing(*component, csWriting);
  WriteStr(component->ClassName());
  WriteStr(component->Name());
  WriteProperties(*component);
  WriteListEnd();
  for (TComponent* child : component->GetChildren(Root())) WriteComponent(child);
  WriteListEnd();
}

void TWriter::WriteProperties(TPersistent& instance) {
  for (const PropInfo* prop : instance.ClassType().Properties()) {
    if (prop->IsStored(instance)) WriteProperty(instance, *prop);
  }
  instance.DefineProperties(*this);
}

void TWriter::WriteProperty(TPersistent& instance, const PropInfo& prop) {
  switch (prop.kind) {
    case TPropKind::Integer: {
      if (prop.IsDefault(instance)) return;
      const std::int64_t v = prop.get_ordinal(instance);
      if (prop.int_to_ident) {
        if (auto ident = prop.int_to_ident(v)) {
          WritePropName(prop.name);
          WriteIdent(*ident);
          return;
        }
      }
      if (v < INT32_MIN || v > INT32_MAX) {
        throw EWriteError("Value of " + prop.name + " does not fit the stream's integer");
      }
      WritePropName(prop.name);
      WriteInteger(static_cast<std::int32_t>(v));
      return;
    }
    case TPropKind::Boolean:
      if (prop.IsDefault(instance)) return;
      WritePropName(prop.name);
      WriteBoolean(prop.get_ordinal(instance) != 0);
      return;
    case TPropKind::Char:
      if (prop.IsDefault(instance)) return;
      WritePropName(prop.name);
      WriteChar(static_cast<char32_t>(prop.get_ordinal(instance)));
      return;
    case TPropKind::Enum: {
      if (prop.IsDefault(instance)) return;
      const std::int64_t v = prop.get_ordinal(instance);
      if (v < 0 || v >= static_cast<std::int64_t>(prop.names.size())) {
        throw EWriteError("Value " + std::to_string(v) + " of " + prop.name + " has no name");
      }
      WritePropName(prop.name);
      WriteIdent(prop.names[static_cast<std::size_t>(v)]);
      return;
    }
    case TPropKind::Set: {
      if (prop.IsDefault(instance)) return;
      const auto mask = static_cast<std::uint64_t>(prop.get_ordinal(instance));
      const std::size_t n = prop.names.size();
      if (n < 64 && (mask >> n) != 0) {
        throw EWriteError("Set value of " + prop.name + " has members without a name");
      }
      WritePropName(prop.name);
      WriteValue(vaSet);
      for (std::size_t i = 0; i < n && i < 64; ++i) {
        if ((mask >> i) & 1U) WriteStr(prop.names[i]);
      }
      WriteStr("");
      return;
    }
    case TPropKind::String:
      if (prop.IsDefault(instance)) return;
      WritePropName(prop.name);
      WriteString(prop.get_string(instance));
      return;
    case TPropKind::Float:
      if (prop.IsDefault(instance)) return;
      WritePropName(prop.name);
      WriteFloat(prop.get_float(instance));
      return;
    case TPropKind::Object: {
      TPersistent* sub = prop.get_object(instance);
      if (sub == nullptr) return;
      PathScope scope(prop_path_, prop_path_ + prop.name + ".");
      WriteProperties(*sub);
      return;
    }
    case TPropKind::Collection: {
      auto* collection = dynamic_cast<TCollection*>(prop.get_object(instance));
      if (collection == nullptr) return;
      WritePropName(prop.name);
      WriteCollection(*collection);
      return;
    }
    case TPropKind::Component: {
      const TComponent* target = prop.get_component(instance);
      if (target == nullptr) return;
      const std::string name = ReferenceName(target);
      if (name.empty()) return;  // an unnamed component cannot be found again
      WritePropName(prop.name);
      WriteIdent(name);
      return;
    }
    case TPropKind::Event: {
      const EventBase* event = prop.get_event(instance);
      if (event == nullptr || !event->Assigned() || event->HandlerName().empty()) return;
      WritePropName(prop.name);
      WriteIdent(event->HandlerName());
      return;
    }
  }
}

void TWriter::WriteCollection(TCollection& collection) {
  WriteValue(vaCollection);
  // Item properties are written under their own names, not under the collection's path.
  PathScope scope(prop_path_, "");
  for (int i = 0; i < collection.Count(); ++i) {
    WriteListBegin();
    WriteProperties(*collection.Items(i));
    WriteListEnd();
  }
  WriteListEnd();
}

std::string TWriter::ReferenceName(const TComponent* c) const {
  if (c->Name().empty()) return {};
  if (c == Root() || c->Owner() == Root()) return c->Name();
  if (c->Owner() != nullptr && !c->Owner()->Name().empty()) return c->Owner()->Name() + "." + c->Name();
  return c->Name();
}

void TWriter::WriteSignature() { Raw(kFormSignature, 4); }

void TWriter::WriteValue(TValueType value) {
  const auto tag = static_cast<std::uint8_t>(value);
  Raw(&tag, 1);
}

void TWriter::WriteInteger(std::int32_t value) {
  if (value >= -128 && value <= 127) {
    WriteValue(vaInt8);
    const auto b = static_cast<std::uint8_t>(static_cast<std::int8_t>(value));
    Raw(&b, 1);
  } else if (value >= -32768 && value <= 32767) {
    WriteValue(vaInt16);
    const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
    Raw(b, 2);
  } else {
    WriteValue(vaInt32);
    const auto v = static_cast<std::uint32_t>(value);
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    Raw(b, 4);
  }
}

void TWriter::WriteString(std::string_view value) {
  if (value.size() <= 255) {
    WriteValue(vaString);
    WriteStr(value);
    return;
  }
  if (value.size() > INT32_MAX) throw EWriteError("String too long for the form stream");
  WriteValue(vaLString);
  const auto n = static_cast<std::uint32_t>(value.size());
  const std::uint8_t b[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                             static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
  Raw(b, 4);
  Raw(value.data(), static_cast<std::int64_t>(value.size()));
}

void TWriter::WriteExtended(const Extended80& value) {
  WriteValue(vaExtended);
  Raw(value.data(), 10);
}

void TWriter::WriteIdent(std::string_view ident) {
  auto same = [ident](std::string_view word) { return SameIdent(ident, word); };
  if (same("False")) return WriteValue(vaFalse);
  if (same("True")) return WriteValue(vaTrue);
  if (same("nil")) return WriteValue(vaNil);
  WriteValue(vaIdent);
  WriteStr(ident);
}

void TWriter::WriteChar(char32_t ch) {
  if (ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) {
    WriteInteger(static_cast<std::int32_t>(ch));
    return;
  }
  std::string s;
  AppendUtf8(s, ch);
  WriteString(s);
}

void TWriter::WriteBinary(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > INT32_MAX) throw EWriteError("Binary value too long for the form stream");
  WriteValue(vaBinary);
  const auto n = static_cast<std::uint32_t>(bytes.size());
  const std::uint8_t b[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                             static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
  Raw(b, 4);
  Raw(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TWriter::WriteStr(std::string_view s) {
  if (s.size() > 255) throw EWriteError("Name too long for the form stream: " + std::string(s.substr(0, 40)) + "...");
  const auto n = static_cast<std::uint8_t>(s.size());
  Raw(&n, 1);
  Raw(s.data(), static_cast<std::int64_t>(s.size()));
}

void TWriter::WritePropName(std::string_view name) { WriteStr(prop_path_ + std::string(name)); }

}  // namespace vantor
