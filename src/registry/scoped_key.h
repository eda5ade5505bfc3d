#pragma once
// One open registry key, closed when the scope ends, so no early return
// leaks a handle.
#include <string>

#include "platform/registry_api.h"

namespace hw {

class ScopedKey {
 public:
  /// Opens `subKey` below `root` with `access`; ok() says whether it did.
  ScopedKey(RegistryApi& reg, RegKey root, const std::string& subKey, std::uint32_t access = kKeyRead)
      : reg_(reg) {
    ok_ = reg_.OpenKeyEx(root, subKey, 0, access, &key_) == kErrorSuccess;
  }
  ~ScopedKey() {
    if (ok_) reg_.CloseKey(key_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  bool ok() const { return ok_; }
  RegKey get() const { return key_; }

 private:
  RegistryApi& reg_;
  RegKey key_ = 0;
  bool ok_ = false;
};

}  // namespace hw
