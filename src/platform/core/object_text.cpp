#include "platform/core/object_text.h"

#include <cctype>
#include <charconv>
#include <string>
#include <string_view>

#include "platform/core/component.h"
#include "platform/core/extended.h"
#include "platform/core/reader.h"
#include "platform/core/writer.h"
#include "platform/rtl/utf8.h"

namespace vantor {

namespace {

constexpr std::size_t kLineLength = 64;   // string bytes per text line
constexpr std::size_t kBytesPerLine = 32; // binary bytes per text line

// Length of the valid UTF-8 sequence starting at s[i] (1..4), or 0 when it is not one.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
  const Utf8Unit u = DecodeUtf8At(s, i);
  return u.invalid ? 0 : u.len;
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
        static constexpr char kHex[] = "0123456789ABCDEF";
        const bool multiline = bytes.size() >= kBytesPerLine;
        Put("{");
        for (std::size_t i = 0; i < bytes.size(); i += kBytesPerLine) {
          if (multiline) NewLine(level + 1);
          std::string line;
          for (std::size_t k = i; k < bytes.size() && k < i + kBytesPerLine; ++k) {
            line += kHex[bytes[k] >> 4];
            line += kHex[bytes[k] & 15];
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

  // Quoted runs for printable text ('' for a quote), #nnn for control bytes and bytes
  // that are not part of valid UTF-8; long strings continue on the next line after " +".
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
    while (i < s.size()) {
      const auto b = static_cast<unsigned char>(s[i]);
      std::size_t len = 1;
      bool printable = b >= 0x20 && b != 0x7F;
      if (b >= 0x80) {
        len = Utf8Length(s, i);
        printable = len != 0;
        if (len == 0) len = 1;
      }
      if (printable) {
        if (!quoted) text += '\'';
        quoted = true;
        text.append(s, i, len);
        if (b == '\'') text += '\'';
      } else {
        if (quoted) text += '\'';
        quoted = false;
        text += '#';
        text += std::to_string(b);
      }
      i += len;
      since_break += len;
      if (since_break >= kLineLength && i < s.size()) {
        if (quoted) text += '\'';
        quoted = false;
        text += " +";
        Put(text);
        text.clear();
        NewLine(level + 1);
        since_break = 0;
      }
    }
    if (quoted) text += '\'';
    Put(text);
  }

  TReader reader_;
  TStream& out_;
  int depth_ = 0;
};

// ---- text to binary ----

enum class Tok : std::uint8_t { End, Symbol, String, Integer, Float, Char };

class TextToBinary {
 public:
  TextToBinary(std::string text, TStream& out) : text_(std::move(text)), writer_(out) { Next(); }

  void Run() {
    writer_.WriteSignature();
    ConvertObject();
    if (tok_ != Tok::End) Error("End of text expected");
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

  [[noreturn]] void Error(const std::string& message) const {
    throw EParserError(message + " on line " + std::to_string(token_line_));
  }

  static bool IdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_'; }
  static bool IdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

  void Next() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])) != 0) {
      if (text_[pos_] == '\n') ++line_;
      ++pos_;
    }
    token_line_ = line_;
    value_.clear();
    if (pos_ >= text_.size()) {
      tok_ = Tok::End;
      return;
    }
    const char c = text_[pos_];
    if (IdentStart(c)) {
      const std::size_t start = pos_;
      while (pos_ < text_.size() && IdentChar(text_[pos_])) ++pos_;
      value_ = text_.substr(start, pos_ - start);
      tok_ = Tok::Symbol;
      return;
    }
    if (c == '\'' || c == '#') {
      ScanString();
      return;
    }
    if (std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '$' ||
        ((c == '-' || c == '+') && pos_ + 1 < text_.size() &&
         (std::isdigit(static_cast<unsigned char>(text_[pos_ + 1])) != 0 || text_[pos_ + 1] == '$'))) {
      ScanNumber();
      return;
    }
    value_ = std::string(1, c);
    tok_ = Tok::Char;
    ++pos_;
  }

  void ScanString() {
    tok_ = Tok::String;
    while (pos_ < text_.size() && (text_[pos_] == '\'' || text_[pos_] == '#')) {
      if (text_[pos_] == '\'') {
        ++pos_;
        for (;;) {
          if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r') Error("Unterminated string");
          if (text_[pos_] == '\'') {
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
              value_ += '\'';
              pos_ += 2;
              continue;
            }
            ++pos_;
            break;
          }
          value_ += text_[pos_++];
        }
      } else {
        ++pos_;
        const bool hex = pos_ < text_.size() && text_[pos_] == '$';
        if (hex) ++pos_;
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (hex ? std::isxdigit(static_cast<unsigned char>(text_[pos_])) != 0
                                          : std::isdigit(static_cast<unsigned char>(text_[pos_])) != 0)) {
          ++pos_;
        }
        unsigned code = 0;
        const auto res = std::from_chars(text_.data() + start, text_.data() + pos_, code, hex ? 16 : 10);
        if (start == pos_ || res.ec != std::errc() || code > 255) Error("Invalid character code");
        value_ += static_cast<char>(code);
      }
    }
  }

  void ScanNumber() {
    const std::size_t start = pos_;
    if (text_[pos_] == '-' || text_[pos_] == '+') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '$') {
      ++pos_;
      const std::size_t digits = pos_;
      while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_])) != 0) ++pos_;
      if (digits == pos_) Error("Invalid hexadecimal number");
      tok_ = Tok::Integer;
      std::uint64_t v = 0;
      const auto res = std::from_chars(text_.data() + digits, text_.data() + pos_, v, 16);
      if (res.ec != std::errc() || v > 0xFFFFFFFFull) Error("Number out of range");
      auto n = static_cast<std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
      if (text_[start] == '-') n = -n;
      value_ = std::to_string(n);
      return;
    }
    tok_ = Tok::Integer;
    while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])) != 0) ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '.') {
      tok_ = Tok::Float;
      ++pos_;
      while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])) != 0) ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      tok_ = Tok::Float;
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])) != 0) ++pos_;
    }
    value_ = text_.substr(start, pos_ - start);
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
    if (!IsChar(c)) Error(std::string("'") + c + "' expected");
    Next();
  }
  std::string ExpectIdent(const char* what) {
    if (tok_ != Tok::Symbol) Error(std::string(what) + " expected");
    std::string s = value_;
    Next();
    return s;
  }
  // An identifier with optional dotted parts: Font.Style, Form2.Table1.
  std::string DottedIdent(const char* what) {
    std::string s = ExpectIdent(what);
    while (IsChar('.')) {
      Next();
      s += '.';
      s += ExpectIdent(what);
    }
    return s;
  }
  std::int32_t IntegerValue() {
    if (tok_ != Tok::Integer) Error("Integer expected");
    std::int64_t v = 0;
    const char* first = value_.data();
    if (*first == '+') ++first;
    const auto res = std::from_chars(first, value_.data() + value_.size(), v);
    if (res.ec != std::errc() || v < INT32_MIN || v > INT32_MAX) Error("Integer out of range: " + value_);
    Next();
    return static_cast<std::int32_t>(v);
  }

  void Name(const std::string& s, const char* what) {
    if (s.size() > 255) Error(std::string(what) + " longer than 255 characters");
    writer_.WriteStr(s);
  }

  void ConvertObject() {
    Level guard(*this);
    std::uint8_t flags = 0;
    if (IsSymbol("inherited")) {
      flags = ffInherited;
    } else if (IsSymbol("inline")) {
      flags = ffInline;
    } else if (!IsSymbol("object")) {
      Error("'object' expected");
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
    Name(class_name, "Class name");
    Name(name, "Object name");
    while (!IsSymbol("end") && !IsSymbol("object") && !IsSymbol("inherited") && !IsSymbol("inline")) {
      if (tok_ == Tok::End) Error("'end' expected");
      ConvertProperty();
    }
    writer_.WriteListEnd();
    while (!IsSymbol("end")) {
      if (tok_ == Tok::End) Error("'end' expected");
      ConvertObject();
    }
    writer_.WriteListEnd();
    Next();
  }

  void ConvertProperty() {
    const std::string name = DottedIdent("Property name");
    Name(name, "Property name");
    Expect('=');
    ConvertValue();
  }

  void ConvertValue() {
    Level guard(*this);
    switch (tok_) {
      case Tok::Integer:
        writer_.WriteInteger(IntegerValue());
        return;
      case Tok::Float: {
        const auto ext = TextToExtended(value_);
        if (!ext) Error("Invalid number " + value_);
        writer_.WriteExtended(*ext);
        Next();
        return;
      }
      case Tok::String: {
        std::string s = value_;
        Next();
        while (IsChar('+')) {
          Next();
          if (tok_ != Tok::String) Error("String expected after '+'");
          s += value_;
          Next();
        }
        writer_.WriteString(s);
        return;
      }
      case Tok::Symbol: {
        const std::string ident = DottedIdent("Identifier");
        if (ident.size() > 255) Error("Identifier longer than 255 characters");
        writer_.WriteIdent(ident);
        return;
      }
      case Tok::Char:
        break;
      case Tok::End:
        Error("Value expected");
    }
    if (IsChar('[')) {
      Next();
      writer_.WriteValue(vaSet);
      if (!IsChar(']')) {
        for (;;) {
          Name(ExpectIdent("Set member"), "Set member");
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
        if (tok_ == Tok::End) Error("')' expected");
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
        if (!IsSymbol("item")) Error("'item' expected");
        Next();
        if (IsChar('[')) {
          Next();
          writer_.WriteInteger(IntegerValue());
          Expect(']');
        }
        writer_.WriteListBegin();
        while (!IsSymbol("end")) {
          if (tok_ == Tok::End) Error("'end' expected");
          ConvertProperty();
        }
        Next();
        writer_.WriteListEnd();
      }
      Next();
      writer_.WriteListEnd();
      return;
    }
    Error("Invalid property value");
  }

  // The hex digits between '{' and '}', read straight from the text (they are no tokens).
  void ConvertBinary() {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (;;) {
      if (pos_ >= text_.size()) Error("'}' expected");
      const char c = text_[pos_++];
      if (c == '}') break;
      if (c == '\n') ++line_;
      if (std::isspace(static_cast<unsigned char>(c)) != 0) continue;
      if (std::isxdigit(static_cast<unsigned char>(c)) == 0) Error("Invalid binary value");
      const int v = std::isdigit(static_cast<unsigned char>(c)) != 0 ? c - '0' : (std::toupper(c) - 'A' + 10);
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
