#pragma once
// Entries the user never wants reported again. An entry is a registry
// location, written as alerr.log writes one ("HKEY_CURRENT_USER,/key#(value)",
// "(Default)" for the default value), or a path: a shortcut file, or a path
// a rule tests, which then is reported from no section. The list lives in
// the registry beside the other settings, one REG_SZ value per entry.
#include <string>
#include <vector>

#include "registry/module1.h"

namespace hw {

inline constexpr char kExclusionsKey[] = "Software\\Tarnwick\\Hivewright\\Exclusions";

class Exclusions {
 public:
  /// The location text of a registry value, as alerr.log has it.
  static std::string LocationText(const std::string& rootName, const std::string& key,
                                  const std::string& valueName);

  /// True when `entry` (either kind) is on the list; compared without
  /// regard to case, as the registry and the file system compare names.
  bool Contains(const std::string& entry) const;
  /// A registry problem: excluded by its location or by the path it names.
  bool ExcludesValue(const std::string& locationText, const std::string& path) const {
    return Contains(locationText) || Contains(path);
  }

  /// Entries in the order they were added.
  const std::vector<std::string>& Entries() const { return entries_; }

  /// Replaces the list by the one in the registry (HKEY_CURRENT_USER); an
  /// absent key is an empty list.
  void Load(Module1& m);
  /// Adds an entry to the list and to the registry; false (nothing done)
  /// when it is empty or already listed.
  bool Add(Module1& m, const std::string& entry);
  /// Removes an entry from the list and from the registry; false when it
  /// is not listed.
  bool Remove(Module1& m, const std::string& entry);

 private:
  struct Stored {
    std::string valueName, entry;
  };
  static std::vector<Stored> ReadStored(Module1& m);

  std::vector<std::string> entries_;
};

}  // namespace hw
