#include "cli/printable_text.h"

#include <cstdint>
#include <cstdio>

namespace hw {
namespace {

// Length of the valid UTF-8 sequence at `i` and its code point; 0 when the
// bytes there are not one (overlong forms and surrogates included).
std::size_t Utf8At(const std::string& s, std::size_t i, std::uint32_t* cp) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b = byte(i);
  std::size_t n;
  std::uint32_t c, least;
  if (b < 0x80) {
    *cp = b;
    return 1;
  } else if ((b & 0xE0) == 0xC0) {
    n = 2, c = b & 0x1F, least = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    n = 3, c = b & 0x0F, least = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    n = 4, c = b & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(i + k) & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  *cp = c;
  return n;
}

}  // namespace

std::string ValidUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::uint32_t cp = 0;
    const std::size_t n = Utf8At(text, i, &cp);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(text, i, n);
      i += n;
    }
  }
  return out;
}

std::string PrintableText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::uint32_t cp = 0;
    const std::size_t n = Utf8At(text, i, &cp);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) {
      char mark[12];
      std::snprintf(mark, sizeof mark, "<U+%04X>", static_cast<unsigned>(cp));
      out += mark;
    } else {
      out.append(text, i, n);
    }
    i += n;
  }
  return out;
}

}  // namespace hw
