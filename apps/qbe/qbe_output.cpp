#include "qbe_output.h"

#include <algorithm>
#include <ostream>

#include <vantor/platform/rtl/utf8.h>

namespace qbe {
namespace {

const char kHex[] = "0123456789abcdef";

void AppendHexByte(unsigned char b, std::string& out) {
  out += kHex[b >> 4];
  out += kHex[b & 15];
}

// The text cut to `width` columns, the last three replaced by dots when cut.
std::string Fit(std::string_view s, std::size_t width) {
  if (vantor::Utf8DisplayWidth(s) <= width) return std::string(s);
  const std::size_t keep = width > 3 ? width - 3 : 0;
  return std::string(vantor::Utf8HeadByWidth(s, keep)) + std::string(std::min<std::size_t>(3, width), '.');
}

void Pad(std::ostream& out, std::string_view cell, std::size_t width, bool right) {
  const std::size_t fill = width - std::min(width, vantor::Utf8DisplayWidth(cell));
  if (right) out << std::string(fill, ' ') << cell;
  else out << cell << std::string(fill, ' ');
}

}  // namespace

std::string Escaped(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const vantor::Utf8Unit u = vantor::DecodeUtf8At(s, i);
    const char32_t cp = u.cp;
    if (u.invalid || cp < 0x20 || cp == 0x7F) {
      switch (u.invalid ? 0 : cp) {
        case U'\t': out += "\\t"; break;
        case U'\n': out += "\\n"; break;
        case U'\r': out += "\\r"; break;
        default:
          out += "\\x";
          AppendHexByte(static_cast<unsigned char>(u.invalid ? cp : cp), out);
      }
    } else if (cp >= 0x80 && cp <= 0x9F) {
      out += "\\u00";
      AppendHexByte(static_cast<unsigned char>(cp), out);
    } else {
      out.append(s.substr(i, u.len));
    }
    i += u.len;
  }
  return out;
}

std::string BlobText(std::string_view bytes) {
  if (bytes.size() > 16) return "(BLOB, " + std::to_string(bytes.size()) + " bytes)";
  std::string out = "x'";
  for (char c : bytes) AppendHexByte(static_cast<unsigned char>(c), out);
  return out + "'";
}

std::string CsvField(std::string_view raw) {
  const std::string escaped = Escaped(raw);
  const std::string_view value = escaped;
  const bool special = value.find_first_of(",\"") != std::string_view::npos;
  const bool padded = !value.empty() && (value.front() == ' ' || value.back() == ' ');
  if (!special && !padded) return std::string(value);
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

void WriteCsv(std::ostream& out, const ResultTable& table) {
  auto line = [&out](const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i) out << ',';
      out << CsvField(cells[i]);
    }
    out << '\n';
  };
  line(table.headers);
  for (const auto& row : table.rows) line(row);
}

void WriteAligned(std::ostream& out, const ResultTable& table, std::size_t total,
                  std::size_t max_cell_width) {
  const std::size_t columns = table.headers.size();
  std::vector<std::vector<std::string>> shown;
  shown.reserve(table.rows.size());
  std::vector<std::size_t> width(columns, 0);
  std::vector<std::string> headers;
  for (std::size_t c = 0; c < columns; ++c) {
    headers.push_back(Escaped(table.headers[c]));
    width[c] = vantor::Utf8DisplayWidth(headers[c]);
  }
  for (const auto& row : table.rows) {
    std::vector<std::string> cells;
    cells.reserve(columns);
    for (std::size_t c = 0; c < columns; ++c) {
      cells.push_back(Fit(Escaped(c < row.size() ? row[c] : std::string()), max_cell_width));
      width[c] = std::max(width[c], vantor::Utf8DisplayWidth(cells.back()));
    }
    shown.push_back(std::move(cells));
  }
  auto right = [&](std::size_t c) { return c < table.right_aligned.size() && table.right_aligned[c]; };
  auto line = [&](const std::vector<std::string>& cells) {
    for (std::size_t c = 0; c < columns; ++c) {
      if (c) out << "  ";
      // The last left-aligned column needs no trailing blanks.
      if (c + 1 == columns && !right(c)) out << cells[c];
      else Pad(out, cells[c], width[c], right(c));
    }
    out << '\n';
  };
  if (!shown.empty()) {
    line(headers);
    for (std::size_t c = 0; c < columns; ++c) {
      if (c) out << "  ";
      out << std::string(width[c], '-');
    }
    out << '\n';
    for (const auto& cells : shown) line(cells);
  }
  if (total > shown.size()) {
    out << "... " << (total - shown.size()) << " more not shown (--limit)\n";
  }
}

}  // namespace qbe
