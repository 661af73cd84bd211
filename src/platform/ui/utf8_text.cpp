#include "platform/ui/utf8_text.h"

#include "platform/rtl/utf8.h"

namespace vantor {

std::u32string DecodeUtf8(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const Utf8Unit u = DecodeUtf8At(s, i);
    out.push_back(u.cp);  // an invalid byte stays as the Latin-1 character of its value
    i += u.len;
  }
  return out;
}

std::string EncodeUtf8(char32_t c) {
  std::string out;
  AppendUtf8(c, out);
  return out;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) AppendUtf8(c, out);
  return out;
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); i += DecodeUtf8At(text, i).len) ++n;
  return n;
}

}  // namespace vantor
