#include "cli/offline_installation.h"

#include "platform/vb_text.h"

namespace hw {

bool IsSharedProfileName(const std::string& name) {
  for (const char* n : {"Default", "Default User", "Public", "All Users"})
    if (EqualsNoCase(name, n)) return true;
  return false;
}

}  // namespace hw
