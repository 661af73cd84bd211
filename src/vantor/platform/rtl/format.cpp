#include <vantor/platform/rtl/format.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include <vantor/platform/rtl/format_settings.h>
#include <vantor/platform/rtl/string_table.h>

namespace vantor {

namespace {

class Formatter {
 public:
  Formatter(std::string_view format, std::initializer_list<FormatArg> args)
      : format_(format), args_(args.begin()), count_(args.size()) {}

  std::string Run() {
    std::string out;
    out.reserve(format_.size() + 16);
    std::size_t i = 0;
    while (i < format_.size()) {
      const std::size_t pct = format_.find('%', i);
      if (pct == std::string_view::npos) {
        out.append(format_.substr(i));
        break;
      }
      out.append(format_.substr(i, pct - i));
      i = Item(pct + 1, out);
    }
    return out;
  }

 private:
  [[noreturn]] void Invalid() const { ConvertError(SInvalidFormat, {format_}); }
  [[noreturn]] void Missing() const { ConvertError(SArgumentMissing, {format_}); }

  const FormatArg& Next() {
    if (next_ >= count_) Missing();
    return args_[next_++];
  }

  // A number of the item, or "*" taking the next integer argument; -1 when absent.
  long Number(std::size_t& i) {
    if (i < format_.size() && format_[i] == '*') {
      ++i;
      const FormatArg& a = Next();
      if (a.kind() == FormatArg::Kind::Integer) return static_cast<long>(a.AsInteger());
      if (a.kind() == FormatArg::Kind::Unsigned) return static_cast<long>(a.AsUnsigned());
      Invalid();
    }
    long n = -1;
    while (i < format_.size() && format_[i] >= '0' && format_[i] <= '9') {
      n = (n < 0 ? 0 : n) * 10 + (format_[i] - '0');
      if (n > 100000) Invalid();
      ++i;
    }
    return n;
  }

  std::size_t Item(std::size_t i, std::string& out) {
    if (i >= format_.size()) Invalid();
    if (format_[i] == '%') {
      out += '%';
      return i + 1;
    }
    long first = Number(i);
    if (i < format_.size() && format_[i] == ':') {
      if (first < 0 || static_cast<std::size_t>(first) >= count_) Missing();
      next_ = static_cast<std::size_t>(first);
      ++i;
      first = -1;
    }
    bool left = false;
    long width = first;
    if (width < 0) {
      if (i < format_.size() && format_[i] == '-') {
        left = true;
        ++i;
      }
      width = Number(i);
    }
    long precision = -1;
    if (i < format_.size() && format_[i] == '.') {
      ++i;
      precision = Number(i);
      if (precision < 0) precision = 0;
    }
    if (i >= format_.size()) Invalid();
    const char type = static_cast<char>(format_[i] | 0x20);  // types are case-insensitive
    std::string text = Convert(type, precision);
    const std::size_t w = width < 0 ? 0 : static_cast<std::size_t>(width);
    if (text.size() < w) {
      if (left)
        text.append(w - text.size(), ' ');
      else
        text.insert(0, w - text.size(), ' ');
    }
    out += text;
    return i + 1;
  }

  static std::string Integer(std::int64_t v, long precision) {
    char buf[32];
    const std::uint64_t magnitude = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    const auto r = std::to_chars(buf, buf + sizeof buf, magnitude);
    std::string digits(buf, r.ptr);
    if (precision > 0 && digits.size() < static_cast<std::size_t>(precision))
      digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
    return v < 0 ? "-" + digits : digits;
  }

  std::string Float(char type, double v, long precision) const {
    const FormatSettings& fs = CurrentFormat();
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    char buf[512];
    std::string s;
    switch (type) {
      case 'f':
      case 'n': {
        const int p = static_cast<int>(precision < 0 ? 2 : std::min(precision, 18L));
        const int n = std::snprintf(buf, sizeof buf, "%.*f", p, v);
        s.assign(buf, static_cast<std::size_t>(std::max(n, 0)));
        break;
      }
      case 'e': {
        const int p = static_cast<int>(precision < 0 ? 15 : std::clamp(precision, 1L, 18L));
        const int n = std::snprintf(buf, sizeof buf, "%.*E", p - 1, v);
        s.assign(buf, static_cast<std::size_t>(std::max(n, 0)));
        // The host writes at least three exponent digits: 1.5E+003.
        const std::size_t e = s.find('E');
        if (e != std::string::npos) {
          const std::size_t digits = s.size() - (e + 2);
          if (digits < 3) s.insert(e + 2, 3 - digits, '0');
        }
        break;
      }
      default: {  // 'g'
        const int p = static_cast<int>(precision < 0 ? 15 : std::clamp(precision, 1L, 18L));
        const int n = std::snprintf(buf, sizeof buf, "%.*G", p, v);
        s.assign(buf, static_cast<std::size_t>(std::max(n, 0)));
        break;
      }
    }
    const std::size_t dot = s.find('.');
    if (dot != std::string::npos) s[dot] = fs.decimal_separator;
    if (type == 'n') {
      const std::size_t start = (s[0] == '-') ? 1 : 0;
      std::size_t end = dot == std::string::npos ? s.size() : dot;
      while (end > start + 3) {
        end -= 3;
        s.insert(end, 1, fs.thousand_separator);
      }
    }
    return s;
  }

  std::string Convert(char type, long precision) {
    const FormatArg& a = Next();
    using K = FormatArg::Kind;
    switch (type) {
      case 'd':
        if (a.kind() == K::Integer) return Integer(a.AsInteger(), precision);
        if (a.kind() == K::Unsigned && a.AsUnsigned() <= INT64_MAX)
          return Integer(static_cast<std::int64_t>(a.AsUnsigned()), precision);
        Invalid();
      case 'u':
      case 'x': {
        std::uint64_t u;
        if (a.kind() == K::Unsigned) {
          u = a.AsUnsigned();
        } else if (a.kind() == K::Integer) {
          const std::int64_t v = a.AsInteger();
          // A negative value that fits 32 bits is shown as its 32-bit pattern, as the host does.
          u = (v < 0 && v >= INT32_MIN) ? static_cast<std::uint32_t>(v) : static_cast<std::uint64_t>(v);
        } else {
          Invalid();
        }
        char buf[32];
        auto r = std::to_chars(buf, buf + sizeof buf, u, type == 'x' ? 16 : 10);
        std::string digits(buf, r.ptr);
        if (type == 'x')
          for (char& c : digits) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (precision > 0 && digits.size() < static_cast<std::size_t>(precision))
          digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
        return digits;
      }
      case 's': {
        if (a.kind() != K::String) Invalid();
        std::string_view s = a.AsString();
        if (precision >= 0 && s.size() > static_cast<std::size_t>(precision))
          s = s.substr(0, static_cast<std::size_t>(precision));
        return std::string(s);
      }
      case 'f':
      case 'e':
      case 'g':
      case 'n':
        if (a.kind() != K::Float) Invalid();
        return Float(type, a.AsFloat(), precision);
      default:
        Invalid();
    }
  }

  std::string_view format_;
  const FormatArg* args_;
  std::size_t count_;
  std::size_t next_ = 0;
};

}  // namespace

std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
  return Formatter(format, args).Run();
}

}  // namespace vantor
