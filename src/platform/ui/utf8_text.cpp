#include "platform/ui/utf8_text.h"

namespace vantor {

std::u32string DecodeUtf8(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    char32_t cp = b;
    if (b >= 0xC2 && b < 0xE0) {
      extra = 1;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b < 0xF0) {
      extra = 2;
      cp = b & 0x0F;
    } else if (b >= 0xF0 && b < 0xF5) {
      extra = 3;
      cp = b & 0x07;
    }
    bool ok = extra > 0 && i + extra < s.size();
    for (std::size_t k = 1; ok && k <= extra; ++k) {
      ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    }
    if (!ok) {
      out.push_back(b);
      ++i;
      continue;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    out.push_back(cp);
    i += extra + 1;
  }
  return out;
}

std::string EncodeUtf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | ((c >> 18) & 0x07)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
  return out;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) out += EncodeUtf8(c);
  return out;
}

std::size_t Utf8Length(std::string_view text) { return DecodeUtf8(text).size(); }

}  // namespace vantor
