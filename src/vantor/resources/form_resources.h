#pragma once
// The form descriptions of the package's own forms (the dialog forms and the setup forms),
// compiled into the library. Each is kept in the source tree as readable text
// (src/vantor/resources/forms/*.txt) and converted at build time into the binary form stream the
// reader takes, so a form can be read and edited as text and still costs no parsing at run
// time. A form is found by the class name its description is written for ("TfmFind").

#include <cstdint>
#include <span>
#include <string_view>

namespace vantor {

// One compiled form description: the class it describes and its binary form stream.
struct TFormResource {
  std::string_view class_name;           // "TfmFieldsSet"
  std::span<const std::uint8_t> stream;  // "TPF0" ...
};

// Every compiled form description, in the order of their files' names.
std::span<const TFormResource> FormResources();

// The binary form stream of the description written for `class_name` (letter case
// ignored, as class names compare); empty when there is none.
std::span<const std::uint8_t> FindFormResource(std::string_view class_name);

}  // namespace vantor
