#include "support/window_driver_win32.h"

#include <filesystem>
#include <memory>

#include "platform/message_pump_win32.h"
#include "support/test_paths.h"
#include "ui/win32/screenshot_win32.h"

namespace hw::test {

namespace {

// Runs messages for `ms`, or until WM_QUIT comes when `untilQuit`: its code, or -1.
int Pump(DWORD ms, HWND dialog, bool untilQuit) {
  const DWORD end = GetTickCount() + ms;
  MSG msg;
  do {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (untilQuit && msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      if (DialogMessage(dialog, msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (GetTickCount() < end);
  return -1;
}

std::string Utf8(const wchar_t* w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, w, -1, &s[0], n, nullptr, nullptr);
  return s;
}

bool SavePng(HWND window, const std::string& name) {
  const std::string dir = BuildDir() + "\\screenshots";
  std::filesystem::create_directories(dir);
  return SaveWindowPng(window, dir + "\\" + name + ".png");
}

struct Watcher {
  std::string className, title;
  std::function<void(HWND)> action;
};
std::vector<std::unique_ptr<Watcher>>& Watchers() {
  static std::vector<std::unique_ptr<Watcher>> watchers;
  return watchers;
}

void CALLBACK Watch(HWND, UINT, UINT_PTR timer, DWORD) {
  auto& all = Watchers();
  for (auto it = all.begin(); it != all.end(); ++it) {
    Watcher& w = **it;
    HWND found = FindWindowA(w.className.empty() ? nullptr : w.className.c_str(),
                             w.title.empty() ? nullptr : w.title.c_str());
    if (!found || !IsWindowVisible(found)) continue;
    std::unique_ptr<Watcher> mine = std::move(*it);
    all.erase(it);
    if (all.empty()) KillTimer(nullptr, timer);
    mine->action(found);
    return;
  }
}

}  // namespace

void PumpFor(DWORD ms, HWND dialog) { Pump(ms, dialog, false); }
int PumpUntilQuit(DWORD ms) { return Pump(ms, nullptr, true); }

void DropQuitMessages() {
  MSG quit;
  while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

std::string WindowText(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return Utf8(text);
}

HWND FindChild(HWND parent, const char* className, const char* text) {
  struct Search {
    const char *cls, *text;
    HWND found;
  } search{className, text, nullptr};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, s->cls) != 0 || (s->text && WindowText(child) != s->text)) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* w = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = Utf8(w);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

bool Screenshot(HWND window, const std::string& name) {
  RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpFor(100);
  return SavePng(window, name);
}

void PostClick(HWND control, POINT at) {
  const LPARAM pos = MAKELPARAM(at.x, at.y);
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, pos);
  PostMessageA(control, WM_LBUTTONUP, 0, pos);
}

void PostClickMiddle(HWND control) {
  RECT r{};
  GetClientRect(control, &r);
  PostClick(control, POINT{r.right / 2, r.bottom / 2});
}

void RealClick(HWND control, POINT at, bool right) {
  if (control) ClientToScreen(control, &at);
  SetCursorPos(at.x, at.y);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

void PressKey(UINT vk, std::initializer_list<int> mods) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  for (int m : mods) state[m] = 0x80;
  SetKeyboardState(state);
  HWND focus = GetFocus();
  const bool system = vk == VK_F10;
  PostMessageA(focus, system ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1);
  PostMessageA(focus, system ? WM_SYSKEYUP : WM_KEYUP, vk, 1 | (3u << 30));
  PumpFor(system || vk == VK_APPS ? 400 : 30, GetAncestor(focus, GA_ROOT));
  for (int m : mods) state[m] = 0;
  SetKeyboardState(state);
}

void PressAlt(char letter) {
  PostMessageA(GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(letter), 1 | (1 << 29));
  PumpFor(30, GetAncestor(GetFocus(), GA_ROOT));
}

void WhenWindowShows(const char* className, const char* title, std::function<void(HWND)> action) {
  Watchers().push_back(std::make_unique<Watcher>(Watcher{className ? className : "", title ? title : "",
                                                          std::move(action)}));
  if (Watchers().size() == 1) SetTimer(nullptr, 0, 50, &Watch);
}

void AnswerNextMenu(const std::string& caption, MenuAnswer& answer, HWND photographed, const std::string& picture) {
  answer = MenuAnswer{};
  WhenWindowShows("#32768", nullptr, [&answer, caption, photographed, picture](HWND popup) {
    auto menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    int at = -1;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
      wchar_t text[128] = {};
      if (GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION) <= 0) continue;
      answer.offered.push_back(Utf8(text));
      if (answer.offered.back() == caption) at = i;
    }
    if (photographed) SavePng(photographed, picture);
    RECT r{};
    if (at < 0 || !GetMenuItemRect(nullptr, menu, static_cast<UINT>(at), &r)) {
      PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
      return;
    }
    answer.clicked = true;
    RealClick(nullptr, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  });
}

StartedProgram::StartedProgram(const std::string& arguments, const std::string& program) {
  const std::string folder = BuildDir();
  std::string path = folder + "\\" + program;
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) path = program;  // one of Windows' own
  std::string line = "\"" + path + "\" " + arguments;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  started_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                            &info_) != 0;
}

StartedProgram::~StartedProgram() {
  if (!started_) return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

long StartedProgram::EndedWith(DWORD ms) {
  DWORD code = 0;
  if (WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0 || !GetExitCodeProcess(info_.hProcess, &code)) return -1;
  return static_cast<long>(code);
}

HWND StartedProgram::MainWindow(DWORD ms) {
  for (const DWORD end = GetTickCount() + ms; GetTickCount() < end; Sleep(50)) {
    for (HWND w = FindWindowExA(nullptr, nullptr, "HivewrightForm1", nullptr); w;
         w = FindWindowExA(nullptr, w, "HivewrightForm1", nullptr)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == info_.dwProcessId && IsWindowVisible(w)) return w;
    }
  }
  return nullptr;
}

}  // namespace hw::test
