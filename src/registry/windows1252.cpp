#include "registry/windows1252.h"

namespace hw {
namespace {

// Unicode code points of bytes 0x80..0x9F; the unassigned ones keep their
// own value.
constexpr std::uint16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::uint32_t CodePointOf(unsigned char c) {
  return (c >= 0x80 && c < 0xA0) ? kHigh[c - 0x80] : c;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

char AnsiFromCodePoint(std::uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}

std::string Utf8FromAnsi(const std::string& ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (unsigned char c : ansi) AppendUtf8(out, CodePointOf(c));
  return out;
}

std::string AnsiFromUtf8(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  const std::size_t n = utf8.size();
  for (std::size_t i = 0; i < n;) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    std::uint32_t cp = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    bool valid = len > 0 && i + len <= n;
    for (std::size_t k = 1; valid && k < len; ++k) {
      unsigned char t = static_cast<unsigned char>(utf8[i + k]);
      if ((t & 0xC0) != 0x80) valid = false;
      cp = (cp << 6) | (t & 0x3F);
    }
    // Overlong forms would let two spellings name one file; take them as
    // raw bytes like any other invalid sequence.
    if (valid && ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000)))
      valid = false;
    if (!valid) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    out += len == 1 ? static_cast<char>(c) : AnsiFromCodePoint(cp);
    i += len;
  }
  return out;
}

std::string AnsiFromUtf16Le(const unsigned char* data, std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t u = data[2 * i] | (data[2 * i + 1] << 8);
    if (u == 0) break;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count) {
      std::uint32_t lo = data[2 * i + 2] | (data[2 * i + 3] << 8);
      if (lo >= 0xDC00 && lo <= 0xDFFF) ++i;  // a pair: one character outside the code page
      out += '?';
      continue;
    }
    out += AnsiFromCodePoint(u);
  }
  return out;
}

}  // namespace hw
