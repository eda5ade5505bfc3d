#pragma once
// What the hive benchmarks share: a clock, a way out, hivex's own walk as
// the floor to compare against, and a writer of keys and values that
// counts what it makes.
#include <hivex.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <errno.h>
#include <string>
#include <time.h>

#include "platform/registry_api.h"

namespace hw::bench {

inline double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The process's processor time in seconds: on a busy machine it tells more
// than the clock on the wall, which also counts the waits for a processor.
inline double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

[[noreturn]] inline void Die(const std::string& what) {
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, what.c_str());
  std::exit(1);
}

struct Count {
  std::size_t keys = 0, values = 0;
  std::size_t items() const { return keys + values; }
};

// hivex's own walk: children, names, values, value names and data.
inline void HivexWalk(hive_h* h, hive_node_h node, Count* c) {
  hive_value_h* values = hivex_node_values(h, node);
  for (std::size_t i = 0; values && values[i]; ++i) {
    char* key = hivex_value_key(h, values[i]);
    hive_type t;
    std::size_t len = 0;
    char* data = hivex_value_value(h, values[i], &t, &len);
    if (key && data) ++c->values;
    std::free(key);
    std::free(data);
  }
  std::free(values);
  hive_node_h* children = hivex_node_children(h, node);
  for (std::size_t i = 0; children && children[i]; ++i) {
    char* name = hivex_node_name(h, children[i]);
    if (name) ++c->keys;
    std::free(name);
    HivexWalk(h, children[i], c);
  }
  std::free(children);
}

class KeyWriter {
 public:
  explicit KeyWriter(RegistryApi& api) : api_(api) {}
  std::size_t keys() const { return keys_; }
  std::size_t values() const { return values_; }

 protected:
  /// Every level of `path` counts as a key made.
  RegKey Create(RegKey parent, const std::string& path) {
    RegKey key = 0;
    if (api_.CreateKeyEx(parent, path, kKeyReadWrite, &key) != kErrorSuccess) Die("create " + path);
    for (char c : path) keys_ += c == '\\';
    ++keys_;
    return key;
  }
  void Close(RegKey key) { api_.CloseKey(key); }
  void Set(RegKey key, const std::string& name, std::uint32_t type, const std::string& data) {
    if (api_.SetValueEx(key, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                        static_cast<std::uint32_t>(data.size())) != kErrorSuccess)
      Die("set " + name);
    ++values_;
  }
  void Text(RegKey key, const std::string& name, const std::string& text) { Set(key, name, kRegSz, text + '\0'); }
  void Dword(RegKey key, const std::string& name, std::uint32_t n) {
    Set(key, name, kRegDword, std::string(reinterpret_cast<const char*>(&n), 4));
  }

  RegistryApi& api_;
  std::size_t keys_ = 0, values_ = 0;
};

}  // namespace hw::bench
