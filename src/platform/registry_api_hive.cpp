#include "platform/registry_api_hive.h"

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
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/blank_hive.h"
#include "platform/code_page.h"
#include "platform/runtime_error.h"

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
// Path steps remembered for the next lookup (deeper steps are looked up).
constexpr std::size_t kMemoSteps = 32;
// Closed handles kept for reuse: a walk opens and closes one per key, and
// each holds a few buffers. A handle that grew big buffers is not kept.
constexpr std::size_t kSpareHandles = 32;
constexpr std::size_t kMaxSpareBytes = 1u << 16;

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

char AsciiUpper(unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 0x20 : c); }

void FoldText(std::string_view name, Folded* f) {
  // Most names are ASCII: fold those in place, byte for byte.
  f->assign(name.data(), name.size());
  std::size_t i = 0;
  for (; i < name.size() && static_cast<unsigned char>(name[i]) < 0x80; ++i)
    (*f)[i] = AsciiUpper(static_cast<unsigned char>(name[i]));
  if (i == name.size()) return;
  f->resize(i);
  while (i < name.size()) AppendFolded(f, NextUtf8(name.data(), name.size(), &i));
}

// Whether `name` folds to `folded`, without making the folded form for
// ASCII names.
bool FoldsTo(std::string_view name, const Folded& folded, Folded* scratch) {
  if (name.size() == folded.size()) {
    std::size_t i = 0;
    for (; i < name.size() && static_cast<unsigned char>(name[i]) < 0x80; ++i)
      if (AsciiUpper(static_cast<unsigned char>(name[i])) != folded[i]) return false;
    if (i == name.size()) return true;
  }
  FoldText(name, scratch);
  return *scratch == folded;
}

Folded FoldText(std::string_view name) {
  Folded f;
  FoldText(name, &f);
  return f;
}

// hivex hands out names as UTF-8; one pass gives the program's form of the
// name, appended to `*text`, and, unless `folded` is null, the folded form
// used to compare names, appended to `*folded`.
void AppendDecoded(const char* utf8, std::string* text, Folded* folded) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
  while (*p) {
    if (*p < 0x80) {  // most names are ASCII: take the run whole
      const unsigned char* run = p;
      while (*p && *p < 0x80) ++p;
      const std::size_t length = static_cast<std::size_t>(p - run);
      text->append(reinterpret_cast<const char*>(run), length);
      if (folded) {
        const std::size_t at = folded->size();
        folded->resize(at + length);
        for (std::size_t k = 0; k < length; ++k) (*folded)[at + k] = AsciiUpper(run[k]);
      }
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
    AppendUtf8(*text, u);
    if (folded) AppendFolded(folded, u);
  }
}

void DecodeName(const char* utf8, std::string* text, Folded* folded) {
  text->clear();
  folded->clear();
  AppendDecoded(utf8, text, folded);
}

struct Loc {
  int hive = -1;
  hive_node_h node = 0;
  Virt virt = Virt::kNone;
  std::uint8_t flags = 0;
};

// The subkeys of a key in list order, with an index of their folded names.
// Flat storage (one block of names, one open-addressing table), since a
// walk builds one of these for every key that has subkeys.
class ChildList {
 public:
  static constexpr std::size_t npos = SIZE_MAX;

  bool bad = false;  // hivex could not read the subkey list

  std::size_t size() const { return entries_.size(); }
  std::string_view Name(std::size_t i) const {
    const Entry& e = entries_[At(i)];
    return std::string_view(names_).substr(e.textAt, e.textLength);
  }
  hive_node_h Node(std::size_t i) const { return entries_[At(i)].node; }

  // The node of the child whose folded name is `folded`, or 0.
  hive_node_h Find(std::string_view folded) const {
    const std::size_t at = Slot(folded, Hash(folded));
    return at == npos || !slots_[at] ? 0 : entries_[slots_[at] - 1].node;
  }

  // Puts a child at `position` in the list order, unless a child of the same
  // folded name is there already (the first one wins, as lookups go).
  bool Insert(std::size_t position, std::string_view name, std::string_view folded, hive_node_h node) {
    if ((entries_.size() + 1) * 2 > slots_.size()) Rehash(std::max<std::size_t>(16, slots_.size() * 2));
    const std::uint32_t hash = Hash(folded);
    const std::size_t at = Slot(folded, hash);
    if (slots_[at]) return false;
    const std::size_t count = entries_.size();
    if (position < count && order_.empty()) {  // no longer in the order added
      order_.resize(count);
      for (std::size_t k = 0; k < count; ++k) order_[k] = static_cast<std::uint32_t>(k);
    }
    entries_.push_back(Entry{node, static_cast<std::uint32_t>(names_.size()), static_cast<std::uint32_t>(name.size()),
                             static_cast<std::uint32_t>(names_.size() + name.size()),
                             static_cast<std::uint32_t>(folded.size()), hash});
    names_.append(name);
    names_.append(folded);
    slots_[at] = static_cast<std::uint32_t>(entries_.size());
    if (!order_.empty() || position < count)
      order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(std::min(position, order_.size())),
                    static_cast<std::uint32_t>(count));
    return true;
  }
  bool Append(std::string_view name, std::string_view folded, hive_node_h node) {
    return Insert(npos, name, folded, node);
  }
  void Reserve(std::size_t count) {
    entries_.reserve(count);
    std::size_t slots = 16;
    while (slots < count * 2) slots *= 2;
    if (slots > slots_.size()) Rehash(slots);
  }

 private:
  struct Entry {
    hive_node_h node;
    std::uint32_t textAt, textLength, foldedAt, foldedLength, hash;
  };

  static std::uint32_t Hash(std::string_view folded) {
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (char c : folded) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h;
  }
  // The slot holding `folded`, or the empty slot where it would go.
  std::size_t Slot(std::string_view folded, std::uint32_t hash) const {
    if (slots_.empty()) return npos;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      if (!slots_[i]) return i;
      const Entry& e = entries_[slots_[i] - 1];
      if (e.hash == hash && std::string_view(names_).substr(e.foldedAt, e.foldedLength) == folded) return i;
    }
  }
  void Rehash(std::size_t count) {
    slots_.assign(count, 0);
    for (std::size_t k = 0; k < entries_.size(); ++k) {
      std::size_t i = entries_[k].hash & (count - 1);
      while (slots_[i]) i = (i + 1) & (count - 1);
      slots_[i] = static_cast<std::uint32_t>(k + 1);
    }
  }

  // The list order as indices into entries_; empty while that is the
  // order they were added in, as it is unless a key was put in between.
  std::size_t At(std::size_t i) const { return order_.empty() ? i : order_[i]; }

  std::string names_;  // each name in the program's form, then folded
  std::vector<Entry> entries_;        // in the order they were added
  std::vector<std::uint32_t> order_;
  std::vector<std::uint32_t> slots_;  // entry index + 1; 0 is free
};

struct ValueEntry {
  hive_value_h value;
  std::uint32_t nameAt, nameLength;  // in HiveHandle::valueNames
};

struct CharBuf {
  char* p = nullptr;
  ~CharBuf() { std::free(p); }
};

// A value's type is any 32-bit number, more than hive_type's enumerators
// span: its bits are copied, never loaded or cast as the enum.
static_assert(sizeof(hive_type) == sizeof(std::uint32_t), "hive_type holds a 32-bit type");
std::uint32_t TypeBits(const hive_type& t) {
  std::uint32_t bits;
  std::memcpy(&bits, &t, sizeof bits);
  return bits;
}

bool ReadValueData(hive_h* h, hive_value_h v, std::uint32_t* type, std::string* bytes) {
  errno = 0;
  hive_type t;
  std::size_t len = 0;
  CharBuf buf;
  buf.p = hivex_value_value(h, v, &t, &len);
  if (!buf.p) return false;
  *type = TypeBits(t);
  bytes->assign(buf.p, len);
  return true;
}

bool IsStringType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

// The data in the program's form: strings in UTF-8, the rest as stored.
bool ReadProgramData(hive_h* h, hive_value_h v, std::uint32_t* type, std::string* bytes) {
  errno = 0;
  hive_type t;
  std::size_t len = 0;
  CharBuf buf;
  buf.p = hivex_value_value(h, v, &t, &len);
  if (!buf.p) return false;
  *type = TypeBits(t);
  if (IsStringType(*type))
    Utf8FromUtf16Le(reinterpret_cast<const std::uint8_t*>(buf.p), len, bytes);
  else
    bytes->assign(buf.p, len);
  return true;
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

}  // namespace

struct HiveHandle {
  Loc loc;
  std::vector<hive_node_h> chain;  // the nodes from the hive's root down to loc
  std::uint32_t access = 0;

  // The hive's cached list, or one of the handle's own (a virtual key, or a
  // list cut short where it loops). A list changed in place is read again
  // because the hive's generation moves on.
  std::shared_ptr<const ChildList> keys;
  std::uint64_t keysGeneration = 0;

  bool haveValues = false;
  bool valuesBad = false;
  std::uint64_t valuesGeneration = 0;
  std::vector<hive_value_h> rawValues;
  std::size_t scanned = 0;
  std::vector<ValueEntry> values;  // the readable ones, in list order
  std::string valueNames;          // their names, back to back
  // The data of the value read last while scanning, so a walk reads each
  // value's data once.
  std::size_t cachedIndex = SIZE_MAX;
  std::uint32_t cachedType = 0;
  std::string cachedData;

  // Back to a fresh handle, keeping the storage for the next one.
  void Reset() {
    loc = Loc{};
    chain.clear();
    access = 0;
    keys.reset();
    keysGeneration = 0;
    haveValues = false;
    valuesBad = false;
    valuesGeneration = 0;
    rawValues.clear();
    scanned = 0;
    values.clear();
    valueNames.clear();
    cachedIndex = SIZE_MAX;
    cachedType = 0;
    cachedData.clear();
  }
};

struct HiveRegistry::Impl {
  struct Hive {
    hive_h* h = nullptr;
    std::string path;
    bool dirty = false;
    std::uint64_t generation = 1;
    std::unordered_map<hive_node_h, std::shared_ptr<ChildList>> lists;
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
    ++changes;
  }

  std::uint64_t changes = 0;  // moves on with every change to any hive

  // The states along the last path resolved from a predefined root. A walk
  // opens each key by its full path just after the keys above it, so most
  // of a path was resolved the time before. Holds while no hive changes.
  struct PathMemo {
    RegKey root = 0;
    std::uint64_t changes = 0;
    std::size_t size = 0;  // steps held
    std::vector<Folded> parts;
    std::vector<Loc> locs;  // the state after each step
    std::vector<std::vector<hive_node_h>> chains;
  } memo;
  std::vector<std::string_view> pathParts;

  // Scratch space of the name lookups, kept to spare an allocation per step.
  Folded stepFolded, findFolded;
  std::string decodedText;
  Folded decodedFolded;
  std::string queryBytes;

  // The cached child list of `node` (valid until the cache changes).
  const std::shared_ptr<ChildList>& Children(int id, hive_node_h node) {
    // A walk by path looks in the same parent's list for every sibling.
    if (lastList && lastListId == id && lastListNode == node) return *lastList;
    Hive& hive = hives[id];
    // Keys without subkeys are most keys: share one empty list, cache nothing.
    // The count in the key itself tells, without a look in the cache.
    static const auto kNoChildren = std::make_shared<ChildList>();
    errno = 0;
    if (hivex_node_nr_children(hive.h, node) == 0 && errno == 0) return kNoChildren;
    auto it = hive.lists.find(node);
    if (it != hive.lists.end()) return Remember(id, node, it->second);
    errno = 0;
    hive_node_h* children = hivex_node_children(hive.h, node);
    if (children && !children[0]) {
      std::free(children);
      return kNoChildren;
    }
    auto list = std::make_shared<ChildList>();
    if (!children) {
      list->bad = true;
    } else {
      std::size_t count = 0;
      while (children[count]) ++count;
      list->Reserve(count);
      for (std::size_t i = 0; children[i]; ++i) {
        // A damaged hive may list a key below other keys than its own
        // parent; followed, such links make the tree a graph whose paths
        // grow exponentially with its depth. A key is a child only of the
        // key it names as its parent.
        errno = 0;
        if (hivex_node_parent(hive.h, children[i]) != node) continue;
        CharBuf raw;
        raw.p = hivex_node_name(hive.h, children[i]);
        if (!raw.p) continue;  // a name hivex cannot read: skip the key
        DecodeName(raw.p, &decodedText, &decodedFolded);
        // No path reaches a key with an empty name or a backslash in it:
        // listed, the walk would take "key\" for the key itself, again and
        // again.
        if (decodedText.empty() || decodedText.find('\\') != std::string::npos) continue;
        list->Append(decodedText, decodedFolded, children[i]);
      }
      std::free(children);
    }
    if (hive.lists.size() >= kMaxCachedLists) {
      hive.lists.clear();
      lastList = nullptr;
    }
    return Remember(id, node, hive.lists.emplace(node, std::move(list)).first->second);
  }

  // The list found last; the map's elements stay where they are until erased.
  const std::shared_ptr<ChildList>* lastList = nullptr;
  int lastListId = -1;
  hive_node_h lastListNode = 0;

  const std::shared_ptr<ChildList>& Remember(int id, hive_node_h node, const std::shared_ptr<ChildList>& list) {
    lastList = &list;
    lastListId = id;
    lastListNode = node;
    return list;
  }

  // Finds the child of `node` whose folded name is `folded`, or 0.
  hive_node_h FindFolded(int id, hive_node_h node, std::string_view folded) {
    return Children(id, node)->Find(folded);
  }

  hive_node_h FindChild(int id, hive_node_h node, std::string_view name) {
    FoldText(name, &findFolded);
    return FindFolded(id, node, findFolded);
  }

  long AddChild(int id, hive_node_h node, const std::string& name, hive_node_h* child) {
    hive_h* h = hives[id].h;
    errno = 0;
    hive_node_h added = hivex_node_add_child(h, node, name.c_str());
    if (!added) return kErrorRegistryIoFailed;
    Changed(id);
    *child = added;
    auto it = hives[id].lists.find(node);
    if (it != hives[id].lists.end() && !PutInList(h, node, added, it->second.get()))
    {
      hives[id].lists.erase(it);
      lastList = nullptr;
    }
    return kErrorSuccess;
  }

  // Puts the key just added below `node` into its cached child list, where
  // hivex's list now has it, so the list need not be read again (adding
  // many keys under one parent would otherwise decode every name each time).
  // False when the list has to be read again instead.
  bool PutInList(hive_h* h, hive_node_h node, hive_node_h added, ChildList* list) {
    if (list->bad) return false;
    errno = 0;
    hive_node_h* children = hivex_node_children(h, node);
    if (!children) return false;
    std::size_t position = 0;
    bool found = false;
    for (std::size_t k = 0; children[k]; ++k) {
      if (children[k] == added) {
        found = true;
        break;
      }
      if (position < list->size() && list->Node(position) == children[k]) ++position;
    }
    std::free(children);
    CharBuf raw;
    if (found) raw.p = hivex_node_name(h, added);
    if (!raw.p) return false;
    DecodeName(raw.p, &decodedText, &decodedFolded);
    return list->Insert(position, decodedText, decodedFolded, added);
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
  long Step(HiveHandle* at, std::string_view name, bool create) {
    if (name.size() > kMaxKeyNameChars) return create ? kErrorInvalidParameter : kErrorFileNotFound;
    const Loc& loc = at->loc;
    Folded& folded = stepFolded;
    FoldText(name, &folded);

    if ((loc.flags & (kMachineSoftware | kUserSoftware)) && folded == "TARNWICK")
      return StepIntoSettings(at, (loc.flags & kMachineSoftware) ? "Machine" : "User", std::string(name), create);

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

    const std::uint8_t flags = (loc.flags & kUserRootFlag) && folded == "SOFTWARE" ? kUserSoftware : 0;
    hive_node_h child;
    if ((loc.flags & kSystemRoot) && folded == "CURRENTCONTROLSET") {
      const std::string current = CurrentControlSetName();
      if (current.empty()) return kErrorFileNotFound;
      child = FindChild(loc.hive, loc.node, current);
      if (!child) return kErrorFileNotFound;
    } else {
      child = FindFolded(loc.hive, loc.node, folded);
      if (!child) {
        if (!create) return kErrorFileNotFound;
        if (readOnly) return kErrorAccessDenied;
        long status = AddChild(loc.hive, loc.node, std::string(name), &child);
        if (status != kErrorSuccess) return status;
      }
    }
    return Descend(at, Loc{loc.hive, child, Virt::kNone, flags});
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
    std::vector<std::string_view>& parts = pathParts;
    parts.clear();
    const std::string_view path(subKey);
    for (std::size_t start = 0; start <= path.size();) {
      std::size_t end = path.find('\\', start);
      if (end == std::string_view::npos) end = path.size();
      if (end > start) parts.push_back(path.substr(start, end - start));
      start = end + 1;
    }
    // Creating changes the hive, so only lookups use the memo.
    const bool useMemo = !create && key >= kHkeyClassesRoot && key <= kHkeyDynData;
    std::size_t k = 0;
    if (useMemo) {
      if (memo.root != key || memo.changes != changes) {
        memo.root = key;
        memo.changes = changes;
        memo.size = 0;
      }
      while (k < parts.size() && k < memo.size && FoldsTo(parts[k], memo.parts[k], &stepFolded)) ++k;
      if (k > 0) {
        out->loc = memo.locs[k - 1];
        out->chain = memo.chains[k - 1];
      }
      memo.size = k;
    }
    for (; k < parts.size(); ++k) {
      status = Step(out, parts[k], create);
      if (status != kErrorSuccess) return status;
      if (useMemo && k < kMemoSteps) {
        if (memo.parts.size() <= k) {
          memo.parts.resize(k + 1);
          memo.locs.resize(k + 1);
          memo.chains.resize(k + 1);
        }
        memo.parts[k] = stepFolded;  // Step folded this part already
        memo.locs[k] = out->loc;
        memo.chains[k] = out->chain;
        memo.size = k + 1;
      }
    }
    return kErrorSuccess;
  }

  long Open(RegKey key, const std::string& subKey, bool create, std::uint32_t samDesired, RegKey* result) {
    if (!result) return kErrorInvalidParameter;
    std::unique_ptr<HiveHandle> h = NewHandle();
    long status = Resolve(key, subKey, create, h.get());
    h->access = MapGenericAccess(samDesired);
    if (status == kErrorSuccess && readOnly && (h->access & kWriteBits)) status = kErrorAccessDenied;
    if (status != kErrorSuccess) {
      Recycle(std::move(h));
      return status;
    }
    *result = Add(std::move(h));
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
    // Enumerating calls in here once per item, always with the same key.
    if (key == lastHandleKey && lastHandle) {
      *status = kErrorSuccess;
      return lastHandle;
    }
    auto it = handles.find(key);
    if (it == handles.end()) {
      *status = kErrorInvalidHandle;
      return nullptr;
    }
    *status = kErrorSuccess;
    lastHandleKey = key;
    lastHandle = it->second.get();
    return lastHandle;
  }

  // The handle Find gave last; forgotten when it is closed.
  RegKey lastHandleKey = 0;
  HiveHandle* lastHandle = nullptr;

  std::vector<std::unique_ptr<HiveHandle>> spare;

  std::unique_ptr<HiveHandle> NewHandle() {
    if (spare.empty()) return std::make_unique<HiveHandle>();
    std::unique_ptr<HiveHandle> h = std::move(spare.back());
    spare.pop_back();
    return h;
  }

  void Recycle(std::unique_ptr<HiveHandle> h) {
    if (spare.size() >= kSpareHandles || h->cachedData.capacity() > kMaxSpareBytes ||
        h->valueNames.capacity() > kMaxSpareBytes ||
        (h->rawValues.capacity() + h->values.capacity() + h->chain.capacity()) * sizeof(ValueEntry) > kMaxSpareBytes)
      return;
    h->Reset();
    spare.push_back(std::move(h));
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

  std::vector<hive_node_h> sortedChain;

  const ChildList& Keys(HiveHandle* h) {
    if (h->keys && h->keysGeneration == Generation(h->loc)) return *h->keys;
    h->keysGeneration = Generation(h->loc);
    if (h->loc.virt != Virt::kNone) {
      auto list = std::make_shared<ChildList>();
      if (h->loc.virt == Virt::kMachine) {
        list->Append("SOFTWARE", "SOFTWARE", 0);
        if (Present(kSystem)) list->Append("SYSTEM", "SYSTEM", 0);
      } else if (h->loc.virt == Virt::kUserRoot) {
        list->Append("Software", "SOFTWARE", 0);
      }
      h->keys = list;
      return *h->keys;
    }
    h->keys = Children(h->loc.hive, h->loc.node);
    const ChildList* list = h->keys.get();
    // Leave out children that lead back up the chain (a looping hive).
    std::vector<hive_node_h>& up = sortedChain;
    up.assign(h->chain.begin(), h->chain.end());
    std::sort(up.begin(), up.end());
    bool loops = false;
    for (std::size_t i = 0; i < list->size() && !loops; ++i)
      loops = std::binary_search(up.begin(), up.end(), list->Node(i));
    if (loops) {
      auto filtered = std::make_shared<ChildList>();
      for (std::size_t i = 0; i < list->size(); ++i) {
        if (std::binary_search(up.begin(), up.end(), list->Node(i))) continue;
        filtered->Append(list->Name(i), FoldText(list->Name(i)), list->Node(i));
      }
      h->keys = filtered;
    }
    return *h->keys;
  }

  void TakeValues(HiveHandle* h) {
    if (h->haveValues && h->valuesGeneration == Generation(h->loc)) return;
    h->haveValues = true;
    h->valuesGeneration = Generation(h->loc);
    h->valuesBad = false;
    h->rawValues.clear();
    h->values.clear();
    h->valueNames.clear();
    h->scanned = 0;
    h->cachedIndex = SIZE_MAX;
    if (h->loc.virt != Virt::kNone) return;
    errno = 0;
    hive_value_h* values = hivex_node_values(hives[h->loc.hive].h, h->loc.node);
    if (!values) {
      h->valuesBad = true;
      return;
    }
    std::size_t count = 0;
    while (values[count]) ++count;
    h->rawValues.assign(values, values + count);
    std::free(values);
  }

  // Extends the readable values of `h` until `index` is known or the list ends.
  void ScanValues(HiveHandle* h, std::size_t index) {
    hive_h* hv = h->loc.hive < 0 ? nullptr : hives[h->loc.hive].h;
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
      const std::size_t at = h->valueNames.size();
      AppendDecoded(key.p, &h->valueNames, nullptr);
      h->values.push_back(
          ValueEntry{v, static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(h->valueNames.size() - at)});
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
      std::memcpy(&set[i].t, &values[i].type, sizeof set[i].t);
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
  return impl_->Open(key, subKey, false, samDesired, result);
}

long HiveRegistry::CreateKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired,
                               RegKey* result) {
  return impl_->Open(key, subKey, true, samDesired, result);
}

long HiveRegistry::EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t nameChars) {
  long status;
  HiveHandle* h = impl_->Find(key, &status);
  if (!h) return status;
  if (!(h->access & kKeyEnumerateSubKeys)) return kErrorAccessDenied;
  const ChildList& keys = impl_->Keys(h);
  if (keys.bad) return kErrorRegistryCorrupt;
  if (index >= keys.size()) return kErrorNoMoreItems;
  const std::string_view found = keys.Name(index);
  if (!name || found.size() + 1 > nameChars) return kErrorMoreData;
  std::memcpy(name, found.data(), found.size());
  name[found.size()] = '\0';
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
  const std::string_view entryName = std::string_view(h->valueNames).substr(entry.nameAt, entry.nameLength);
  if (h->cachedIndex != index) {
    h->cachedIndex = SIZE_MAX;
    if (!ReadProgramData(impl_->hives[h->loc.hive].h, entry.value, &h->cachedType, &h->cachedData))
      return kErrorRegistryCorrupt;
    h->cachedIndex = index;
  }
  if (!name || entryName.size() + 1 > *nameChars) return kErrorMoreData;
  const std::uint32_t length = static_cast<std::uint32_t>(h->cachedData.size());
  if (data && *dataBytes < length) {
    if (type) *type = h->cachedType;
    *dataBytes = length;
    return kErrorMoreData;
  }
  std::memcpy(name, entryName.data(), entryName.size());
  name[entryName.size()] = '\0';
  *nameChars = static_cast<std::uint32_t>(entryName.size());
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
  Impl& im = *impl_;
  const Folded want = FoldText(valueName);
  status = kErrorFileNotFound;
  std::uint32_t foundType = 0;
  std::string& bytes = im.queryBytes;
  for (std::size_t i = 0; values[i]; ++i) {
    errno = 0;
    if (want.empty()) {
      // The default value is asked for most: its name is the empty one,
      // which needs no decoding to be told.
      if (hivex_value_key_len(hv, values[i]) != 0 || errno != 0) continue;
    } else {
      CharBuf keyName;
      keyName.p = hivex_value_key(hv, values[i]);
      if (!keyName.p) continue;
      DecodeName(keyName.p, &im.decodedText, &im.decodedFolded);
      if (im.decodedFolded != want) continue;
    }
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
  nv.keyUtf8 = valueName;
  nv.folded = FoldText(valueName);
  nv.type = type;
  std::string given(reinterpret_cast<const char*>(data ? data : reinterpret_cast<const std::uint8_t*>("")),
                    dataBytes);
  nv.data = IsStringType(type) ? Utf16LeFromUtf8(given) : given;
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
  const Folded want = FoldText(valueName);
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const Impl::StoredValue& v) { return v.folded == want; });
  if (it == values.end()) return kErrorFileNotFound;
  values.erase(it);
  return impl_->WriteAllValues(h->loc.hive, h->loc.node, values);
}

long HiveRegistry::CloseKey(RegKey key) {
  if (key >= kHkeyClassesRoot && key <= kHkeyDynData) return kErrorSuccess;
  auto it = impl_->handles.find(key);
  if (it == impl_->handles.end()) return kErrorInvalidHandle;
  if (impl_->lastHandleKey == key) impl_->lastHandle = nullptr;
  impl_->Recycle(std::move(it->second));
  impl_->handles.erase(it);
  return kErrorSuccess;
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
