#include "registry/vb_text.h"

namespace hw {
namespace {

unsigned char UpperChar(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
  if (c == 0xFF) return 0x9F;
  return c;
}

unsigned char LowerChar(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
  if (c == 0x9F) return 0xFF;
  return c;
}

bool SameAt(const std::string& hay, std::size_t at, const std::string& needle, bool ignoreCase) {
  for (std::size_t i = 0; i < needle.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(hay[at + i]);
    unsigned char b = static_cast<unsigned char>(needle[i]);
    if (ignoreCase ? UpperChar(a) != UpperChar(b) : a != b) return false;
  }
  return true;
}

}  // namespace

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return std::string();
  std::size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

std::string UCase(const std::string& s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(UpperChar(static_cast<unsigned char>(c)));
  return r;
}

std::string LCase(const std::string& s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(LowerChar(static_cast<unsigned char>(c)));
  return r;
}

std::size_t InStr(std::size_t start, const std::string& hay, const std::string& needle,
                  bool ignoreCase) {
  if (start < 1) start = 1;
  if (start > hay.size() + 1) return 0;
  if (needle.empty()) return start;
  if (needle.size() > hay.size()) return 0;
  for (std::size_t i = start - 1; i + needle.size() <= hay.size(); ++i) {
    if (SameAt(hay, i, needle, ignoreCase)) return i + 1;
  }
  return 0;
}

std::size_t InStrRev(const std::string& hay, const std::string& needle, bool ignoreCase) {
  if (needle.empty()) return hay.size();
  if (needle.size() > hay.size()) return 0;
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
  std::size_t i = 0;
  while (i < s.size()) {
    if (i + find.size() <= s.size() && SameAt(s, i, find, ignoreCase)) {
      out += with;
      i += find.size();
    } else {
      out += s[i++];
    }
  }
  return out;
}

std::string Left(const std::string& s, std::size_t n) { return s.substr(0, n); }

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
