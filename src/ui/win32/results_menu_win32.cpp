#include "ui/win32/results_menu_win32.h"

#include <cstring>

#include "ui/win32/wide_text_win32.h"

namespace hw {
namespace {

// Menus and clipboard memory, released on every way out.
struct MenuHandle {
  HMENU h = CreatePopupMenu();
  ~MenuHandle() {
    if (h) DestroyMenu(h);
  }
};

struct ClipboardOpen {
  bool ok;
  explicit ClipboardOpen(HWND owner) : ok(OpenClipboard(owner) != FALSE) {}
  ~ClipboardOpen() {
    if (ok) CloseClipboard();
  }
};

}  // namespace

int TrackResultsMenu(HWND owner, const std::vector<ResultsMenuItem>& items, POINT screen) {
  MenuHandle menu;
  if (!menu.h) return 0;
  for (const ResultsMenuItem& item : items) {
    if (item.separatorBefore) AppendMenuW(menu.h, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.h, MF_STRING, static_cast<UINT_PTR>(item.command), WideText(item.caption).c_str());
  }
  // The owner must be in front, or the menu would not close on a click elsewhere.
  SetForegroundWindow(owner);
  const int chosen = static_cast<int>(
      TrackPopupMenu(menu.h, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, 0, owner, nullptr));
  PostMessageA(owner, WM_NULL, 0, 0);
  return chosen;
}

bool CopyTextToClipboard(HWND owner, const std::string& text) {
  const std::wstring wide = WideText(text);
  ClipboardOpen clipboard(owner);
  if (!clipboard.ok || !EmptyClipboard()) return false;
  const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return false;
  void* at = GlobalLock(memory);
  if (!at) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(at, wide.c_str(), bytes);
  GlobalUnlock(memory);
  // Once placed, the memory belongs to the clipboard.
  if (!SetClipboardData(CF_UNICODETEXT, memory)) {
    GlobalFree(memory);
    return false;
  }
  return true;
}

}  // namespace hw
