#pragma once
// Filling a registry through RegistryApi for a test or a benchmark.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry_api.h"

namespace hw::test {

using Bytes = std::vector<std::uint8_t>;

/// A string's bytes with its terminating NUL, as the registry stores it.
inline Bytes Sz(const std::string& text) {
  Bytes b(text.begin(), text.end());
  b.push_back(0);
  return b;
}

class RegistryBuilder {
 public:
  explicit RegistryBuilder(RegistryApi& api) : api_(api) {}

  /// Creates the key with every missing level; false when it fails.
  bool Key(RegKey root, const std::string& path) {
    RegKey h = 0;
    if (api_.CreateKeyEx(root, path, kKeyReadWrite, &h) != kErrorSuccess) return false;
    api_.CloseKey(h);
    return true;
  }

  bool Value(RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
             const Bytes& data) {
    RegKey h = 0;
    if (api_.CreateKeyEx(root, path, kKeyReadWrite, &h) != kErrorSuccess) return false;
    long rc = api_.SetValueEx(h, name, type, data.data(), static_cast<std::uint32_t>(data.size()));
    api_.CloseKey(h);
    return rc == kErrorSuccess;
  }

  bool String(RegKey root, const std::string& path, const std::string& name, const std::string& text,
              std::uint32_t type = kRegSz) {
    return Value(root, path, name, type, Sz(text));
  }

  bool Dword(RegKey root, const std::string& path, const std::string& name, std::uint32_t n) {
    return Value(root, path, name, kRegDword,
                 {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)});
  }

  /// True when the value exists (a test's "nothing was deleted").
  bool Has(RegKey root, const std::string& path, const std::string& name) {
    RegKey h = 0;
    if (api_.OpenKeyEx(root, path, 0, kKeyRead, &h) != kErrorSuccess) return false;
    std::uint32_t type = 0, size = 0;
    const bool found = api_.QueryValueEx(h, name, &type, nullptr, &size) == kErrorSuccess;
    api_.CloseKey(h);
    return found;
  }

 private:
  RegistryApi& api_;
};

}  // namespace hw::test
