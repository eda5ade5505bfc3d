#include "checks/exclusions.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "platform/vb_text.h"
#include "registry/scoped_key.h"

namespace hw {

std::string Exclusions::LocationText(const std::string& rootName, const std::string& key,
                                     const std::string& valueName) {
  return rootName + ",/" + key + "#(" + (valueName.empty() ? std::string("(Default)") : valueName) + ")";
}

bool Exclusions::Contains(const std::string& entry) const {
  if (entry.empty()) return false;
  for (const std::string& e : entries_)
    if (EqualsNoCase(e, entry)) return true;
  return false;
}

std::vector<Exclusions::Stored> Exclusions::ReadStored(Module1& m) {
  std::vector<Stored> stored;
  RegistryApi& reg = m.platform().registry;
  ScopedKey key(reg, kHkeyCurrentUser, kExclusionsKey);
  if (!key.ok()) return stored;
  std::array<char, kMaxNameChars> name;
  std::array<std::uint8_t, kMaxDataBytes> data;
  for (std::uint32_t index = 0;; ++index) {
    std::uint32_t nameChars = kMaxNameChars, dataBytes = kMaxDataBytes, type = 0;
    name.fill('\0');
    if (reg.EnumValue(key.get(), index, name.data(), &nameChars, &type, data.data(), &dataBytes) != kErrorSuccess)
      break;
    if (type != kRegSz) continue;
    std::string text = CutAtNul(std::string(reinterpret_cast<const char*>(data.data()), dataBytes));
    if (!text.empty()) stored.push_back({std::string(name.data()), text});
  }
  return stored;
}

void Exclusions::Load(Module1& m) {
  entries_.clear();
  for (const Stored& s : ReadStored(m))
    if (!Contains(s.entry)) entries_.push_back(s.entry);
}

bool Exclusions::Add(Module1& m, const std::string& entry) {
  if (entry.empty() || Contains(entry)) return false;
  // Value names are numbers, the next after the largest in use, so an
  // entry never overwrites another.
  long next = 1;
  for (const Stored& s : ReadStored(m)) next = std::max(next, std::atol(s.valueName.c_str()) + 1);
  m.WriteRegistryValue(kHkeyCurrentUser, kExclusionsKey, std::to_string(next), entry, kRegSz);
  entries_.push_back(entry);
  return true;
}

bool Exclusions::Remove(Module1& m, const std::string& entry) {
  bool found = false;
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (EqualsNoCase(*it, entry)) {
      it = entries_.erase(it);
      found = true;
    } else {
      ++it;
    }
  }
  for (const Stored& s : ReadStored(m))
    if (EqualsNoCase(s.entry, entry)) m.RegistryDeleteValue(kHkeyCurrentUser, kExclusionsKey, s.valueName);
  return found;
}

}  // namespace hw
