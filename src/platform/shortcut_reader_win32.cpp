#include "platform/shortcut_reader_win32.h"

#include "platform/windows_win32.h"
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

// The program's text is UTF-8.
std::wstring Wide(const std::string& s) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

std::string Narrow(const std::wstring& w) {
  if (w.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &out[0], n, nullptr, nullptr);
  return out;
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

  // Wine answers with the link's single-byte path, where the names a
  // process of another code page wrote are "?"; the ID list has them whole.
  std::wstring fromIdList;
  if (target.find(L'?') != std::wstring::npos) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (SUCCEEDED(link->GetIDList(&pidl)) && pidl) {
      std::vector<wchar_t> path(32768, L'\0');
      if (SHGetPathFromIDListEx(pidl, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT))
        fromIdList = path.data();
      CoTaskMemFree(pidl);
    }
  }
  return ExactTarget(Narrow(target), Narrow(fromIdList));
}

}  // namespace hw
