#pragma once
// The Windows scratch registry: a fresh key below
// HKEY_CURRENT_USER\Software\HivewrightTests with one subkey per root.
#include "platform/windows_win32.h"

#include <string>

#include "platform/registry_api_win32.h"
#include "support/scratch_registry.h"

namespace hw::test {

class Win32ScratchRegistry : public ScratchRegistry {
 public:
  Win32ScratchRegistry();
  ~Win32ScratchRegistry() override;
  Win32ScratchRegistry(const Win32ScratchRegistry&) = delete;
  Win32ScratchRegistry& operator=(const Win32ScratchRegistry&) = delete;

  RegistryApi& Api() override { return *api_; }
  /// The test key's path below HKEY_CURRENT_USER.
  const std::string& KeyPath() const { return keyPath_; }

 private:
  std::string keyPath_;
  HKEY hklm_ = nullptr, hkcu_ = nullptr, hkcr_ = nullptr;
  std::unique_ptr<Win32Registry> api_;
};

}  // namespace hw::test
