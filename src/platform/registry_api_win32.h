#pragma once
// The registry through the ANSI functions of advapi32.
#include "platform/windows_win32.h"

#include <map>

#include "platform/registry_api.h"

namespace hw {

/// Key handles: the predefined roots 0x80000000..0x80000006 stand for the
/// predefined HKEYs; every other handle is the HKEY value itself.
class Win32Registry : public RegistryApi {
 public:
  /// The machine's own registry.
  Win32Registry() = default;
  /// A registry whose roots are the given open keys (for tests: subkeys of a
  /// test key). A root missing from the map cannot be reached (status 6), so
  /// a redirected registry never touches the real roots. The keys stay the
  /// caller's: they are not closed here.
  explicit Win32Registry(std::map<RegKey, HKEY> roots);

  long OpenKeyEx(RegKey key, const std::string& subKey, std::uint32_t options, std::uint32_t samDesired,
                 RegKey* result) override;
  long CreateKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired,
                   RegKey* result) override;
  long EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t nameChars) override;
  long EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameChars,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataBytes) override;
  long QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* dataBytes) override;
  long SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t dataBytes) override;
  long DeleteValue(RegKey key, const std::string& valueName) override;
  long CloseKey(RegKey key) override;

  static RegKey FromHkey(HKEY key) { return static_cast<RegKey>(reinterpret_cast<std::uintptr_t>(key)); }

 private:
  /// The HKEY behind a handle; false for a root that is not reachable.
  bool Resolve(RegKey key, HKEY* out) const;

  bool redirected_ = false;
  std::map<RegKey, HKEY> roots_;
};

}  // namespace hw
