#pragma once
// UTF-8 to code points and back, for the controls that edit and measure text
// character by character. A byte that does not start a valid sequence is read as the
// Latin-1 character of that value, so stray bytes stay visible and editable.

#include <string>
#include <string_view>

namespace vantor {

std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);
std::string EncodeUtf8(char32_t ch);
// Number of code points.
std::size_t Utf8Length(std::string_view text);

}  // namespace vantor
