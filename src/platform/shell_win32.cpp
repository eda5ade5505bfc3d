#include "platform/shell_win32.h"

#include "platform/windows_win32.h"
#include <shellapi.h>

namespace hw {

namespace {

constexpr UINT kHhDisplayToc = 1;

using HtmlHelpAFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

HtmlHelpAFn HtmlHelpEntry() {
  // Loaded once and never freed: the viewer's windows live in that module
  // after the call returns.
  static HtmlHelpAFn entry = [] {
    HMODULE module = LoadLibraryA("hhctrl.ocx");
    return module ? reinterpret_cast<HtmlHelpAFn>(reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpA")))
                  : nullptr;
  }();
  return entry;
}

}  // namespace

void Win32Shell::OpenHelp(std::uintptr_t owner, const std::string& helpFile, const std::string& topic) {
  HtmlHelpAFn htmlHelp = HtmlHelpEntry();
  if (!htmlHelp) return;
  // The viewer takes a topic as part of the file argument: "file::/topic".
  std::string target = topic.empty() ? helpFile : helpFile + "::/" + topic;
  htmlHelp(reinterpret_cast<HWND>(owner), target.c_str(), kHhDisplayToc, 0);
}

void Win32Shell::OpenUrl(std::uintptr_t owner, const std::string& address) {
  ShellExecuteA(reinterpret_cast<HWND>(owner), "open", address.c_str(), nullptr, nullptr, SW_SHOW);
}

void Win32Shell::Run(std::uintptr_t owner, const std::string& program, const std::string& parameters) {
  ShellExecuteA(reinterpret_cast<HWND>(owner), "open", program.c_str(),
                parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

}  // namespace hw
