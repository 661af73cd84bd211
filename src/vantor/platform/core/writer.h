#pragma once
// TWriter: writes components, their published properties and their defined properties to
// the binary form stream, in the host's encoding (see TValueType in filer.h).
//
// A component is written as: [class name][object name] (short strings, no tag), its
// properties (name, then one value) and a list end, then its child components and a list
// end. Only properties whose stored predicate holds and that differ from their default are
// written, in description order; then the object's DefineProperties runs.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include <vantor/platform/core/extended.h>
#include <vantor/platform/core/filer.h>

namespace vantor {

class TCollection;
class TPersistent;
struct PropInfo;

class TWriter : public TFiler {
 public:
  explicit TWriter(TStream& stream) : TFiler(stream) {}

  void DefineProperty(const std::string& name, ReaderProc read, WriterProc write,
                      bool has_data) override;
  void DefineBinaryProperty(const std::string& name, StreamProc read, StreamProc write,
                            bool has_data) override;

  // "TPF0", then the root and everything below it.
  void WriteRootComponent(TComponent* root);
  // One component and its children (csWriting while it is written). Root() must be set.
  void WriteComponent(TComponent* component);
  // The published and defined properties of `instance`, each as name + value.
  void WriteProperties(TPersistent& instance);
  // vaCollection, each item as list begin + properties + list end, then list end.
  void WriteCollection(TCollection& collection);

  // Items, for DefineProperty writers.
  void WriteSignature();
  void WriteValue(TValueType value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  // The smallest of vaInt8, vaInt16, vaInt32 that holds the value.
  void WriteInteger(std::int32_t value);
  // vaString up to 255 bytes, vaLString beyond.
  void WriteString(std::string_view value);
  void WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }
  void WriteFloat(double value) { WriteExtended(EncodeExtended(value)); }
  void WriteExtended(const Extended80& value);
  void WriteIdent(std::string_view ident);
  // A character as a string holding its UTF-8 encoding (an integer for a non-character).
  void WriteChar(char32_t ch);
  void WriteBinary(std::span<const std::uint8_t> bytes);
  // A short string without a tag (names); EWriteError beyond 255 bytes.
  void WriteStr(std::string_view s);
  // The name of the property about to be written, prefixed by the sub-object path.
  void WritePropName(std::string_view name);

 private:
  void WriteProperty(TPersistent& instance, const PropInfo& prop);
  std::string ReferenceName(const TComponent* c) const;
  void Raw(const void* data, std::int64_t count) { Stream().WriteBuffer(data, count); }

  std::string prop_path_;  // "Font." while writing the properties of the Font sub-object
};

}  // namespace vantor
