#include "engine/shortcut_reader_win32.h"

#include "registry/windows_win32.h"
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

namespace hw {

namespace {

// Owns one COM interface pointer.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return p_; }
  T** Out() { return &p_; }
  void** OutVoid() { return reinterpret_cast<void**>(&p_); }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

std::wstring Wide(const std::string& s) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

// False when a character had no ANSI form.
bool Narrow(const std::wstring& w, std::string* out) {
  out->clear();
  if (w.empty()) return true;
  BOOL lossy = FALSE;
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, &lossy);
  out->assign(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), &(*out)[0], n, nullptr,
                      &lossy);
  return !lossy;
}

}  // namespace

Win32ShortcutReader::Win32ShortcutReader() {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  uninitialize_ = SUCCEEDED(hr);
}

Win32ShortcutReader::~Win32ShortcutReader() {
  if (uninitialize_) CoUninitialize();
}

std::string Win32ShortcutReader::TargetPath(const std::string& shortcutPath) {
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.OutVoid()))) {
    return std::string();
  }
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.OutVoid()))) return std::string();
  if (FAILED(file->Load(Wide(shortcutPath).c_str(), STGM_READ))) return std::string();

  // Wider than MAX_PATH: a target cut short would look missing.
  std::vector<wchar_t> buffer(32768, L'\0');
  if (link->GetPath(buffer.data(), static_cast<int>(buffer.size()), nullptr, 0) != S_OK) return std::string();
  std::wstring target(buffer.data());
  // Wine answers S_OK with a "::{clsid}" parsing name for virtual items,
  // where Windows answers S_FALSE; neither is a file-system path.
  if (target.compare(0, 2, L"::") == 0) return std::string();

  std::string ansi;
  if (Narrow(target, &ansi)) return ansi;
  // A name the code page cannot spell would come out with '?' in it and be
  // judged missing; the short name of an existing target is plain ASCII.
  std::vector<wchar_t> shortName(32768, L'\0');
  DWORD got = GetShortPathNameW(target.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
  std::string shortAnsi;
  if (got > 0 && got < shortName.size() && Narrow(std::wstring(shortName.data(), got), &shortAnsi)) {
    return shortAnsi;
  }
  return ansi;
}

}  // namespace hw
