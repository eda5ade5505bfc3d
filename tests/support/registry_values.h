#pragma once
// One registry value as a test names it and finds it: there or not, its
// type and its bytes.
#include <cstdint>
#include <string>
#include <tuple>

#include "platform/registry_api.h"
#include "support/registry_builder.h"

namespace hw::test {

struct ValueRef {
  RegKey root;
  std::string key, name;
  bool operator<(const ValueRef& o) const { return std::tie(root, key, name) < std::tie(o.root, o.key, o.name); }
  bool operator==(const ValueRef& o) const { return root == o.root && key == o.key && name == o.name; }
};

struct ValueState {
  bool present = false;
  std::uint32_t type = 0;
  Bytes data;
  bool operator==(const ValueState& o) const { return present == o.present && type == o.type && data == o.data; }
};

inline ValueState ReadValue(RegistryApi& api, const ValueRef& v) {
  ValueState s;
  RegKey h = 0;
  if (api.OpenKeyEx(v.root, v.key, 0, kKeyRead, &h) != kErrorSuccess) return s;
  std::uint32_t size = 0;
  if (api.QueryValueEx(h, v.name, &s.type, nullptr, &size) == kErrorSuccess) {
    s.data.resize(size);
    s.present = api.QueryValueEx(h, v.name, &s.type, s.data.empty() ? nullptr : s.data.data(), &size) ==
                kErrorSuccess;
    s.data.resize(size);
  }
  api.CloseKey(h);
  return s;
}

}  // namespace hw::test
