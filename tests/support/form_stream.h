#pragma once
// A root component through the form stream, for the tests that write a form and read it
// back, or look at and edit its text.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <vantor/platform/core/component.h>
#include <vantor/platform/core/object_text.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/stream.h>
#include <vantor/platform/core/writer.h>

namespace vantor::testing_support {

// The form stream of `root`, as the writer writes it.
inline std::vector<std::uint8_t> WriteForm(TComponent& root) {
  TMemoryStream out;
  TWriter(out).WriteRootComponent(&root);
  return out.Bytes();
}

// Reads a form stream into `root`, as a form loads its own.
inline void ReadForm(std::span<const std::uint8_t> bytes, TComponent& root) {
  TMemoryStream in(bytes);
  TReader(in).ReadRootComponent(&root);
}

// The readable text of a form stream.
inline std::string FormText(std::span<const std::uint8_t> bytes) {
  TMemoryStream binary(bytes);
  TMemoryStream text;
  ObjectBinaryToText(binary, text);
  return text.ToString();
}

// The form stream that a text describes.
inline std::vector<std::uint8_t> FormBytes(const std::string& text) {
  TMemoryStream in(text);
  TMemoryStream binary;
  ObjectTextToBinary(in, binary);
  return binary.Bytes();
}

}  // namespace vantor::testing_support
