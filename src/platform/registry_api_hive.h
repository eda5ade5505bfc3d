#pragma once
// RegistryApi over the hive files of an offline Windows installation
// (through hivex). HKLM is a virtual key holding SOFTWARE and SYSTEM, each the
// root of its hive; HKCU is the root of the user's NTUSER.DAT; HKCR is
// HKLM\SOFTWARE\Classes; HKLM\SYSTEM\CurrentControlSet is the control set
// that SYSTEM's Select\Current names. The program's own branch,
// Software\Tarnwick under HKLM and under HKCU, lives in a separate settings
// hive, so the program's settings never go into the installation's hives.
// Other roots do not exist here (status 2).
//
// Writes stay in memory until Flush (or the destructor), which replaces each
// changed hive file atomically: a crash leaves the old file or the new one.
#include <memory>
#include <string>

#include "platform/registry_api.h"

namespace hw {

/// The hive files of one offline machine, as host paths. An empty path means
/// the hive is absent: its keys do not exist (HKLM\SOFTWARE and HKCU\Software
/// still exist, empty, so the program's own branch below them works).
struct OfflineMachine {
  std::string softwareHive;
  std::string systemHive;
  std::string userHive;  ///< the user's NTUSER.DAT
  /// The program's own settings hive; made blank when the file is missing.
  /// Required.
  std::string settingsHive;
  /// Every write through this machine fails with status 5, and nothing is
  /// ever written to any file (the settings hive is still made if missing).
  bool readOnly = false;
};

class HiveRegistry : public RegistryApi {
 public:
  /// Opens every hive of `machine`. On failure returns null and sets `*error`
  /// to a message naming the file at fault (missing, truncated, not a hive,
  /// unreadable); no file has been changed then, except that a missing
  /// settings hive may have been made.
  static std::unique_ptr<HiveRegistry> Open(const OfflineMachine& machine, std::string* error);

  /// As Open, but throws RuntimeError (number 53 for a missing file, 75 for
  /// a file that is not a usable hive) with the same message.
  explicit HiveRegistry(const OfflineMachine& machine);

  /// Commits what is not yet flushed; errors are lost here (call Flush).
  ~HiveRegistry() override;
  HiveRegistry(const HiveRegistry&) = delete;
  HiveRegistry& operator=(const HiveRegistry&) = delete;

  long OpenKeyEx(RegKey key, const std::string& subKey, std::uint32_t options,
                 std::uint32_t samDesired, RegKey* result) override;
  long CreateKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired,
                   RegKey* result) override;
  long EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t nameChars) override;
  long EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameChars,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataBytes) override;
  long QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type,
                    std::uint8_t* data, std::uint32_t* dataBytes) override;
  long SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type,
                  const std::uint8_t* data, std::uint32_t dataBytes) override;
  long DeleteValue(RegKey key, const std::string& valueName) override;
  long CloseKey(RegKey key) override;

  /// Commits every changed hive: written to a temporary file in the hive's
  /// folder, synced, renamed over the hive. 0 on success; on failure the
  /// hive file is unchanged, the changes stay pending, and LastFlushError()
  /// names the file.
  long Flush() override;
  std::string LastFlushError() const;

  /// Writes a blank hive to `path` (atomically; fails if it exists).
  /// Returns false with `*error` set on failure.
  static bool WriteBlankHive(const std::string& path, std::string* error);

  /// Number of open handles (for tests: every open is matched by a close).
  std::size_t OpenHandleCount() const;

  struct Impl;

 private:
  HiveRegistry();
  bool Init(const OfflineMachine& machine, std::string* error, long* number);

  std::unique_ptr<Impl> impl_;
};

}  // namespace hw
