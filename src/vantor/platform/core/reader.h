#pragma once
// TReader: reads the binary form stream written by TWriter (or by the host) back into
// components: creates them by class name, fills their published and defined properties,
// binds event handlers through the root's method table, resolves component references
// once the whole tree is read, and calls Loaded for every component read.
//
// Damaged input never crashes or leaks: every read is bounds-checked against the stream,
// nesting is limited (kMaxStreamNesting), and a failed read frees the components it
// created before the error (EReadError, or EClassNotFound for an unknown class) leaves.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/core/extended.h>
#include <vantor/platform/core/filer.h>

namespace vantor {

class TCollection;
class TCollectionItem;
class TPersistent;
struct PropInfo;

// How references to components outside the root ("Form2.Table1") find the other root.
// The application (its screen of forms) installs the finder; without one only the root's
// own name is known.
using FindGlobalComponentProc = std::function<TComponent*(std::string_view name)>;
void SetFindGlobalComponent(FindGlobalComponentProc finder);

class TReader : public TFiler {
 public:
  explicit TReader(TStream& stream) : TFiler(stream) {}

  void DefineProperty(const std::string& name, ReaderProc read, WriterProc write,
                      bool has_data) override;
  void DefineBinaryProperty(const std::string& name, StreamProc read, StreamProc write,
                            bool has_data) override;

  // Reads "TPF0" and a whole component tree. With `root` null the root is created from its
  // class name and returned (the caller owns it); otherwise `root` itself is filled (its
  // class must be the streamed one or descend from it) and returned. Components already
  // owned by the root under a streamed name are filled rather than created again.
  TComponent* ReadRootComponent(TComponent* root);
  // Reads one component (header, properties, children) nested under `parent`, owned by Root().
  TComponent* ReadComponent(TComponent* parent);
  // Reads "TPF0" and the root's header up to its class name, and returns the name: what a
  // program asks of a stream before it makes the root to read into (a new reader and
  // stream position then read the whole tree).
  std::string ReadRootClassName();
  // Reads a collection value (after its vaCollection tag) into `collection`, replacing its items.
  void ReadCollection(TCollection& collection);
  // Reads one "name = value" pair into `instance`.
  void ReadProperty(TPersistent& instance);

  // Items, for DefineProperty readers. Each raises EReadError when the next item is of
  // another kind or runs past the end of the stream.
  void ReadSignature();
  // The prefix a component header may start with (0xF0 | ffInherited, ffChildPos) and the
  // child position it announces; returns the flags, 0 for a header without a prefix.
  std::uint8_t ReadPrefix();
  TValueType ReadValue();
  TValueType NextValue();
  // True when the next byte closes a list. It peeks the raw byte, not a value tag: inside
  // a component the next item may be a property or class name, whose length byte can be
  // any number.
  bool EndOfList();
  void ReadListBegin();
  void ReadListEnd();
  std::int32_t ReadInteger();  // vaInt8, vaInt16 or vaInt32
  std::string ReadString();    // vaString or vaLString
  bool ReadBoolean();
  double ReadFloat();          // vaExtended (nearest double) or an integer
  Extended80 ReadExtended();   // vaExtended, bit for bit
  std::string ReadIdent();     // vaIdent, and vaFalse/vaTrue/vaNil/vaNull by name
  char32_t ReadChar();         // a one-character string (UTF-8) or an integer code point
  std::vector<std::uint8_t> ReadBinary();
  std::vector<std::string> ReadSetNames();  // after vaSet: the names up to the empty one
  std::string ReadStr();       // a short string without a tag
  // Skips one value of any kind.
  void SkipValue();
  // Position of the next byte, for error messages.
  std::int64_t Offset() { return Stream().Position(); }

 private:
  struct Fixup {
    TPersistent* instance;
    const PropInfo* prop;
    std::string name;
    std::string where;
    std::vector<TCollectionItem*> items;  // the collection items the instance lives in
  };
  class Nesting;

  void ReadPropValue(TPersistent& instance, const PropInfo& prop, const std::string& where);
  void ReadComponentBody(TComponent* component);
  std::uint8_t ReadByte();
  std::uint8_t PeekByte();
  std::string ReadBytes(std::int64_t count);
  std::uint32_t ReadLength();
  void ResolveFixups();
  TComponent* FindReference(std::string_view name) const;
  [[noreturn]] void Fail(const std::string& message);
  [[noreturn]] void Invalid(const std::string& where, const std::string& why);

  std::vector<Fixup> fixups_;
  std::vector<TComponent*> loaded_;   // in read order
  std::vector<TComponent*> created_;  // by this reader, in creation order
  std::vector<TCollectionItem*> item_context_;
  std::string defined_name_;          // the property DefineProperties is asked about
  bool defined_handled_ = false;
  int depth_ = 0;
};

}  // namespace vantor
