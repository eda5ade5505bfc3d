#pragma once
// A registry of its own for one test, through the real backend of the
// platform: on Linux blank hive files made for the test (HKLM\SOFTWARE,
// HKLM\SYSTEM, HKCU, HKCR = HKLM\SOFTWARE\Classes); under Wine the real
// registry with the predefined roots redirected below a fresh test key,
// which is removed when the scratch registry goes.
#include <memory>

#include "platform/registry_api.h"

namespace hw::test {

class ScratchRegistry {
 public:
  virtual ~ScratchRegistry() = default;
  virtual RegistryApi& Api() = 0;
};

std::unique_ptr<ScratchRegistry> MakeScratchRegistry();

}  // namespace hw::test
