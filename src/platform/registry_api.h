#pragma once
// The registry as the program uses it: eight ANSI registry functions.
// Backends: registry_api_win32.cpp (advapi32) and registry_api_hive.cpp
// (offline hive files through hivex).
#include <cstdint>
#include <string>

namespace hw {

/// A key handle. The predefined roots are the 32-bit values below; other
/// handles are whatever the backend hands out from OpenKeyEx / CreateKeyEx.
using RegKey = std::uint64_t;

constexpr RegKey kHkeyClassesRoot = 0x80000000u;
constexpr RegKey kHkeyCurrentUser = 0x80000001u;
constexpr RegKey kHkeyLocalMachine = 0x80000002u;
constexpr RegKey kHkeyUsers = 0x80000003u;
constexpr RegKey kHkeyPerformanceData = 0x80000004u;
constexpr RegKey kHkeyCurrentConfig = 0x80000005u;
constexpr RegKey kHkeyDynData = 0x80000006u;

constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

constexpr std::uint32_t kKeyRead = 0x20019;
constexpr std::uint32_t kKeyWrite = 0x20006;
constexpr std::uint32_t kKeyReadWrite = 0x2001F;

constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorInvalidParameter = 87;
constexpr long kErrorMoreData = 234;
constexpr long kErrorNoMoreItems = 259;

/// Enumeration buffers the program uses (names in characters, data in bytes).
constexpr std::uint32_t kMaxNameChars = 260;
constexpr std::uint32_t kMaxDataBytes = 4096;

/// Every call returns a Windows status: 0 is success, anything else means
/// nothing was done and the outputs are unchanged unless stated. Names and
/// string data are single-byte text in the ANSI code page (Windows-1252).
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  /// Opens `subKey` (relative, may be empty) below `key`. On success
  /// `*result` is a handle that must be closed with CloseKey.
  virtual long OpenKeyEx(RegKey key, const std::string& subKey, std::uint32_t options,
                         std::uint32_t samDesired, RegKey* result) = 0;

  /// Opens `subKey`, creating every missing key along the path.
  virtual long CreateKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired,
                           RegKey* result) = 0;

  /// Subkey number `index` (from 0) into `name` (NUL-terminated, at most
  /// `nameChars` including the NUL). The order stays the same while `key`
  /// stays open. Non-zero at the end of the list or when the name does not fit.
  virtual long EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t nameChars) = 0;

  /// Value number `index`. In: `*nameChars` and `*dataBytes` are the buffer
  /// sizes; out: the name length without NUL and the data length. Non-zero
  /// at the end of the list and when the name or the data does not fit.
  virtual long EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameChars,
                         std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataBytes) = 0;

  /// Reads a value (empty name: the default value). With `data` null or
  /// `*dataBytes` too small, the type and the needed length are still
  /// returned (status 234 when data was asked for and did not fit, 0 when
  /// only the size was asked).
  virtual long QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* dataBytes) = 0;

  virtual long SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t dataBytes) = 0;

  virtual long DeleteValue(RegKey key, const std::string& valueName) = 0;

  virtual long CloseKey(RegKey key) = 0;

  /// Makes every change so far durable (the hive backend commits its hive
  /// files atomically; Win32 does nothing). Not one of the eight functions:
  /// the program calls it at the end of a repair, a restore or a save.
  virtual long Flush() { return kErrorSuccess; }
};

}  // namespace hw
