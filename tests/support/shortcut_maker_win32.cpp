#include "platform/windows_win32.h"

#include <objbase.h>
#include <filesystem>
#include <shlobj.h>

#include "support/shortcut_maker.h"

namespace hw::test {
namespace {

std::wstring Wide(const std::string& ansi) {
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? n : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &w[0], n);
  w.resize(w.size() - 1);
  return w;
}

template <class T>
struct ComRef {
  T* p = nullptr;
  ~ComRef() {
    if (p) p->Release();
  }
};

}  // namespace

bool MakeShortcutFile(ScratchFolder&, const std::string& linkPath, const std::string& target) {
  // The shell saves into an existing folder only.
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::u8path(linkPath).parent_path(), ec);
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = false;
  {
    ComRef<IShellLinkW> link;
    ComRef<IPersistFile> file;
    ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&link.p))) &&
         SUCCEEDED(link.p->SetPath(Wide(target).c_str())) &&
         SUCCEEDED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))) &&
         SUCCEEDED(file.p->Save(Wide(linkPath).c_str(), TRUE));
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}

}  // namespace hw::test
