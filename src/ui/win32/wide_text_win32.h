#pragma once
// The program's text is UTF-8. GDI's ANSI text functions read bytes in the
// code page of the font's character set, not the process's, so text is
// drawn and measured through the wide functions.
#include <string>

#include "platform/windows_win32.h"

namespace hw {

inline std::wstring WideText(const std::string& s) {
  if (s.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

inline BOOL TextOutUtf8(HDC dc, int x, int y, const std::string& text) {
  const std::wstring w = WideText(text);
  return TextOutW(dc, x, y, w.c_str(), static_cast<int>(w.size()));
}

inline BOOL TextExtentUtf8(HDC dc, const std::string& text, SIZE* size) {
  const std::wstring w = WideText(text);
  return GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), size);
}

inline int DrawTextUtf8(HDC dc, const std::string& text, RECT* r, UINT format) {
  std::wstring w = WideText(text);
  return DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), r, format);
}

}  // namespace hw
