#include "platform/vb_text.h"

#include <cctype>

#include "platform/code_page.h"

namespace hw {
namespace {

// Text is UTF-8: ASCII folds byte by byte, other characters by their code
// point (so a byte of a multi-byte sequence is never changed on its own).
char32_t LowerOf(char32_t u) {
  if (u >= 'A' && u <= 'Z') return u + 0x20;
  if (u < 0x80) return u;
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return u + 0x20;
  if (u >= 0x391 && u <= 0x3A9 && u != 0x3A2) return u + 0x20;
  if (u >= 0x410 && u <= 0x42F) return u + 0x20;
  if (u >= 0x400 && u <= 0x40F) return u + 0x50;
  if (u >= 0x100 && u <= 0x17F && FoldCase(u) == u && FoldCase(u + 1) == u) return u + 1;
  if (u == 0x178) return 0xFF;
  return u;
}

template <typename Map>
std::string MapChars(const std::string& s, Map map) {
  std::string r;
  r.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      r += static_cast<char>(map(c));
      ++i;
      continue;
    }
    const std::size_t from = i;
    const char32_t u = NextUtf8(s.data(), s.size(), &i);
    if (u == 0xFFFD && i == from + 1) {
      r += s[from];  // not a character: the byte stays
    } else {
      AppendUtf8(r, map(u));
    }
  }
  return r;
}

unsigned char UpperAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

bool SameAt(const std::string& hay, std::size_t at, const std::string& needle, bool ignoreCase) {
  std::size_t i = 0;
  while (i < needle.size()) {
    const unsigned char a = static_cast<unsigned char>(hay[at + i]);
    const unsigned char b = static_cast<unsigned char>(needle[i]);
    if (a == b && (a < 0x80 || !ignoreCase)) {
      ++i;
      continue;
    }
    if (!ignoreCase) return false;
    if (a < 0x80 || b < 0x80) {
      if (UpperAscii(a) != UpperAscii(b)) return false;
      ++i;
      continue;
    }
    std::size_t ia = at + i, ib = i;
    const char32_t ua = NextUtf8(hay.data(), at + needle.size(), &ia);
    const char32_t ub = NextUtf8(needle.data(), needle.size(), &ib);
    if (ia - at != ib || FoldCase(ua) != FoldCase(ub)) return false;
    if (ua == 0xFFFD && a != b) return false;
    i = ib;
  }
  return true;
}

// Whether bytes may be compared exactly: ignoring case changes nothing for
// a needle without letters and without non-ASCII characters.
bool ExactSearch(const std::string& needle, bool ignoreCase) {
  if (!ignoreCase) return true;
  for (char c : needle) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x80 || std::isalpha(u)) return false;
  }
  return true;
}

// Where `needle` first stands at or after `from`; npos when nowhere.
std::size_t Find(const std::string& hay, const std::string& needle, std::size_t from, bool ignoreCase) {
  if (ExactSearch(needle, ignoreCase)) return hay.find(needle, from);
  for (std::size_t i = from; i + needle.size() <= hay.size(); ++i)
    if (SameAt(hay, i, needle, ignoreCase)) return i;
  return std::string::npos;
}

}  // namespace

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return std::string();
  std::size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

std::string UCase(const std::string& s) {
  return MapChars(s, [](char32_t u) { return FoldCase(u); });
}

std::string LCase(const std::string& s) {
  return MapChars(s, [](char32_t u) { return LowerOf(u); });
}

std::size_t InStr(std::size_t start, const std::string& hay, const std::string& needle,
                  bool ignoreCase) {
  if (start < 1) start = 1;
  if (start > hay.size() + 1) return 0;
  if (needle.empty()) return start;
  const std::size_t at = Find(hay, needle, start - 1, ignoreCase);
  return at == std::string::npos ? 0 : at + 1;
}

std::size_t InStrRev(const std::string& hay, const std::string& needle, bool ignoreCase) {
  if (needle.empty()) return hay.size();
  if (needle.size() > hay.size()) return 0;
  if (ExactSearch(needle, ignoreCase)) {
    const std::size_t at = hay.rfind(needle);
    return at == std::string::npos ? 0 : at + 1;
  }
  for (std::size_t i = hay.size() - needle.size() + 1; i-- > 0;) {
    if (SameAt(hay, i, needle, ignoreCase)) return i + 1;
  }
  return 0;
}

bool Contains(const std::string& hay, const std::string& needle, bool ignoreCase) {
  return InStr(1, hay, needle, ignoreCase) != 0;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && SameAt(a, 0, b, true);
}

std::string Replace(const std::string& s, const std::string& find, const std::string& with,
                    bool ignoreCase) {
  if (find.empty()) return s;
  std::string out;
  std::size_t from = 0;
  for (std::size_t at; (at = Find(s, find, from, ignoreCase)) != std::string::npos; from = at + find.size())
    out.append(s, from, at - from).append(with);
  return out.append(s, from, std::string::npos);
}

std::string Left(const std::string& s, std::size_t n) { return s.substr(0, n); }

std::string LeftChars(const std::string& s, std::size_t n) {
  std::size_t at = 0;
  for (std::size_t chars = 0; at < s.size() && chars < n; ++chars) NextUtf8(s.data(), s.size(), &at);
  return s.substr(0, at);
}

std::string Right(const std::string& s, std::size_t n) {
  return n >= s.size() ? s : s.substr(s.size() - n);
}

std::string Mid(const std::string& s, std::size_t start, std::size_t length) {
  if (start < 1) start = 1;
  if (start > s.size()) return std::string();
  return s.substr(start - 1, length);
}

std::string CutAtNul(const std::string& s) {
  std::size_t p = s.find('\0');
  return p == std::string::npos ? s : s.substr(0, p);
}

}  // namespace hw
