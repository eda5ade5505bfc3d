#pragma once
// Text helpers with the program's rules: UTF-8 text (positions count bytes),
// 1-based positions (0 = not found), spaces-only trimming.
#include <string>

namespace hw {

/// Removes spaces (only ' ') from both ends.
std::string Trim(const std::string& s);
std::string UCase(const std::string& s);
std::string LCase(const std::string& s);
/// 1-based position of `needle` in `hay` from `start` (1-based); 0 when not
/// found. An empty needle is found at `start` when start <= len + 1.
std::size_t InStr(std::size_t start, const std::string& hay, const std::string& needle,
                  bool ignoreCase = false);
inline std::size_t InStr(const std::string& hay, const std::string& needle, bool ignoreCase = false) {
  return InStr(1, hay, needle, ignoreCase);
}
/// 1-based position of the last `needle` in `hay`; 0 when not found.
std::size_t InStrRev(const std::string& hay, const std::string& needle, bool ignoreCase = false);
bool Contains(const std::string& hay, const std::string& needle, bool ignoreCase = false);
bool EqualsNoCase(const std::string& a, const std::string& b);
/// Replaces every occurrence, scanning left to right without overlap.
std::string Replace(const std::string& s, const std::string& find, const std::string& with,
                    bool ignoreCase = false);
std::string Left(const std::string& s, std::size_t n);
/// The first `n` characters (not bytes) of UTF-8 text.
std::string LeftChars(const std::string& s, std::size_t n);
std::string Right(const std::string& s, std::size_t n);
/// Characters from 1-based `start` on (all of them when `length` is npos).
std::string Mid(const std::string& s, std::size_t start, std::size_t length = std::string::npos);
/// The text up to, not including, its first NUL.
std::string CutAtNul(const std::string& s);

}  // namespace hw
