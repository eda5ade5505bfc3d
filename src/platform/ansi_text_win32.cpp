#include "platform/ansi_text.h"

#include "platform/windows_win32.h"

namespace hw {
namespace {

// The process runs with UTF-8 as its own ANSI code page (manifest), so
// CP_ACP is not the code page of the system's classic files: ask the
// system's locale.
UINT SystemAnsiCodePage() {
  static const UINT cp = [] {
    wchar_t buffer[8] = {};
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, buffer, 8) <= 0) return UINT(1252);
    const UINT n = static_cast<UINT>(wcstoul(buffer, nullptr, 10));
    return n == 0 || n == CP_UTF8 ? UINT(1252) : n;
  }();
  return cp;
}

std::wstring Wide(UINT cp, const std::string& s) {
  const int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

std::string Narrow(UINT cp, const std::wstring& w) {
  // No best fit: a near look-alike would name another file; '?' names none.
  const DWORD flags = cp == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = cp == CP_UTF8 ? nullptr : "?";
  const int n = WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), nullptr, 0, fallback, nullptr);
  std::string s(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), &s[0], n, fallback, nullptr);
  return s;
}

}  // namespace

std::string AnsiFromText(const std::string& text) {
  return IsAscii(text) ? text : Narrow(SystemAnsiCodePage(), Wide(CP_UTF8, text));
}

std::string TextFromAnsi(const std::string& ansi) {
  return IsAscii(ansi) ? ansi : Narrow(CP_UTF8, Wide(SystemAnsiCodePage(), ansi));
}

}  // namespace hw
