#pragma once
// The keys and values below a key as a bare recursive walk through any
// registry API sees them (each subkey opened relative to its parent). The
// hive tests compare real hives with their index; the backup fuzz check
// sees whether a restore changed the registry at all.
#include <cstdint>
#include <vector>

#include "platform/registry_api.h"

namespace hw::test {

struct TreeCount {
  std::size_t keys = 0;  ///< the key itself included
  std::size_t values = 0;
  std::size_t unopenable = 0;  ///< listed subkeys that do not open
  long firstError = 0;         ///< of a listing that ended other than with kErrorNoMoreItems
  bool tooDeep = false;        ///< deeper than any real hive: not walked further
};

inline void CountTree(RegistryApi& api, RegKey key, TreeCount* count, int depth = 0) {
  ++count->keys;
  if (depth >= 600) {
    count->tooDeep = true;
    return;
  }
  char name[kMaxNameChars];
  static std::vector<std::uint8_t> data(1 << 20);
  const auto ended = [&](long status) {
    if (status != kErrorSuccess && status != kErrorNoMoreItems && !count->firstError) count->firstError = status;
    return status != kErrorSuccess;
  };
  for (std::uint32_t i = 0;; ++i, ++count->values) {
    std::uint32_t chars = kMaxNameChars, type = 0, bytes = static_cast<std::uint32_t>(data.size());
    if (ended(api.EnumValue(key, i, name, &chars, &type, data.data(), &bytes))) break;
  }
  for (std::uint32_t i = 0; !ended(api.EnumKey(key, i, name, kMaxNameChars)); ++i) {
    RegKey child = 0;
    if (api.OpenKeyEx(key, name, 0, kKeyRead, &child) != kErrorSuccess) {
      ++count->unopenable;
      continue;
    }
    CountTree(api, child, count, depth + 1);
    api.CloseKey(child);
  }
}

}  // namespace hw::test
