#include "support/scratch_registry_win32.h"

#include <atomic>
#include <stdexcept>

namespace hw::test {

namespace {

constexpr char kTestsKey[] = "Software\\HivewrightTests";

HKEY CreateKey(const std::string& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    throw std::runtime_error("cannot create test key " + path);
  }
  return key;
}

}  // namespace

Win32ScratchRegistry::Win32ScratchRegistry() {
  static std::atomic<unsigned> counter{0};
  keyPath_ = std::string(kTestsKey) + "\\" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(GetTickCount64()) + "-" + std::to_string(++counter);
  hklm_ = CreateKey(keyPath_ + "\\HKLM");
  RegCloseKey(CreateKey(keyPath_ + "\\HKLM\\SOFTWARE"));
  RegCloseKey(CreateKey(keyPath_ + "\\HKLM\\SYSTEM"));
  hkcr_ = CreateKey(keyPath_ + "\\HKLM\\SOFTWARE\\Classes");
  hkcu_ = CreateKey(keyPath_ + "\\HKCU");
  api_ = std::make_unique<Win32Registry>(std::map<RegKey, HKEY>{
      {kHkeyLocalMachine, hklm_}, {kHkeyCurrentUser, hkcu_}, {kHkeyClassesRoot, hkcr_}});
}

Win32ScratchRegistry::~Win32ScratchRegistry() {
  api_.reset();
  for (HKEY k : {hklm_, hkcu_, hkcr_}) {
    if (k) RegCloseKey(k);
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, keyPath_.c_str());
  // The parent goes too when this was the last test key; it fails while
  // others remain, which is what we want.
  RegDeleteKeyA(HKEY_CURRENT_USER, kTestsKey);
}

std::unique_ptr<ScratchRegistry> MakeScratchRegistry() { return std::make_unique<Win32ScratchRegistry>(); }

}  // namespace hw::test
