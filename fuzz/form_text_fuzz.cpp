// Feeds arbitrary text to the text-form parser. Whatever parses must convert back to text
// and to the same binary again, and must be readable (or cleanly refused) by the reader.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include <vantor/platform/core/object_text.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/stream.h>
#include "stream_fixtures.h"

using namespace vantor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = (testing::RegisterTestClasses(), true);
  (void)registered;
  TMemoryStream text(std::string_view(reinterpret_cast<const char*>(data), size));
  TMemoryStream binary;
  try {
    ObjectTextToBinary(text, binary);
  } catch (const Exception&) {
    return 0;
  }

  try {
    binary.SetPosition(0);
    std::unique_ptr<TComponent> root(TReader(binary).ReadRootComponent(nullptr));
  } catch (const Exception&) {
  }

  // Binary made by the parser is canonical: to text and back gives the same bytes,
  // unless the converter refuses a name that the parser let through.
  binary.SetPosition(0);
  TMemoryStream text2;
  try {
    ObjectBinaryToText(binary, text2);
  } catch (const EReadError&) {
    return 0;
  }
  text2.SetPosition(0);
  TMemoryStream binary2;
  ObjectTextToBinary(text2, binary2);
  if (binary2.Bytes() != binary.Bytes()) std::abort();
  return 0;
}
