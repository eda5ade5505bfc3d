#include "platform/code_page.h"

#include <cstring>

namespace hw {
namespace {

// 0x80..0x9F of Windows-1252; the undefined bytes keep their own number.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

void AppendUtf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

char32_t UnicodeFromCp1252(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kHigh[c - 0x80];
  return c;
}

char Cp1252FromUnicode(char32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == u) return static_cast<char>(0x80 + i);
  return '?';
}

std::string Cp1252FromUtf8(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  const std::size_t n = utf8.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    int extra = c >= 0xF8 ? -1 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= n) {
      out += '?';
      ++i;
      continue;
    }
    char32_t u = c & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const unsigned char cc = static_cast<unsigned char>(utf8[i + k]);
      if ((cc & 0xC0) != 0x80) { ok = false; break; }
      u = (u << 6) | (cc & 0x3F);
    }
    if (!ok) {
      out += '?';
      ++i;
      continue;
    }
    out += Cp1252FromUnicode(u);
    i += 1 + extra;
  }
  return out;
}

std::string Utf8FromCp1252(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) AppendUtf8(out, UnicodeFromCp1252(static_cast<unsigned char>(c)));
  return out;
}

char32_t NextUtf8(const char* text, std::size_t length, std::size_t* at) {
  const std::size_t i = *at;
  const unsigned char c = static_cast<unsigned char>(text[i]);
  ++*at;
  if (c < 0x80) return c;
  const int extra = c >= 0xF8 ? -1 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 ? 1 : -1;
  if (extra < 0 || i + static_cast<std::size_t>(extra) >= length) return 0xFFFD;
  char32_t u = c & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    const unsigned char cc = static_cast<unsigned char>(text[i + k]);
    if ((cc & 0xC0) != 0x80) return 0xFFFD;
    u = (u << 6) | (cc & 0x3F);
  }
  // Overlong forms, surrogates and values past Unicode are not characters.
  if ((extra == 2 && u < 0x800) || (extra == 3 && (u < 0x10000 || u > 0x10FFFF)) || (u >= 0xD800 && u < 0xE000))
    return 0xFFFD;
  *at = i + 1 + static_cast<std::size_t>(extra);
  return u;
}

std::string Utf8FromUtf16Le(const std::uint8_t* bytes, std::size_t length) {
  std::string out;
  Utf8FromUtf16Le(bytes, length, &out);
  return out;
}

void Utf8FromUtf16Le(const std::uint8_t* bytes, std::size_t length, std::string* text) {
  std::string& out = *text;
  out.clear();
  out.reserve(length / 2);
  std::size_t i = 0;
  // Most text is ASCII: take whole runs while every unit is below 0x80.
  for (; i + 8 <= length; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, bytes + i, 8);
    if (w & 0xFF80FF80FF80FF80ull) break;
    const char run[4] = {static_cast<char>(bytes[i]), static_cast<char>(bytes[i + 2]),
                         static_cast<char>(bytes[i + 4]), static_cast<char>(bytes[i + 6])};
    out.append(run, 4);
  }
  for (; i + 1 < length; i += 2) {
    char32_t u = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < length) {
      const char16_t low = static_cast<char16_t>(bytes[i + 2] | (bytes[i + 3] << 8));
      if (low >= 0xDC00 && low < 0xE000) {
        u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (u >= 0xD800 && u < 0xE000) u = 0xFFFD;
    AppendUtf8(out, u);
  }
}

std::u16string Utf16FromUtf8(const std::string& utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t u = NextUtf8(utf8.data(), utf8.size(), &i);
    if (u >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((u - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((u - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(u);
    }
  }
  return out;
}

std::string Utf16LeFromUtf8(const std::string& utf8) {
  const std::u16string units = Utf16FromUtf8(utf8);
  std::string out;
  out.reserve(units.size() * 2);
  for (char16_t u : units) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

std::string Utf8FromUtf16(const std::u16string& utf16) {
  std::string bytes;
  bytes.reserve(utf16.size() * 2);
  for (char16_t u : utf16) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return Utf8FromUtf16Le(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

char32_t FoldCase(char32_t u) {
  if (u < 0x80) return (u >= 'a' && u <= 'z') ? u - 0x20 : u;
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return u - 0x20;
  if (u == 0xFF) return 0x178;
  if (u == 0xB5) return 0x39C;
  if (u >= 0x100 && u <= 0x17F) {
    // Latin Extended-A pairs: upper at even code points, except the runs
    // 0x139..0x148 and 0x179..0x17E, which pair odd with even.
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) return (u % 2 == 0) ? u - 1 : u;
    if (u == 0x131 || u == 0x138 || u == 0x149 || u == 0x17F) return u;
    return (u % 2 == 1) ? u - 1 : u;
  }
  if (u >= 0x3B1 && u <= 0x3C9 && u != 0x3C2) return u - 0x20;
  if (u >= 0x430 && u <= 0x44F) return u - 0x20;
  if (u >= 0x450 && u <= 0x45F) return u - 0x50;
  return u;
}

}  // namespace hw
