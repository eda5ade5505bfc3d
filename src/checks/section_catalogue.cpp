#include "checks/section_catalogue.h"

namespace hw {
namespace {

constexpr char kHkcu[] = "HKEY_CURRENT_USER";
constexpr char kHklm[] = "HKEY_LOCAL_MACHINE";
constexpr char kHkcr[] = "HKEY_CLASSES_ROOT";
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

}  // namespace

const std::array<Section, kSectionCount>& SectionCatalogue() {
  static const std::array<Section, kSectionCount> catalogue = {{
      {"RI", "Registry Integrity", 1, "[Registry Integrity]", SectionSearch::kRegistry,
       {{kHkcu, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", 1, ""}}},
      {"CC", "Custome Controls", 2, "[Custome Controls]", SectionSearch::kRegistry,
       {{kHkcr, "CLSID", 0, "InprocServer32"}}},
      {"SL", "Software Locations", 3, "[Software Locations]", SectionSearch::kRegistry,
       {{kHklm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths", 1, ""}}},
      {"DD", "Device Drivers", 4, "[Device Drivers]", SectionSearch::kNone, {}},
      {"WF", "Windows Fonts", 5, "[Windows Fonts]", SectionSearch::kRegistry, {}},
      {"HR", "Help And Resources", 6, "[Help And Resources]", SectionSearch::kRegistry,
       {{kHklm, "SOFTWARE\\Microsoft\\Windows\\Help", 2, ""}}},
      {"SP", "Shared Programmes", 7, "[Shared Programmes]", SectionSearch::kRegistry,
       {{kHklm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", 1, ""}}},
      {"SuP", "Startup Programmes", 8, "[Startup Programmes]", SectionSearch::kRegistry,
       {{kHklm, kRun, 1, ""}, {kHkcu, kRun, 1, ""}}},
      {"ArP", "Add/Remove Programmes", 9, "[Add/Remove Programmes]", SectionSearch::kRegistry,
       {{kHklm, kUninstall, 1, "InstallSource"}, {kHklm, kUninstall, 1, "ModifyPath"}}},
      {"VD", "Virtual Devices", 10, "[Virtual Devices]", SectionSearch::kRegistry,
       {{kHklm, "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers", 1, ""}}},
      {"Scan", "Scan for Shortcuts", 11, "[Scan for Shortcuts]", SectionSearch::kFiles, {}},
  }};
  return catalogue;
}

const Section* FindSection(const std::string& code) {
  for (const Section& s : SectionCatalogue())
    if (code == s.code) return &s;
  return nullptr;
}

std::vector<SectionPass> SectionPasses(const Section& section, const std::string& windowsFamily) {
  if (std::string(section.code) != "WF") return section.passes;
  if (windowsFamily == "WIN2K")
    return {{kHklm, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 1, ""}};
  if (windowsFamily == "WIN9X")
    return {{kHklm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts", 1, ""}};
  return {};
}

}  // namespace hw
