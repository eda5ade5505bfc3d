#pragma once
// The program's text is UTF-8; the classic files (the problem logs, the
// language files, the fixed fields of record files) are single-byte text in
// the system's ANSI code page. These two functions are the only way between
// them. A character without an ANSI form becomes '?'.
// Backends: ansi_text_win32.cpp (the system's code page, whatever code page
// the process itself runs with), ansi_text_posix.cpp (Windows-1252, the
// offline system's).
#include <string>

namespace hw {

std::string AnsiFromText(const std::string& text);
std::string TextFromAnsi(const std::string& ansi);

/// Whether `text` is all ASCII (then both forms are the same bytes).
inline bool IsAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace hw
