#include <vantor/platform/core/object_text.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include <vantor/platform/core/component.h>
#include <vantor/platform/core/extended.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/writer.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/utf8.h>

namespace vantor {

namespace {

constexpr std::size_t kLineLength = 64;   // string bytes per text line
constexpr std::size_t kBytesPerLine = 32; // binary bytes per text line

// Two upper-case hex digits for a byte, as binary values and raw string bytes are written.
std::string HexByte(std::uint32_t b) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  return {kHex[(b >> 4) & 15], kHex[b & 15]};
}

// True for "Name" and "Font.Name": identifiers joined by dots.
bool IsDottedIdent(std::string_view s) {
  for (std::size_t dot = s.find('.'); dot != std::string_view::npos; dot = s.find('.')) {
    if (!IsValidIdent(s.substr(0, dot))) return false;
    s = s.substr(dot + 1);
  }
  return IsValidIdent(s);
}

bool IsOneOf(std::string_view s, std::initializer_list<std::string_view> words) {
  for (std::string_view k : words) {
    if (s.size() == k.size() &&
        std::equal(s.begin(), s.end(), k.begin(), [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; })) {
      return true;
    }
  }
  return false;
}

// Words that start or end a block in the text form cannot name a property there.
bool IsKeyword(std::string_view s) { return IsOneOf(s, {"object", "inherited", "inline", "end"}); }

// ---- binary to text ----

class BinaryToText {
 public:
  BinaryToText(TStream& in, TStream& out) : reader_(in), out_(out) {}

  void Run() {
    reader_.ReadSignature();
    ConvertObject(0);
  }

 private:
  class Level {
   public:
    explicit Level(BinaryToText& c) : c_(c) {
      if (++c_.depth_ > kMaxStreamNesting) {
        throw EReadError("Form stream nested deeper than " + std::to_string(kMaxStreamNesting) + " levels");
      }
    }
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;
    ~Level() { --c_.depth_; }

   private:
    BinaryToText& c_;
  };

  void Put(std::string_view s) { out_.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size())); }
  void Indent(int level) { Put(std::string(static_cast<std::size_t>(level) * 2, ' ')); }
  void NewLine(int level) {
    Put("\n");
    Indent(level);
  }

  void ConvertObject(int level) {
    Level guard(*this);
    std::uint8_t flags = 0;
    std::int32_t child_pos = 0;
    std::uint8_t prefix = 0;
    reader_.Stream().ReadBuffer(&prefix, 1);
    if ((prefix & 0xF0) == 0xF0) {
      flags = prefix & 0x0F;
      if ((flags & ffChildPos) != 0) child_pos = reader_.ReadInteger();
    } else {
      reader_.Stream().Seek(-1, soCurrent);
    }
    const std::string class_name = reader_.ReadStr();
    const std::string name = reader_.ReadStr();
    if (!IsValidIdent(class_name) || (!name.empty() && !IsValidIdent(name))) {
      Bad("Invalid class or component name");
    }
    Indent(level);
    if ((flags & ffInherited) != 0) {
      Put("inherited ");
    } else if ((flags & ffInline) != 0) {
      Put("inline ");
    } else {
      Put("object ");
    }
    if (!name.empty()) Put(name + ": ");
    Put(class_name);
    if ((flags & ffChildPos) != 0) Put(" [" + std::to_string(child_pos) + "]");
    Put("\n");
    while (!reader_.EndOfList()) ConvertProperty(level + 1);
    reader_.ReadListEnd();
    while (!reader_.EndOfList()) ConvertObject(level + 1);
    reader_.ReadListEnd();
    Indent(level);
    Put("end\n");
  }

  void ConvertProperty(int level) {
    const std::string name = reader_.ReadStr();
    if (!IsDottedIdent(name) || IsKeyword(name)) Bad("Invalid property name");
    Indent(level);
    Put(name + " = ");
    ConvertValue(level);
    Put("\n");
  }

  void ConvertValue(int level) {
    Level guard(*this);
    switch (reader_.NextValue()) {
      case vaList:
        reader_.ReadValue();
        Put("(");
        while (!reader_.EndOfList()) {
          NewLine(level + 1);
          ConvertValue(level + 1);
        }
        reader_.ReadListEnd();
        Put(")");
        return;
      case vaInt8:
      case vaInt16:
      case vaInt32:
        Put(std::to_string(reader_.ReadInteger()));
        return;
      case vaExtended: {
        const auto text = ExtendedToText(reader_.ReadExtended());
        if (!text) throw EReadError("Floating-point value without a text form (infinity or not a number)");
        Put(*text);
        return;
      }
      case vaString:
      case vaLString:
        PutString(reader_.ReadString(), level);
        return;
      case vaIdent:
      case vaFalse:
      case vaTrue:
      case vaNil: {
        const bool plain = reader_.NextValue() == vaIdent;
        const std::string ident = reader_.ReadIdent();
        if (!IsDottedIdent(ident)) Bad("Invalid identifier");
        // An identifier spelt like a constant would come back as that constant.
        if (plain && IsOneOf(ident, {"true", "false", "nil"})) Bad("Identifier " + ident + " reads back as a constant");
        Put(ident);
        return;
      }
      case vaBinary: {
        const auto bytes = reader_.ReadBinary();
        const bool multiline = bytes.size() >= kBytesPerLine;
        Put("{");
        for (std::size_t i = 0; i < bytes.size(); i += kBytesPerLine) {
          if (multiline) NewLine(level + 1);
          std::string line;
          for (std::size_t k = i; k < bytes.size() && k < i + kBytesPerLine; ++k) {
            line += HexByte(bytes[k]);
          }
          Put(line);
        }
        Put("}");
        return;
      }
      case vaSet: {
        reader_.ReadValue();
        std::string text = "[";
        bool first = true;
        for (const std::string& n : reader_.ReadSetNames()) {
          if (!IsValidIdent(n)) Bad("Invalid set member");
          if (!first) text += ", ";
          text += n;
          first = false;
        }
        Put(text + "]");
        return;
      }
      case vaCollection:
        reader_.ReadValue();
        Put("<");
        while (!reader_.EndOfList()) {
          NewLine(level + 1);
          Put("item");
          const TValueType next = reader_.NextValue();
          if (next == vaInt8 || next == vaInt16 || next == vaInt32) {
            Put(" [" + std::to_string(reader_.ReadInteger()) + "]");
          }
          Put("\n");
          reader_.ReadListBegin();
          while (!reader_.EndOfList()) ConvertProperty(level + 2);
          reader_.ReadListEnd();
          Indent(level + 1);
          Put("end");
        }
        reader_.ReadListEnd();
        Put(">");
        return;
      case vaNull:
        Bad("Value expected, found the end of a list");
    }
  }

  [[noreturn]] void Bad(const std::string& message) {
    throw EReadError(message + " (at offset " + std::to_string(reader_.Offset()) + ")");
  }

  // Quoted runs for printable characters ('' for a quote); #nnn for control characters
  // (C0 and C1), so that nothing invisible hides in a quoted run; %XX for each byte that is
  // not part of valid UTF-8, so that such strings come back byte for byte. Long strings
  // continue on the next line after " +".
  void PutString(const std::string& s, int level) {
    if (s.empty()) {
      Put("''");
      return;
    }
    if (s.size() > kLineLength) NewLine(level + 1);
    std::string text;
    bool quoted = false;
    std::size_t since_break = 0;
    std::size_t i = 0;
    auto unquote = [&] {
      if (quoted) text += '\'';
      quoted = false;
    };
    while (i < s.size()) {
      const Utf8Unit u = DecodeUtf8At(s, i);
      if (u.invalid) {
        unquote();
        text += '%';
        text += HexByte(u.cp);
      } else if (u.cp < 0x20 || (u.cp >= 0x7F && u.cp <= 0x9F)) {
        unquote();
        text += '#';
        text += std::to_string(u.cp);
      } else {
        if (!quoted) text += '\'';
        quoted = true;
        text.append(s, i, u.len);
        if (u.cp == '\'') text += '\'';
      }
      i += u.len;
      since_break += u.len;
      if (since_break >= kLineLength && i < s.size()) {
        unquote();
        text += " +";
        Put(text);
        text.clear();
        NewLine(level + 1);
        since_break = 0;
      }
    }
    unquote();
    Put(text);
  }

  TReader reader_;
  TStream& out_;
  int depth_ = 0;
};

// ---- text to binary ----

enum class Tok : std::uint8_t { End, Symbol, String, Integer, Float, Char };

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
int HexValue(char c) { return IsAsciiDigit(c) ? c - '0' : (std::toupper(static_cast<unsigned char>(c)) - 'A' + 10); }

// The whole number a decimal literal stands for ("12345", "1.2345E4", "-500.00"), worked
// out on its digits so nothing is rounded; empty when it has a fraction or needs more than
// 64 bits.
std::optional<std::int64_t> WholeNumber(std::string_view text) {
  std::string digits;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    if (text[0] == '-') digits = "-";
    text.remove_prefix(1);
  }
  int exponent = 0;
  if (const std::size_t e = text.find_first_of("eE"); e != std::string_view::npos) {
    std::string_view power = text.substr(e + 1);
    if (!power.empty() && power[0] == '+') power.remove_prefix(1);
    const auto res = std::from_chars(power.data(), power.data() + power.size(), exponent);
    if (res.ec != std::errc() || res.ptr != power.data() + power.size()) return std::nullopt;
    text = text.substr(0, e);
  }
  const std::size_t point = text.find('.');
  if (point != std::string_view::npos) {
    const std::size_t decimals = text.size() - point - 1;
    if (decimals > 4096) return std::nullopt;
    exponent -= static_cast<int>(decimals);
  }
  std::string mantissa;
  for (char c : text) {
    if (c != '.') mantissa += c;
  }
  // Only trailing zeros may fall behind the decimal point.
  for (; exponent < 0 && !mantissa.empty(); ++exponent) {
    if (mantissa.back() != '0') return std::nullopt;
    mantissa.pop_back();
  }
  if (exponent < 0 || mantissa.empty()) mantissa = "0";
  if (mantissa.find_first_not_of('0') == std::string::npos) exponent = 0;
  if (exponent > 19) return std::nullopt;
  digits += mantissa + std::string(static_cast<std::size_t>(exponent), '0');
  std::int64_t v = 0;
  const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (res.ec != std::errc() || res.ptr != digits.data() + digits.size()) return std::nullopt;
  return v;
}

// The value a currency literal stands for: the literal counts ten-thousandths, as the
// currency type stores its value (`12345c` is 1.2345). Empty unless the count is a whole
// number within the currency range whose value the nearest double keeps: rounding that
// double to four decimals must give the same count back.
std::optional<double> CurrencyLiteral(std::string_view number) {
  const std::optional<std::int64_t> count = WholeNumber(number);
  if (!count) return std::nullopt;
  const double value = static_cast<double>(*count) / 10000.0;
  char buf[64];
  const auto out = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 4);
  std::string digits(buf, out.ptr);
  std::erase(digits, '.');
  std::int64_t back = 0;
  const auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), back);
  if (parsed.ec != std::errc() || back != *count) return std::nullopt;
  return value;
}

// A single or date literal (`1.5s`, `2d`): the nearest single or double, which the
// extended real holds exactly. Empty when the number is beyond that type's range.
template <typename T>
std::optional<double> RealLiteral(std::string_view number) {
  if (!number.empty() && number[0] == '+') number.remove_prefix(1);
  T v = 0;
  const auto res = std::from_chars(number.data(), number.data() + number.size(), v);
  if (res.ec != std::errc() || res.ptr != number.data() + number.size() || !std::isfinite(v)) return std::nullopt;
  return static_cast<double>(v);
}

class TextToBinary {
 public:
  TextToBinary(std::string text, TStream& out) : text_(std::move(text)), writer_(out) {
    // A byte order mark says the text is UTF-8, which is what it is read as anyway.
    if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
    Next();
  }

  void Run() {
    writer_.WriteSignature();
    ConvertObject();
    if (tok_ != Tok::End) Unexpected("End of text");
  }

 private:
  class Level {
   public:
    explicit Level(TextToBinary& c) : c_(c) {
      if (++c_.depth_ > kMaxStreamNesting) {
        c_.Error("Nested deeper than " + std::to_string(kMaxStreamNesting) + " levels");
      }
    }
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;
    ~Level() { --c_.depth_; }

   private:
    TextToBinary& c_;
  };

  [[noreturn]] void Error(const std::string& message) const { ErrorAt(token_line_, message); }
  [[noreturn]] static void ErrorAt(int line, const std::string& message) {
    throw EParserError(message + " on line " + std::to_string(line));
  }
  // "X expected but Y found on line N", Y being the token at hand.
  [[noreturn]] void Unexpected(const std::string& expected) const { Error(expected + " expected but " + Found() + " found"); }

  // What has to follow on the line of the token before it (the '=' after a property name)
  // and is missing: when the text goes on on a later line, the line at fault is the one cut
  // short, not the one after it.
  [[noreturn]] void MissingAfter(const std::string& expected, const std::string& before, int line) const {
    if (tok_ != Tok::End && token_line_ > line) ErrorAt(line, expected + " expected after " + before + " before the line ends");
    Unexpected(expected);
  }

  // The current token as an error message names it.
  std::string Found() const {
    switch (tok_) {
      case Tok::End:
        return "the end of the text";
      case Tok::Symbol:
        return "'" + value_ + "'";
      case Tok::String:
        return "a string";
      case Tok::Integer:
      case Tok::Float:
        return "the number " + value_;
      case Tok::Char:
        break;
    }
    const Utf8Unit u = DecodeUtf8At(value_, 0);
    if (u.invalid) return "the byte %" + HexByte(u.cp);
    if (u.cp > ' ' && u.cp < 0x7F) return "'" + value_ + "'";
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(u.cp));
    return std::string("the character ") + buf;
  }

  // Identifiers are letters of any script, digits and underscores, in UTF-8.
  Utf8Unit UnitAt(std::size_t i) const { return DecodeUtf8At(text_, i); }
  bool IdentStartAt(std::size_t i) const {
    const Utf8Unit u = UnitAt(i);
    return !u.invalid && (u.cp == '_' || IsLetterChar(u.cp));
  }
  std::size_t IdentCharAt(std::size_t i) const {
    const Utf8Unit u = UnitAt(i);
    return !u.invalid && (u.cp == '_' || IsLetterOrDigitChar(u.cp)) ? u.len : 0;
  }
  std::size_t SkipIdent(std::size_t i) const {
    while (i < text_.size()) {
      const std::size_t len = IdentCharAt(i);
      if (len == 0) break;
      i += len;
    }
    return i;
  }
  // A line ends with LF, CR LF or a lone CR; a CR that ends the text is the first half of a
  // CR LF cut off, and no line follows it.
  bool LineBreakAt(std::size_t i) const {
    return text_[i] == '\n' || (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] != '\n');
  }

  void Next() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])) != 0) {
      if (LineBreakAt(pos_)) ++line_;
      ++pos_;
    }
    token_line_ = line_;
    value_.clear();
    if (pos_ >= text_.size()) {
      tok_ = Tok::End;
      return;
    }
    const char c = text_[pos_];
    if (IdentStartAt(pos_)) {
      const std::size_t start = pos_;
      pos_ = SkipIdent(pos_);
      value_ = text_.substr(start, pos_ - start);
      tok_ = Tok::Symbol;
      return;
    }
    if (c == '\'' || c == '#' || c == '%') {
      ScanString();
      return;
    }
    if (IsAsciiDigit(c) || c == '$' ||
        ((c == '-' || c == '+') && pos_ + 1 < text_.size() && (IsAsciiDigit(text_[pos_ + 1]) || text_[pos_ + 1] == '$'))) {
      ScanNumber();
      return;
    }
    // Any other character is a token of its own; a multi-byte one is kept whole so that an
    // error can name it.
    const Utf8Unit u = UnitAt(pos_);
    value_ = text_.substr(pos_, u.len);
    tok_ = Tok::Char;
    pos_ += u.len;
  }

  // A string token: quoted runs ('' for a quote), character codes and raw bytes, written
  // without blanks between them. A character code (#nnn or #$hhhh) is a UTF-16 code unit,
  // so a character above U+FFFF is two codes, a surrogate pair; the pair may also be split
  // by a '+'. %XX is one byte, taken as it is.
  void ScanString() {
    tok_ = Tok::String;
    while (pos_ < text_.size() && (text_[pos_] == '\'' || text_[pos_] == '#' || text_[pos_] == '%')) {
      const char kind = text_[pos_++];
      if (kind != '#' && units_.Pending()) UnpairedSurrogate();
      if (kind == '\'') {
        ScanQuoted();
      } else if (kind == '%') {
        if (pos_ + 2 > text_.size() || !IsAsciiHexDigit(text_[pos_]) || !IsAsciiHexDigit(text_[pos_ + 1])) {
          Error("Two hexadecimal digits expected after %");
        }
        value_ += static_cast<char>(HexValue(text_[pos_]) * 16 + HexValue(text_[pos_ + 1]));
        pos_ += 2;
      } else {
        ScanCharacterCode();
      }
    }
  }

  void ScanQuoted() {
    for (;;) {
      if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r') Error("Unterminated string");
      if (text_[pos_] == '\'') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
          value_ += '\'';
          pos_ += 2;
          continue;
        }
        ++pos_;
        return;
      }
      value_ += text_[pos_++];
    }
  }

  void ScanCharacterCode() {
    const std::size_t hash = pos_ - 1;
    const bool hex = pos_ < text_.size() && text_[pos_] == '$';
    if (hex) ++pos_;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && (hex ? IsAsciiHexDigit(text_[pos_]) : IsAsciiDigit(text_[pos_]))) ++pos_;
    const std::string written = text_.substr(hash, pos_ - hash);
    std::uint32_t code = 0;
    const auto res = std::from_chars(text_.data() + start, text_.data() + pos_, code, hex ? 16 : 10);
    if (start == pos_ || res.ec != std::errc() || code > 0xFFFF) {
      Error("Invalid character code " + written + ": a number from 0 to 65535 expected");
    }
    // A high surrogate waiting for its partner is the code at fault when another follows.
    if (units_.Pending() && !IsLowSurrogate(code)) UnpairedSurrogate();
    last_code_ = written;
    last_code_line_ = token_line_;
    if (!units_.Append(code)) UnpairedSurrogate();
  }

  [[noreturn]] void UnpairedSurrogate() const {
    ErrorAt(last_code_line_, "Character code " + last_code_ + " is half of a surrogate pair without its other half");
  }

  void ScanNumber() {
    const std::size_t start = pos_;
    if (text_[pos_] == '-' || text_[pos_] == '+') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '$') {
      ++pos_;
      const std::size_t digits = pos_;
      while (pos_ < text_.size() && IsAsciiHexDigit(text_[pos_])) ++pos_;
      if (digits == pos_) Error("Invalid hexadecimal number " + text_.substr(start, pos_ - start));
      CheckNumberEnd(start);
      tok_ = Tok::Integer;
      std::uint64_t v = 0;
      const auto res = std::from_chars(text_.data() + digits, text_.data() + pos_, v, 16);
      if (res.ec != std::errc() || v > 0xFFFFFFFFull) Error("Number out of range: " + text_.substr(start, pos_ - start));
      auto n = static_cast<std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
      if (text_[start] == '-') n = -n;
      value_ = std::to_string(n);
      return;
    }
    tok_ = Tok::Integer;
    while (pos_ < text_.size() && IsAsciiDigit(text_[pos_])) ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '.') {
      tok_ = Tok::Float;
      ++pos_;
      while (pos_ < text_.size() && IsAsciiDigit(text_[pos_])) ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      tok_ = Tok::Float;
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      while (pos_ < text_.size() && IsAsciiDigit(text_[pos_])) ++pos_;
    }
    value_ = text_.substr(start, pos_ - start);
    suffix_ = 0;
    // Other tools mark currency, single and date values with a letter: 0c, 1.5s, 2d.
    const std::size_t end = SkipIdent(pos_);
    if (end == pos_ + 1 && std::strchr("cCsSdD", text_[pos_]) != nullptr) {
      suffix_ = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_])));
      tok_ = Tok::Float;
      ++pos_;
      return;
    }
    CheckNumberEnd(start);
  }

  // A number runs into a letter only when the text is no number at all (12px, 0x1F).
  void CheckNumberEnd(std::size_t start) {
    const std::size_t end = SkipIdent(pos_);
    if (end != pos_) Error("Invalid number " + text_.substr(start, end - start));
  }

  bool IsChar(char c) const { return tok_ == Tok::Char && value_[0] == c; }
  bool IsSymbol(std::string_view s) const {
    if (tok_ != Tok::Symbol || value_.size() != s.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(value_[i])) != std::tolower(static_cast<unsigned char>(s[i]))) return false;
    }
    return true;
  }
  void Expect(char c) {
    if (!IsChar(c)) Unexpected(std::string("'") + c + "'");
    Next();
  }
  std::string ExpectIdent(const char* what) {
    if (tok_ != Tok::Symbol) Unexpected(what);
    if (value_.size() > 255) Error(std::string(what) + " longer than 255 bytes");
    std::string s = value_;
    Next();
    return s;
  }
  // An identifier with optional dotted parts: Font.Style, Form2.Table1.
  std::string DottedIdent(const char* what) {
    const int line = token_line_;
    std::string s = ExpectIdent(what);
    while (IsChar('.')) {
      Next();
      s += '.';
      s += ExpectIdent(what);
    }
    if (s.size() > 255) ErrorAt(line, std::string(what) + " longer than 255 bytes");
    return s;
  }
  // The Integer token's value, when it fits 64 bits.
  std::optional<std::int64_t> Integer64() const {
    std::int64_t v = 0;
    const char* first = value_.data();
    if (*first == '+') ++first;
    const auto res = std::from_chars(first, value_.data() + value_.size(), v);
    if (res.ec != std::errc()) return std::nullopt;
    return v;
  }
  std::int32_t IntegerValue() {
    if (tok_ != Tok::Integer) Unexpected("Integer");
    const std::optional<std::int64_t> v = Integer64();
    if (!v || *v < INT32_MIN || *v > INT32_MAX) Error("Integer out of range: " + value_);
    Next();
    return static_cast<std::int32_t>(*v);
  }
  // A property's integer: the stream's integer tags take 32 bits; a wider one, as other
  // tools write for 64-bit properties, goes into the extended real when a double holds it.
  void ConvertInteger() {
    const std::optional<std::int64_t> v = Integer64();
    if (v && (*v < INT32_MIN || *v > INT32_MAX)) {
      const auto d = static_cast<double>(*v);
      // d is a whole number in [-2^63, 2^63]; all but the top one convert back safely.
      if (d < 0x1p63 && static_cast<std::int64_t>(d) == *v) {
        writer_.WriteExtended(EncodeExtended(d));
        Next();
        return;
      }
      Error("Integer " + value_ + " has no exact value in the stream (beyond 32 bits and not a double)");
    }
    writer_.WriteInteger(IntegerValue());
  }

  // The extended real of a Float token: plain, or marked as currency, single or date.
  Extended80 FloatValue() const {
    std::optional<double> v;
    switch (suffix_) {
      case 'c':
        v = CurrencyLiteral(value_);
        if (!v) Error("Currency value " + value_ + "c is not a whole number of ten-thousandths within the currency range");
        return EncodeExtended(*v);
      case 's':
        v = RealLiteral<float>(value_);
        if (!v) Error("Single value " + value_ + "s is out of range");
        return EncodeExtended(*v);
      case 'd':
        v = RealLiteral<double>(value_);
        if (!v) Error("Date value " + value_ + "d is out of range");
        return EncodeExtended(*v);
      default: {
        const auto ext = TextToExtended(value_);
        if (!ext) Error("Invalid number " + value_);
        return *ext;
      }
    }
  }

  void ConvertObject() {
    Level guard(*this);
    std::uint8_t flags = 0;
    if (IsSymbol("inherited")) {
      flags = ffInherited;
    } else if (IsSymbol("inline")) {
      flags = ffInline;
    } else if (!IsSymbol("object")) {
      Unexpected("'object'");
    }
    Next();
    std::string first = ExpectIdent("Class name");
    std::string name;
    std::string class_name = first;
    if (IsChar(':')) {
      Next();
      name = first;
      class_name = ExpectIdent("Class name");
    }
    std::int32_t child_pos = 0;
    if (IsChar('[')) {
      Next();
      child_pos = IntegerValue();
      Expect(']');
      flags |= ffChildPos;
    }
    if (flags != 0) {
      const auto prefix = static_cast<std::uint8_t>(0xF0 | flags);
      writer_.Stream().WriteBuffer(&prefix, 1);
      if ((flags & ffChildPos) != 0) writer_.WriteInteger(child_pos);
    }
    writer_.WriteStr(class_name);
    writer_.WriteStr(name);
    while (!IsSymbol("end") && !IsSymbol("object") && !IsSymbol("inherited") && !IsSymbol("inline")) {
      if (tok_ == Tok::End) Unexpected("'end'");
      ConvertProperty();
    }
    writer_.WriteListEnd();
    while (!IsSymbol("end")) {
      if (tok_ == Tok::End) Unexpected("'end'");
      ConvertObject();
    }
    writer_.WriteListEnd();
    Next();
  }

  void ConvertProperty() {
    const int line = token_line_;
    const std::string name = DottedIdent("Property name");
    writer_.WriteStr(name);
    if (!IsChar('=')) MissingAfter("'='", name, line);
    Next();
    ConvertValue();
  }

  void ConvertValue() {
    Level guard(*this);
    switch (tok_) {
      case Tok::Integer:
        ConvertInteger();
        return;
      case Tok::Float:
        writer_.WriteExtended(FloatValue());
        Next();
        return;
      case Tok::String: {
        std::string s = value_;
        Next();
        while (IsChar('+')) {
          Next();
          if (tok_ != Tok::String) Unexpected("String after '+'");
          s += value_;
          Next();
        }
        if (units_.Pending()) UnpairedSurrogate();
        writer_.WriteString(s);
        return;
      }
      case Tok::Symbol: {
        const std::string ident = DottedIdent("Identifier");
        writer_.WriteIdent(ident);
        return;
      }
      case Tok::Char:
        break;
      case Tok::End:
        Unexpected("Value");
    }
    if (IsChar('[')) {
      Next();
      writer_.WriteValue(vaSet);
      if (!IsChar(']')) {
        for (;;) {
          writer_.WriteStr(ExpectIdent("Set member"));
          if (IsChar(']')) break;
          Expect(',');
        }
      }
      Next();
      writer_.WriteStr("");
      return;
    }
    if (IsChar('(')) {
      Next();
      writer_.WriteListBegin();
      while (!IsChar(')')) {
        if (tok_ == Tok::End) Unexpected("')'");
        ConvertValue();
      }
      Next();
      writer_.WriteListEnd();
      return;
    }
    if (IsChar('{')) {
      ConvertBinary();
      return;
    }
    if (IsChar('<')) {
      Next();
      writer_.WriteValue(vaCollection);
      while (!IsChar('>')) {
        if (!IsSymbol("item")) Unexpected("'item'");
        Next();
        if (IsChar('[')) {
          Next();
          writer_.WriteInteger(IntegerValue());
          Expect(']');
        }
        writer_.WriteListBegin();
        while (!IsSymbol("end")) {
          if (tok_ == Tok::End) Unexpected("'end'");
          ConvertProperty();
        }
        Next();
        writer_.WriteListEnd();
      }
      Next();
      writer_.WriteListEnd();
      return;
    }
    Unexpected("Property value");
  }

  // The hex digits between '{' and '}', read straight from the text (they are no tokens);
  // an error names the line the offending character is on.
  void ConvertBinary() {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (;;) {
      token_line_ = line_;
      if (pos_ >= text_.size()) Error("'}' expected but the end of the text found in binary value");
      if (LineBreakAt(pos_)) ++line_;
      const char c = text_[pos_];
      if (c == '}') {
        ++pos_;
        break;
      }
      if (std::isspace(static_cast<unsigned char>(c)) != 0) {
        ++pos_;
        continue;
      }
      if (!IsAsciiHexDigit(c)) {
        value_ = text_.substr(pos_, UnitAt(pos_).len);
        tok_ = Tok::Char;
        Unexpected("Hexadecimal digit of a binary value");
      }
      ++pos_;
      const int v = HexValue(c);
      if (high < 0) {
        high = v;
      } else {
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + v));
        high = -1;
      }
    }
    if (high >= 0) Error("Odd number of hex digits in binary value");
    writer_.WriteBinary(bytes);
    Next();
  }

  std::string text_;
  std::size_t pos_ = 0;
  int line_ = 1;
  int token_line_ = 1;
  Tok tok_ = Tok::End;
  std::string value_;
  char suffix_ = 0;         // of a Float token: 'c', 's', 'd' or none
  Utf16ToUtf8 units_{value_};  // character codes of the string being scanned
  std::string last_code_;   // the last character code, as written, and its line, for errors
  int last_code_line_ = 1;
  TWriter writer_;
  int depth_ = 0;
};

}  // namespace

void ObjectBinaryToText(TStream& input, TStream& output) {
  BinaryToText(input, output).Run();
}

void ObjectTextToBinary(TStream& input, TStream& output) {
  const std::int64_t size = input.Remaining();
  std::string text(static_cast<std::size_t>(size), '\0');
  input.ReadBuffer(text.data(), size);
  TextToBinary(std::move(text), output).Run();
}

}  // namespace vantor
