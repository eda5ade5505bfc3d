#pragma once
// The registry procedures the program shares: root names, registry paths,
// reading strings and settings, writing values by type, the log folder.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/registry_api.h"

namespace hw {

/// The application's title, used on its message boxes.
inline constexpr char kAppTitle[] = "Hivewright";

class Module1 {
 public:
  explicit Module1(Platform& platform) : p_(platform) {}

  /// Root key of a root name ("HKEY_LOCAL_MACHINE"...), exact and
  /// case-sensitive; 0 when the name is not one of the seven.
  static RegKey RootKeyFromName(const std::string& rootName);
  /// The root name of a root key; empty for any other value.
  static std::string RootKeyName(RegKey root);

  /// Splits "ROOT\sub\path": `path` becomes the subkey path and `root` the
  /// root key. A path not starting "HKEY_" or ending in "\" shows
  /// "Incorrect Format:\n\n" + path, sets root 0 and leaves path as it was.
  void SplitRegistryPath(std::string& path, RegKey& root);

  /// A string value (empty name: the default value) read into 255 bytes:
  /// "Error" when the key or value cannot be read, empty when the path has
  /// no known root; otherwise the trimmed buffer without its last character.
  std::string ReadStringAtPath(const std::string& fullPath, const std::string& valueName);

  /// A REG_SZ value cut at its first NUL; " " when there is none (missing,
  /// other type, empty). Shows its own messages on a run-time error.
  std::string getstr(const std::string& rootName, const std::string& subKey,
                     const std::string& valueName);

  /// Writes a value by type: 1 and any other: text + NUL; 7: text as is;
  /// 4: the text as a signed 32-bit number (RuntimeError 13 when it is not
  /// one); 3: RuntimeError 13. Creates the key first; a failed
  /// create or write does nothing and says nothing.
  void WriteRegistryValue(RegKey root, const std::string& subKey, const std::string& valueName,
                          const std::string& text, std::uint32_t type);
  /// Type 4 (a number); any other type writes the number's decimal text.
  void WriteRegistryValue(RegKey root, const std::string& subKey, const std::string& valueName,
                          std::int32_t number, std::uint32_t type);

  void RegistryCreateNewKey(RegKey root, const std::string& subKey);
  void RegistryDeleteValue(RegKey root, const std::string& subKey, const std::string& valueName);

  /// The log folder (LogFolderOverride, else setting LogFile, else program
  /// folder + "\Log"), created with every missing level; no trailing
  /// backslash.
  std::string GetLogFolder();
  /// A log folder chosen by the caller (a command line's option); it wins
  /// over the setting, which an offline installation must not hold.
  std::string LogFolderOverride;
  /// Creates every missing level of a folder path; the drive part before
  /// the first backslash is never tested or created.
  void EnsureFolderPath(const std::string& folderPath);

  Platform& platform() { return p_; }

 private:
  void WriteRaw(RegKey root, const std::string& subKey, const std::string& valueName,
                std::uint32_t type, const std::uint8_t* data, std::uint32_t length);

  Platform& p_;
};

}  // namespace hw
