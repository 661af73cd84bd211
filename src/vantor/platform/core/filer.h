#pragma once
// TFiler: what the form-stream reader and writer share: the stream, the root component
// being read or written, the value tags, and DefineProperty, through which an object
// streams data that is not a published property (a panel's "Values").

#include <cstdint>
#include <functional>
#include <string>

#include <vantor/platform/core/stream.h>
#include <vantor/platform/rtl/enum_names.h>

namespace vantor {

class TComponent;
class TReader;
class TWriter;

// The one-byte tags that start every value in the binary form stream.
enum class TValueType : std::uint8_t {
  vaNull,        // end of a list
  vaList,        // start of a list
  vaInt8,
  vaInt16,
  vaInt32,
  vaExtended,    // 10-byte extended real
  vaString,      // 1-byte length, then the bytes
  vaIdent,       // 1-byte length identifier
  vaFalse,
  vaTrue,
  vaBinary,      // 4-byte length, then the bytes
  vaSet,         // identifiers, then an empty one
  vaLString,     // 4-byte length, then the bytes
  vaNil,
  vaCollection,  // items (list begin, properties, list end), then list end
};
using enum TValueType;

template <>
struct EnumNames<TValueType> {
  static constexpr std::array<std::string_view, 15> value{
      "vaNull", "vaList",  "vaInt8", "vaInt16",  "vaInt32",   "vaExtended", "vaString",    "vaIdent",
      "vaFalse", "vaTrue", "vaBinary", "vaSet", "vaLString", "vaNil",      "vaCollection"};
};

// The four bytes that start a binary form stream.
inline constexpr char kFormSignature[4] = {'T', 'P', 'F', '0'};

// Flags of a component header (a prefix byte 0xF0 | flags before the class name).
inline constexpr std::uint8_t ffInherited = 0x01;
inline constexpr std::uint8_t ffChildPos = 0x02;
inline constexpr std::uint8_t ffInline = 0x04;

// The deepest nesting of components, collections and lists that the reader accepts;
// anything deeper is refused as damaged data rather than risking the call stack.
inline constexpr int kMaxStreamNesting = 256;

class TFiler {
 public:
  using ReaderProc = std::function<void(TReader&)>;
  using WriterProc = std::function<void(TWriter&)>;
  using StreamProc = std::function<void(TStream&)>;

  explicit TFiler(TStream& stream) : stream_(&stream) {}
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;
  virtual ~TFiler() = default;

  TStream& Stream() const { return *stream_; }
  // The component at the top of the tree being read or written.
  TComponent* Root() const { return root_; }
  void SetRoot(TComponent* root) { root_ = root; }

  // Called from TPersistent::DefineProperties. The writer writes the property (its name,
  // then whatever `write` writes) when `has_data` is true; the reader calls `read` when the
  // property it is reading has this name.
  virtual void DefineProperty(const std::string& name, ReaderProc read, WriterProc write,
                              bool has_data) = 0;
  // As DefineProperty, for a block of bytes stored as one binary value; the procedures get
  // a stream on that block.
  virtual void DefineBinaryProperty(const std::string& name, StreamProc read, StreamProc write,
                                    bool has_data) = 0;

 private:
  TStream* stream_;
  TComponent* root_ = nullptr;
};

}  // namespace vantor
