#include "registry/registry_api_hive.h"

#include <fcntl.h>
#include <hivex.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unordered_map>
#include <vector>

#include "registry/blank_hive.h"
#include "registry/code_page.h"
#include "registry/runtime_error.h"

namespace hw {
namespace fs = std::filesystem;

namespace {

constexpr long kErrorRegistryCorrupt = 1015;
constexpr long kErrorRegistryIoFailed = 1016;

constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kKeyAllAccess = 0xF003F;
constexpr std::uint32_t kWriteBits = kKeySetValue | kKeyCreateSubKey | 0x0020 /*link*/ | 0x00010000 /*delete*/ |
                                     0x00040000 /*write DAC*/ | 0x00080000 /*write owner*/;

constexpr std::size_t kMaxKeyNameChars = 255;
constexpr std::size_t kMaxValueNameChars = 16383;
// Windows refuses keys deeper than this; it also bounds walks of a hive
// whose subkey lists loop.
constexpr std::size_t kMaxDepth = 512;
// Child lists kept for name lookups; beyond this the cache starts afresh.
constexpr std::size_t kMaxCachedLists = 1u << 18;

enum HiveId { kSoftware, kSystem, kUser, kSettings, kHiveCount };
const char* const kHiveRole[kHiveCount] = {"SOFTWARE", "SYSTEM", "user (NTUSER.DAT)", "settings"};

enum class Virt : std::uint8_t { kNone, kMachine, kUserRoot, kEmpty };
enum : std::uint8_t { kMachineSoftware = 1, kUserSoftware = 2, kSystemRoot = 4, kUserRootFlag = 8 };

std::uint32_t MapGenericAccess(std::uint32_t sam) {
  std::uint32_t access = sam & 0x00FFFFFFu;
  if (sam & 0x80000000u) access |= kKeyRead;       // GENERIC_READ
  if (sam & 0x40000000u) access |= kKeyWrite;      // GENERIC_WRITE
  if (sam & 0x20000000u) access |= kKeyRead;       // GENERIC_EXECUTE
  if (sam & 0x10000000u) access |= kKeyAllAccess;  // GENERIC_ALL
  if (sam & 0x02000000u) access |= kKeyAllAccess;  // MAXIMUM_ALLOWED
  return access;
}

// Names compare by their case-folded characters, kept as UTF-8 so that
// short names need no allocation.
using Folded = std::string;

void AppendFolded(Folded* f, char32_t u) {
  u = FoldCase(u);
  if (u < 0x80) {
    *f += static_cast<char>(u);
  } else if (u < 0x800) {
    *f += static_cast<char>(0xC0 | (u >> 6));
    *f += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    *f += static_cast<char>(0xE0 | (u >> 12));
    *f += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    *f += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    *f += static_cast<char>(0xF0 | (u >> 18));
    *f += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    *f += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    *f += static_cast<char>(0x80 | (u & 0x3F));
  }
}

Folded FoldCp1252(const std::string& name) {
  Folded f;
  f.reserve(name.size());
  for (char c : name) AppendFolded(&f, UnicodeFromCp1252(static_cast<unsigned char>(c)));
  return f;
}

// hivex hands out names as UTF-8; one pass gives both the program's form of
// the name and the folded form used to compare names.
void DecodeName(const char* utf8, std::string* text, Folded* folded) {
  text->clear();
  folded->clear();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
  while (*p) {
    if (*p < 0x80) {  // most names are ASCII
      text->push_back(static_cast<char>(*p));
      folded->push_back(static_cast<char>(*p >= 'a' && *p <= 'z' ? *p - 0x20 : *p));
      ++p;
      continue;
    }
    char32_t u;
    int extra;
    if (*p < 0x80) { u = *p; extra = 0; }
    else if (*p >= 0xF8) { u = 0xFFFD; extra = 0; }
    else if (*p >= 0xF0) { u = *p & 0x07; extra = 3; }
    else if (*p >= 0xE0) { u = *p & 0x0F; extra = 2; }
    else if (*p >= 0xC0) { u = *p & 0x1F; extra = 1; }
    else { u = 0xFFFD; extra = 0; }
    ++p;
    for (int k = 0; k < extra; ++k) {
      if ((*p & 0xC0) != 0x80) { u = 0xFFFD; break; }
      u = (u << 6) | (*p++ & 0x3F);
    }
    *text += Cp1252FromUnicode(u);
    AppendFolded(folded, u);
  }
}

struct Loc {
  int hive = -1;
  hive_node_h node = 0;
  Virt virt = Virt::kNone;
  std::uint8_t flags = 0;
};

struct ChildList {
  std::vector<std::string> names;
  std::vector<hive_node_h> nodes;
  std::unordered_map<Folded, std::size_t> byName;
  std::vector<hive_node_h> sortedNodes;
  bool bad = false;  // hivex could not read the subkey list
};

struct ValueEntry {
  hive_value_h value;
  std::string name;
};

struct CharBuf {
  char* p = nullptr;
  ~CharBuf() { std::free(p); }
};

bool ReadValueData(hive_h* h, hive_value_h v, std::uint32_t* type, std::string* bytes) {
  errno = 0;
  hive_type t;
  std::size_t len = 0;
  CharBuf buf;
  buf.p = hivex_value_value(h, v, &t, &len);
  if (!buf.p) return false;
  *type = static_cast<std::uint32_t>(t);
  bytes->assign(buf.p, len);
  return true;
}

bool IsStringType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

// The data in the program's form: strings in Windows-1252, the rest as stored.
bool ReadProgramData(hive_h* h, hive_value_h v, std::uint32_t* type, std::string* bytes) {
  errno = 0;
  hive_type t;
  std::size_t len = 0;
  CharBuf buf;
  buf.p = hivex_value_value(h, v, &t, &len);
  if (!buf.p) return false;
  *type = static_cast<std::uint32_t>(t);
  if (IsStringType(*type))
    *bytes = Cp1252FromUtf16Le(reinterpret_cast<const std::uint8_t*>(buf.p), len);
  else
    bytes->assign(buf.p, len);
  return true;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool SyncPath(const std::string& path, int flags) {
  int fd = ::open(path.c_str(), flags);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

// Writes `bytes` to `path` through a temporary file and a rename.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, bool mayReplace,
                         std::string* error) {
  std::error_code ec;
  if (!mayReplace && fs::exists(path, ec)) {
    *error = "The file " + path + " already exists";
    return false;
  }
  const std::string tmp = path + ".hw-new";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      fs::remove(tmp, ec);
      *error = "Cannot write " + tmp;
      return false;
    }
  }
  if (!SyncPath(tmp, O_RDONLY) || std::rename(tmp.c_str(), path.c_str()) != 0) {
    *error = "Cannot write " + path + ": " + std::strerror(errno);
    fs::remove(tmp, ec);
    return false;
  }
  SyncPath(fs::path(path).parent_path().empty() ? "." : fs::path(path).parent_path().string(),
           O_RDONLY | O_DIRECTORY);
  return true;
}

std::string FindNoCase(const fs::path& folder, const std::vector<std::string>& parts) {
  fs::path at = folder;
  for (const std::string& part : parts) {
    std::error_code ec;
    fs::path exact = at / part;
    if (fs::exists(exact, ec)) {
      at = exact;
      continue;
    }
    bool found = false;
    const Folded want = FoldCp1252(part);
    for (auto it = fs::directory_iterator(at, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
      if (FoldCp1252(it->path().filename().string()) == want) {
        at = it->path();
        found = true;
        break;
      }
    }
    if (!found) return "";
  }
  return at.string();
}

}  // namespace

struct HiveHandle {
  Loc loc;
  std::vector<hive_node_h> chain;  // the nodes from the hive's root down to loc
  std::uint32_t access = 0;

  std::shared_ptr<const ChildList> keys;
  std::uint64_t keysGeneration = 0;

  bool haveValues = false;
  bool valuesBad = false;
  std::uint64_t valuesGeneration = 0;
  std::vector<hive_value_h> rawValues;
  std::size_t scanned = 0;
  std::vector<ValueEntry> values;  // the readable ones, in list order
  // The data of the value read last while scanning, so a walk reads each
  // value's data once.
  std::size_t cachedIndex = SIZE_MAX;
  std::uint32_t cachedType = 0;
  std::string cachedData;
};

struct HiveRegistry::Impl {
  struct Hive {
    hive_h* h = nullptr;
    std::string path;
    bool dirty = false;
    std::uint64_t generation = 1;
    std::unordered_map<hive_node_h, std::shared_ptr<const ChildList>> lists;
  };

  Hive hives[kHiveCount];
  bool readOnly = false;
  std::unordered_map<RegKey, std::unique_ptr<HiveHandle>> handles;
  std::unique_ptr<HiveHandle> roots[7];
  RegKey nextHandle = 0x100;
  std::string flushError;

  ~Impl() {
    for (Hive& hive : hives)
      if (hive.h) hivex_close(hive.h);
  }

  bool Present(int id) const { return hives[id].h != nullptr; }
  hive_node_h Root(int id) { return hivex_root(hives[id].h); }

  void Changed(int id) {
    hives[id].dirty = true;
    ++hives[id].generation;
  }

  std::shared_ptr<const ChildList> Children(int id, hive_node_h node) {
    Hive& hive = hives[id];
    auto it = hive.lists.find(node);
    if (it != hive.lists.end()) return it->second;
    // Keys without subkeys are most keys: share one empty list, cache nothing.
    static const auto kNoChildren = std::make_shared<const ChildList>();
    auto list = std::make_shared<ChildList>();
    errno = 0;
    hive_node_h* children = hivex_node_children(hive.h, node);
    if (children && !children[0]) {
      std::free(children);
      return kNoChildren;
    }
    if (!children) {
      list->bad = true;
    } else {
      std::string name;
      Folded folded;
      for (std::size_t i = 0; children[i]; ++i) {
        CharBuf raw;
        raw.p = hivex_node_name(hive.h, children[i]);
        if (!raw.p) continue;  // a name hivex cannot read: skip the key
        DecodeName(raw.p, &name, &folded);
        if (!list->byName.emplace(folded, list->names.size()).second) continue;
        list->names.push_back(name);
        list->nodes.push_back(children[i]);
      }
      std::free(children);
      list->sortedNodes = list->nodes;
      std::sort(list->sortedNodes.begin(), list->sortedNodes.end());
    }
    if (hive.lists.size() >= kMaxCachedLists) hive.lists.clear();
    hive.lists.emplace(node, list);
    return list;
  }

  // Finds the child `name` of `node`, or 0.
  hive_node_h FindChild(int id, hive_node_h node, const std::string& name) {
    auto list = Children(id, node);
    auto it = list->byName.find(FoldCp1252(name));
    return it == list->byName.end() ? 0 : list->nodes[it->second];
  }

  long AddChild(int id, hive_node_h node, const std::string& name, hive_node_h* child) {
    errno = 0;
    hive_node_h added = hivex_node_add_child(hives[id].h, node, Utf8FromCp1252(name).c_str());
    if (!added) return kErrorRegistryIoFailed;
    hives[id].lists.erase(node);
    Changed(id);
    *child = added;
    return kErrorSuccess;
  }

  // The base of a path: a predefined root or an open handle.
  long Base(RegKey key, HiveHandle* out) {
    if (key >= kHkeyClassesRoot && key <= kHkeyDynData) {
      out->access = kKeyAllAccess;
      out->chain.clear();
      switch (key) {
        case kHkeyLocalMachine:
          out->loc = Loc{-1, 0, Virt::kMachine, 0};
          return kErrorSuccess;
        case kHkeyCurrentUser:
          if (!Present(kUser)) {
            out->loc = Loc{-1, 0, Virt::kUserRoot, 0};
          } else {
            out->loc = Loc{kUser, Root(kUser), Virt::kNone, kUserRootFlag};
            out->chain = {out->loc.node};
          }
          return kErrorSuccess;
        case kHkeyClassesRoot: {
          if (!Present(kSoftware)) return kErrorFileNotFound;
          hive_node_h classes = FindChild(kSoftware, Root(kSoftware), "Classes");
          if (!classes || classes == Root(kSoftware)) return kErrorFileNotFound;
          out->loc = Loc{kSoftware, classes, Virt::kNone, 0};
          out->chain = {Root(kSoftware), classes};
          return kErrorSuccess;
        }
        default:
          return kErrorFileNotFound;
      }
    }
    auto it = handles.find(key);
    if (it == handles.end()) return kErrorInvalidHandle;
    out->loc = it->second->loc;
    out->chain = it->second->chain;
    out->access = it->second->access;
    return kErrorSuccess;
  }

  // One step down from `at` (with its chain) to `name`, creating the key when
  // `create` is set. Status 2 when it is not there.
  long Step(HiveHandle* at, const std::string& name, bool create) {
    if (name.size() > kMaxKeyNameChars) return create ? kErrorInvalidParameter : kErrorFileNotFound;
    const Loc& loc = at->loc;
    const Folded folded = FoldCp1252(name);

    if ((loc.flags & (kMachineSoftware | kUserSoftware)) && folded == "TARNWICK")
      return StepIntoSettings(at, (loc.flags & kMachineSoftware) ? "Machine" : "User", name, create);

    switch (loc.virt) {
      case Virt::kMachine:
        if (folded == "SOFTWARE") {
          at->loc = Present(kSoftware) ? Loc{kSoftware, Root(kSoftware), Virt::kNone, kMachineSoftware}
                                       : Loc{-1, 0, Virt::kEmpty, kMachineSoftware};
          at->chain.assign(Present(kSoftware) ? 1 : 0, at->loc.node);
          return kErrorSuccess;
        }
        if (folded == "SYSTEM" && Present(kSystem)) {
          at->loc = Loc{kSystem, Root(kSystem), Virt::kNone, kSystemRoot};
          at->chain = {at->loc.node};
          return kErrorSuccess;
        }
        return create ? kErrorAccessDenied : kErrorFileNotFound;
      case Virt::kUserRoot:
        if (folded == "SOFTWARE") {
          at->loc = Loc{-1, 0, Virt::kEmpty, kUserSoftware};
          return kErrorSuccess;
        }
        return create ? kErrorAccessDenied : kErrorFileNotFound;
      case Virt::kEmpty:
        return create ? kErrorAccessDenied : kErrorFileNotFound;
      case Virt::kNone:
        break;
    }

    std::string lookFor = name;
    if ((loc.flags & kSystemRoot) && folded == "CURRENTCONTROLSET") {
      lookFor = CurrentControlSetName();
      if (lookFor.empty()) return kErrorFileNotFound;
      create = false;
    }
    hive_node_h child = FindChild(loc.hive, loc.node, lookFor);
    if (!child) {
      if (!create) return kErrorFileNotFound;
      if (readOnly) return kErrorAccessDenied;
      long status = AddChild(loc.hive, loc.node, lookFor, &child);
      if (status != kErrorSuccess) return status;
    }
    return Descend(at, Loc{loc.hive, child, Virt::kNone,
                           static_cast<std::uint8_t>((loc.flags & kUserRootFlag) && folded == "SOFTWARE"
                                                         ? kUserSoftware
                                                         : 0)});
  }

  long Descend(HiveHandle* at, const Loc& next) {
    // A subkey list that leads back to a key on the way down is a loop in
    // a damaged hive: it is not followed.
    if (std::find(at->chain.begin(), at->chain.end(), next.node) != at->chain.end())
      return kErrorRegistryCorrupt;
    if (at->chain.size() >= kMaxDepth) return kErrorRegistryCorrupt;
    at->loc = next;
    at->chain.push_back(next.node);
    return kErrorSuccess;
  }

  long StepIntoSettings(HiveHandle* at, const char* branch, const std::string& name, bool create) {
    hive_node_h root = Root(kSettings);
    hive_node_h node = root;
    std::vector<hive_node_h> chain = {root};
    for (const std::string& part : {std::string(branch), std::string("Tarnwick")}) {
      hive_node_h child = FindChild(kSettings, node, part == "Tarnwick" ? name : part);
      if (!child) {
        if (!create) return kErrorFileNotFound;
        if (readOnly) return kErrorAccessDenied;
        long status = AddChild(kSettings, node, part == "Tarnwick" ? name : part, &child);
        if (status != kErrorSuccess) return status;
      }
      if (std::find(chain.begin(), chain.end(), child) != chain.end()) return kErrorRegistryCorrupt;
      chain.push_back(child);
      node = child;
    }
    at->loc = Loc{kSettings, node, Virt::kNone, 0};
    at->chain = std::move(chain);
    return kErrorSuccess;
  }

  std::string CurrentControlSetName() {
    hive_h* h = hives[kSystem].h;
    hive_node_h select = FindChild(kSystem, Root(kSystem), "Select");
    if (!select) return "";
    errno = 0;
    hive_value_h* values = hivex_node_values(h, select);
    if (!values) return "";
    std::string result;
    std::string name;
    Folded folded;
    for (std::size_t i = 0; values[i] && result.empty(); ++i) {
      CharBuf key;
      key.p = hivex_value_key(h, values[i]);
      if (!key.p) continue;
      DecodeName(key.p, &name, &folded);
      if (folded != "CURRENT") continue;
      std::uint32_t type;
      std::string data;
      if (!ReadValueData(h, values[i], &type, &data) || type != kRegDword || data.size() < 4) break;
      std::uint32_t n = 0;
      for (int k = 3; k >= 0; --k) n = (n << 8) | static_cast<unsigned char>(data[k]);
      if (n == 0 || n > 999) break;
      char buf[32];
      std::snprintf(buf, sizeof buf, "ControlSet%03u", n);
      result = buf;
    }
    std::free(values);
    return result;
  }

  long Resolve(RegKey key, const std::string& subKey, bool create, HiveHandle* out) {
    long status = Base(key, out);
    if (status != kErrorSuccess) return status;
    for (const std::string& part : SplitPath(subKey)) {
      status = Step(out, part, create);
      if (status != kErrorSuccess) return status;
    }
    return kErrorSuccess;
  }

  HiveHandle* Find(RegKey key, long* status) {
    if (key >= kHkeyClassesRoot && key <= kHkeyDynData) {
      auto& root = roots[key - kHkeyClassesRoot];
      if (!root) {
        auto h = std::make_unique<HiveHandle>();
        *status = Base(key, h.get());
        if (*status != kErrorSuccess) return nullptr;
        root = std::move(h);
      }
      *status = kErrorSuccess;
      return root.get();
    }
    auto it = handles.find(key);
    if (it == handles.end()) {
      *status = kErrorInvalidHandle;
      return nullptr;
    }
    *status = kErrorSuccess;
    return it->second.get();
  }

  RegKey Add(std::unique_ptr<HiveHandle> h) {
    RegKey key;
    do {
      key = nextHandle;
      nextHandle = nextHandle + 4 >= kHkeyClassesRoot ? 0x100 : nextHandle + 4;
    } while (handles.count(key));
    handles.emplace(key, std::move(h));
    return key;
  }

  std::uint64_t Generation(const Loc& loc) const { return loc.hive < 0 ? 0 : hives[loc.hive].generation; }

  const ChildList& Keys(HiveHandle* h) {
    if (h->keys && h->keysGeneration == Generation(h->loc)) return *h->keys;
    h->keysGeneration = Generation(h->loc);
    if (h->loc.virt != Virt::kNone) {
      auto list = std::make_shared<ChildList>();
      if (h->loc.virt == Virt::kMachine) {
        list->names.push_back("SOFTWARE");
        if (Present(kSystem)) list->names.push_back("SYSTEM");
      } else if (h->loc.virt == Virt::kUserRoot) {
        list->names.push_back("Software");
      }
      h->keys = list;
      return *h->keys;
    }
    auto list = Children(h->loc.hive, h->loc.node);
    // Leave out children that lead back up the chain (a looping hive).
    bool loops = false;
    for (hive_node_h n : h->chain)
      loops = loops || std::binary_search(list->sortedNodes.begin(), list->sortedNodes.end(), n);
    if (loops) {
      auto filtered = std::make_shared<ChildList>();
      for (std::size_t i = 0; i < list->nodes.size(); ++i) {
        if (std::find(h->chain.begin(), h->chain.end(), list->nodes[i]) != h->chain.end()) continue;
        filtered->names.push_back(list->names[i]);
        filtered->nodes.push_back(list->nodes[i]);
      }
      list = filtered;
    }
    h->keys = list;
    return *h->keys;
  }

  void TakeValues(HiveHandle* h) {
    if (h->haveValues && h->valuesGeneration == Generation(h->loc)) return;
    h->haveValues = true;
    h->valuesGeneration = Generation(h->loc);
    h->valuesBad = false;
    h->rawValues.clear();
    h->values.clear();
    h->scanned = 0;
    h->cachedIndex = SIZE_MAX;
    if (h->loc.virt != Virt::kNone) return;
    errno = 0;
    hive_value_h* values = hivex_node_values(hives[h->loc.hive].h, h->loc.node);
    if (!values) {
      h->valuesBad = true;
      return;
    }
    for (std::size_t i = 0; values[i]; ++i) h->rawValues.push_back(values[i]);
    std::free(values);
  }

  // Extends the readable values of `h` until `index` is known or the list ends.
  void ScanValues(HiveHandle* h, std::size_t index) {
    hive_h* hv = h->loc.hive < 0 ? nullptr : hives[h->loc.hive].h;
    std::string name;
    Folded folded;
    while (h->values.size() <= index && h->scanned < h->rawValues.size()) {
      hive_value_h v = h->rawValues[h->scanned++];
      CharBuf key;
      errno = 0;
      key.p = hivex_value_key(hv, v);
      if (!key.p) continue;
      // A value whose data cannot be read is left out, as if it were not there.
      if (!ReadProgramData(hv, v, &h->cachedType, &h->cachedData)) {
        h->cachedIndex = SIZE_MAX;
        continue;
      }
      DecodeName(key.p, &name, &folded);
      h->values.push_back(ValueEntry{v, name});
      h->cachedIndex = h->values.size() - 1;
    }
  }

  struct StoredValue {
    std::string keyUtf8;
    Folded folded;
    std::uint32_t type;
    std::string data;
  };

  // Every value of a node as stored, for rewriting the node's value set.
  long ReadAllValues(int id, hive_node_h node, std::vector<StoredValue>* out) {
    hive_h* h = hives[id].h;
    errno = 0;
    hive_value_h* values = hivex_node_values(h, node);
    if (!values) return kErrorRegistryCorrupt;
    long status = kErrorSuccess;
    std::string name;
    for (std::size_t i = 0; values[i]; ++i) {
      StoredValue sv;
      CharBuf key;
      errno = 0;
      key.p = hivex_value_key(h, values[i]);
      // Rewriting would lose a value that cannot be read: refuse instead.
      if (!key.p || !ReadValueData(h, values[i], &sv.type, &sv.data)) {
        status = kErrorRegistryCorrupt;
        break;
      }
      sv.keyUtf8 = key.p;
      DecodeName(key.p, &name, &sv.folded);
      out->push_back(std::move(sv));
    }
    std::free(values);
    return status;
  }

  long WriteAllValues(int id, hive_node_h node, const std::vector<StoredValue>& values) {
    std::vector<hive_set_value> set(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
      set[i].key = const_cast<char*>(values[i].keyUtf8.c_str());
      set[i].t = static_cast<hive_type>(values[i].type);
      set[i].len = values[i].data.size();
      set[i].value = const_cast<char*>(values[i].data.data());
    }
    errno = 0;
    int rc = hivex_node_set_values(hives[id].h, node, set.size(), set.data(), 0);
    Changed(id);  // even a failed rewrite may have touched the node
    return rc == 0 ? kErrorSuccess : kErrorRegistryIoFailed;
  }

  bool CommitHive(Hive& hive) {
    const std::string tmp = hive.path + ".hw-new";
    struct stat st {};
    const bool haveMode = ::stat(hive.path.c_str(), &st) == 0;
    errno = 0;
    if (hivex_commit(hive.h, tmp.c_str(), 0) != 0) {
      flushError = "Cannot write the registry hive " + hive.path + ": " + std::strerror(errno);
      std::remove(tmp.c_str());
      return false;
    }
    if (haveMode) ::chmod(tmp.c_str(), st.st_mode & 07777);
    if (!SyncPath(tmp, O_RDONLY) || std::rename(tmp.c_str(), hive.path.c_str()) != 0) {
      flushError = "Cannot replace the registry hive " + hive.path + ": " + std::strerror(errno);
      std::remove(tmp.c_str());
      return false;
    }
    const fs::path folder = fs::path(hive.path).parent_path();
    SyncPath(folder.empty() ? "." : folder.string(), O_RDONLY | O_DIRECTORY);
    hive.dirty = false;
    return true;
  }

  // Checks the file before hivex sees it, so the message can say what is wrong.
  bool OpenHive(int id, const std::string& path, std::string* error, long* number) {
    const std::string what = std::string("The ") + kHiveRole[id] + " hive file " + path;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
      *error = what + " does not exist";
      *number = kErrFileNotFound;
      return false;
    }
    *number = kErrPathFileAccess;
    const auto size = fs::file_size(path, ec);
    std::string head(4096, '\0');
    {
      std::ifstream in(path, std::ios::binary);
      in.read(&head[0], static_cast<std::streamsize>(head.size()));
      if (ec || !in) {
        *error = what + (size < 8192 && !ec ? " is too short to be a registry hive" : " cannot be read");
        return false;
      }
    }
    if (head.compare(0, 4, "regf") != 0) {
      *error = what + " is not a registry hive";
      return false;
    }
    std::uint32_t binsLength = 0;
    for (int k = 3; k >= 0; --k) binsLength = (binsLength << 8) | static_cast<unsigned char>(head[0x28 + k]);
    if (binsLength == 0 || 4096ull + binsLength > size) {
      *error = what + " is truncated: it has " + std::to_string(size) + " bytes, its header promises " +
               std::to_string(4096ull + binsLength);
      return false;
    }
    errno = 0;
    hive_h* h = hivex_open(path.c_str(), readOnly ? 0 : HIVEX_OPEN_WRITE);
    if (!h) {
      *error = what + " is damaged or not supported (" + std::strerror(errno ? errno : EINVAL) + ")";
      return false;
    }
    if (!hivex_root(h)) {
      hivex_close(h);
      *error = what + " has no root key";
      return false;
    }
    hives[id].h = h;
    hives[id].path = path;
    return true;
  }
};

// ---- OfflineMachine ----------------------------------------------------------

OfflineMachine OfflineMachine::FromWindowsFolder(const std::string& installRoot,
                                                 const std::string& userProfile,
                                                 const std::string& settingsHive) {
  std::error_code ec;
  if (!fs::is_directory(installRoot, ec))
    throw RuntimeError(kErrPathNotFound, "The Windows folder " + installRoot + " does not exist");
  OfflineMachine m;
  m.softwareHive = FindNoCase(installRoot, {"Windows", "System32", "config", "SOFTWARE"});
  m.systemHive = FindNoCase(installRoot, {"Windows", "System32", "config", "SYSTEM"});
  if (!userProfile.empty()) {
    std::string profile = userProfile;
    std::replace(profile.begin(), profile.end(), '\\', '/');
    std::vector<std::string> parts;
    fs::path base = fs::path(profile).is_absolute() ? fs::path("/") : fs::path(installRoot);
    for (const auto& part : fs::path(profile).relative_path()) parts.push_back(part.string());
    parts.push_back("NTUSER.DAT");
    m.userHive = FindNoCase(base, parts);
  }
  m.settingsHive = settingsHive;
  return m;
}

// ---- HiveRegistry ------------------------------------------------------------

HiveRegistry::HiveRegistry() : impl_(std::make_unique<Impl>()) {}

HiveRegistry::HiveRegistry(const OfflineMachine& machine) : HiveRegistry() {
  std::string error;
  long number = 0;
  if (!Init(machine, &error, &number)) throw RuntimeError(number, error);
}

std::unique_ptr<HiveRegistry> HiveRegistry::Open(const OfflineMachine& machine, std::string* error) {
  std::unique_ptr<HiveRegistry> registry(new HiveRegistry());
  long number = 0;
  std::string message;
  if (!registry->Init(machine, &message, &number)) {
    if (error) *error = message;
    return nullptr;
  }
  return registry;
}

bool HiveRegistry::Init(const OfflineMachine& machine, std::string* error, long* number) {
  Impl& im = *impl_;
  im.readOnly = machine.readOnly;
  if (machine.settingsHive.empty()) {
    *error = "No settings hive file was given";
    *number = kErrBadFileName;
    return false;
  }
  const std::string paths[kHiveCount] = {machine.softwareHive, machine.systemHive, machine.userHive,
                                         machine.settingsHive};
  // One file serving as two hives would be committed twice over itself.
  for (int a = 0; a < kHiveCount; ++a)
    for (int b = a + 1; b < kHiveCount; ++b) {
      std::error_code ec;
      if (!paths[a].empty() && !paths[b].empty() &&
          (paths[a] == paths[b] || fs::equivalent(paths[a], paths[b], ec))) {
        *error = "The hive file " + paths[a] + " is given both as the " + kHiveRole[a] + " and the " +
                 kHiveRole[b] + " hive";
        *number = kErrBadFileName;
        return false;
      }
    }
  std::error_code ec;
  if (!fs::exists(machine.settingsHive, ec) && !WriteBlankHive(machine.settingsHive, error)) {
    *number = kErrPathFileAccess;
    return false;
  }
  for (int id = 0; id < kHiveCount; ++id)
    if (!paths[id].empty() && !im.OpenHive(id, paths[id], error, number)) return false;
  return true;
}

HiveRegistry::~HiveRegistry() {
  if (impl_ && !impl_->readOnly) Flush();
}

std::size_t HiveRegistry::OpenHandleCount() const { return impl_->handles.size(); }
std::string HiveRegistry::LastFlushError() const { return impl_->flushError; }

bool HiveRegistry::WriteBlankHive(const std::string& path, std::string* error) {
  std::string name = fs::path(path).filename().string();
  return WriteFileAtomically(path, MakeBlankHive("ROOT", name), false, error);
}

long HiveRegistry::OpenKeyEx(RegKey key, const std::string& subKey, std::uint32_t /*options*/,
                             std::uint32_t samDesired, RegKey* result) {
  if (!result) return kErrorInvalidParameter;
  auto h = std::make_unique<HiveHandle>();
  long status = impl_->Resolve(key, subKey, false, h.get());
  if (status != kErrorSuccess) return status;
  h->access = MapGenericAccess(samDesired);
  if (impl_->readOnly && (h->access & kWriteBits)) return kErrorAccessDenied;
  *result = impl_->Add(std::move(h));
  return kErrorSuccess;
}

long HiveRegistry::CreateKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired,
                               RegKey* result) {
  if (!result) return kErrorInvalidParameter;
  auto h = std::make_unique<HiveHandle>();
  long status = impl_->Resolve(key, subKey, true, h.get());
  if (status != kErrorSuccess) return status;
  h->access = MapGenericAccess(samDesired);
  if (impl_->readOnly && (h->access & kWriteBits)) return kErrorAccessDenied;
  *result = impl_->Add(std::move(h));
  return kErrorSuccess;
}

long HiveRegistry::EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t nameChars) {
  long status;
  HiveHandle* h = impl_->Find(key, &status);
  if (!h) return status;
  if (!(h->access & kKeyEnumerateSubKeys)) return kErrorAccessDenied;
  const ChildList& keys = impl_->Keys(h);
  if (keys.bad) return kErrorRegistryCorrupt;
  if (index >= keys.names.size()) return kErrorNoMoreItems;
  const std::string& found = keys.names[index];
  if (!name || found.size() + 1 > nameChars) return kErrorMoreData;
  std::memcpy(name, found.c_str(), found.size() + 1);
  return kErrorSuccess;
}

long HiveRegistry::EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameChars,
                             std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataBytes) {
  long status;
  HiveHandle* h = impl_->Find(key, &status);
  if (!h) return status;
  if (!nameChars || (data && !dataBytes)) return kErrorInvalidParameter;
  if (!(h->access & kKeyQueryValue)) return kErrorAccessDenied;
  impl_->TakeValues(h);
  if (h->valuesBad) return kErrorRegistryCorrupt;
  impl_->ScanValues(h, index);
  if (index >= h->values.size()) return kErrorNoMoreItems;
  const ValueEntry& entry = h->values[index];
  if (h->cachedIndex != index) {
    h->cachedIndex = SIZE_MAX;
    if (!ReadProgramData(impl_->hives[h->loc.hive].h, entry.value, &h->cachedType, &h->cachedData))
      return kErrorRegistryCorrupt;
    h->cachedIndex = index;
  }
  if (!name || entry.name.size() + 1 > *nameChars) return kErrorMoreData;
  const std::uint32_t length = static_cast<std::uint32_t>(h->cachedData.size());
  if (data && *dataBytes < length) {
    if (type) *type = h->cachedType;
    *dataBytes = length;
    return kErrorMoreData;
  }
  std::memcpy(name, entry.name.c_str(), entry.name.size() + 1);
  *nameChars = static_cast<std::uint32_t>(entry.name.size());
  if (type) *type = h->cachedType;
  if (data) std::memcpy(data, h->cachedData.data(), length);
  if (dataBytes) *dataBytes = length;
  return kErrorSuccess;
}

long HiveRegistry::QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type,
                                std::uint8_t* data, std::uint32_t* dataBytes) {
  long status;
  HiveHandle* h = impl_->Find(key, &status);
  if (!h) return status;
  if (data && !dataBytes) return kErrorInvalidParameter;
  if (!(h->access & kKeyQueryValue)) return kErrorAccessDenied;
  if (h->loc.virt != Virt::kNone) return kErrorFileNotFound;
  hive_h* hv = impl_->hives[h->loc.hive].h;
  errno = 0;
  hive_value_h* values = hivex_node_values(hv, h->loc.node);
  if (!values) return kErrorRegistryCorrupt;
  const Folded want = FoldCp1252(valueName);
  std::string name;
  Folded folded;
  status = kErrorFileNotFound;
  std::uint32_t foundType = 0;
  std::string bytes;
  for (std::size_t i = 0; values[i]; ++i) {
    CharBuf keyName;
    errno = 0;
    keyName.p = hivex_value_key(hv, values[i]);
    if (!keyName.p) continue;
    DecodeName(keyName.p, &name, &folded);
    if (folded != want) continue;
    status = ReadProgramData(hv, values[i], &foundType, &bytes) ? kErrorSuccess : kErrorRegistryCorrupt;
    break;
  }
  std::free(values);
  if (status != kErrorSuccess) return status;
  const std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
  if (type) *type = foundType;
  if (data && *dataBytes < length) {
    *dataBytes = length;
    return kErrorMoreData;
  }
  if (data) std::memcpy(data, bytes.data(), length);
  if (dataBytes) *dataBytes = length;
  return kErrorSuccess;
}

long HiveRegistry::SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t dataBytes) {
  long status;
  HiveHandle* h = impl_->Find(key, &status);
  if (!h) return status;
  if (!(h->access & kKeySetValue) || impl_->readOnly || h->loc.virt != Virt::kNone) return kErrorAccessDenied;
  if ((!data && dataBytes) || valueName.size() > kMaxValueNameChars) return kErrorInvalidParameter;
  std::vector<Impl::StoredValue> values;
  status = impl_->ReadAllValues(h->loc.hive, h->loc.node, &values);
  if (status != kErrorSuccess) return status;
  Impl::StoredValue nv;
  nv.keyUtf8 = Utf8FromCp1252(valueName);
  nv.folded = FoldCp1252(valueName);
  nv.type = type;
  std::string given(reinterpret_cast<const char*>(data ? data : reinterpret_cast<const std::uint8_t*>("")),
                    dataBytes);
  nv.data = IsStringType(type) ? Utf16LeFromCp1252(given) : given;
  auto same = std::find_if(values.begin(), values.end(),
                           [&](const Impl::StoredValue& v) { return v.folded == nv.folded; });
  if (same != values.end()) {
    nv.keyUtf8 = same->keyUtf8;  // the stored name keeps its case, as in Windows
    *same = std::move(nv);
  } else {
    values.push_back(std::move(nv));
  }
  return impl_->WriteAllValues(h->loc.hive, h->loc.node, values);
}

long HiveRegistry::DeleteValue(RegKey key, const std::string& valueName) {
  long status;
  HiveHandle* h = impl_->Find(key, &status);
  if (!h) return status;
  if (!(h->access & kKeySetValue) || impl_->readOnly) return kErrorAccessDenied;
  if (h->loc.virt != Virt::kNone) return kErrorFileNotFound;
  std::vector<Impl::StoredValue> values;
  status = impl_->ReadAllValues(h->loc.hive, h->loc.node, &values);
  if (status != kErrorSuccess) return status;
  const Folded want = FoldCp1252(valueName);
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const Impl::StoredValue& v) { return v.folded == want; });
  if (it == values.end()) return kErrorFileNotFound;
  values.erase(it);
  return impl_->WriteAllValues(h->loc.hive, h->loc.node, values);
}

long HiveRegistry::CloseKey(RegKey key) {
  if (key >= kHkeyClassesRoot && key <= kHkeyDynData) return kErrorSuccess;
  return impl_->handles.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

long HiveRegistry::Flush() {
  Impl& im = *impl_;
  if (im.readOnly) return kErrorSuccess;
  long status = kErrorSuccess;
  for (auto& hive : im.hives)
    if (hive.h && hive.dirty && !im.CommitHive(hive)) status = kErrorRegistryIoFailed;
  if (status == kErrorSuccess) im.flushError.clear();
  return status;
}

}  // namespace hw
