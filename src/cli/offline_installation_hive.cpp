#include <algorithm>
#include <filesystem>

#include "cli/offline_installation.h"
#include "platform/file_services_posix.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"

namespace hw {
namespace {
namespace fs = std::filesystem;

constexpr const char* kProfileParents[] = {"Users", "Documents and Settings"};
// Where Windows has lived: the name a folder of ROOT is looked for under
// first, before any folder that holds System32\config.
constexpr const char* kWindowsNames[] = {"Windows", "WINNT"};

struct Profile {
  std::string name, folder;  // folder in Windows form
};

}  // namespace

InstallationLookup FindOfflineInstallation(const std::string& root, const std::string& user,
                                           const std::vector<DriveMapping>& extraDrives) {
  InstallationLookup r;
  OfflineInstallation& in = r.installation;
  in.root = root;
  std::error_code ec;
  if (!fs::is_directory(root, ec)) {
    r.status = 3;
    r.message = "the installation folder " + root + " does not exist or is not a folder";
    return r;
  }
  for (const DriveMapping& d : extraDrives) {
    if (!fs::is_directory(d.folder, ec)) {
      r.status = 3;
      r.message = std::string("the folder ") + d.folder + " of drive " + d.letter + ": does not exist";
      return r;
    }
  }
  PosixFileServices files({{'C', root}});
  auto host = [&](const std::string& windowsPath) {
    std::string h;
    return files.HostPath(windowsPath, &h) && fs::exists(h, ec) ? h : std::string();
  };

  std::vector<std::string> candidates(std::begin(kWindowsNames), std::end(kWindowsNames));
  try {
    for (const std::string& f : files.ListSubfolders("C:\\"))
      if (std::none_of(candidates.begin(), candidates.end(), [&](const std::string& c) { return EqualsNoCase(c, f); }))
        candidates.push_back(f);
  } catch (const RuntimeError&) {
    r.status = 3;
    r.message = "the installation folder " + root + " cannot be read";
    return r;
  }
  for (const std::string& name : candidates) {
    const std::string software = host("C:\\" + name + "\\System32\\config\\SOFTWARE");
    const std::string system = host("C:\\" + name + "\\System32\\config\\SYSTEM");
    if (software.empty() || system.empty()) continue;
    // The folder's own spelling, as Windows would report it.
    std::string windows;
    files.HostPath("C:\\" + name, &windows);
    in.windowsFolder = "C:\\" + fs::path(windows).filename().string();
    in.softwareHive = software;
    in.systemHive = system;
    break;
  }
  if (in.windowsFolder.empty()) {
    r.status = 3;
    r.message = root + " is not a Windows installation: no Windows\\System32\\config\\SOFTWARE and SYSTEM in it";
    return r;
  }

  std::vector<Profile> profiles;
  for (const char* parent : kProfileParents) {
    if (host(std::string("C:\\") + parent).empty()) continue;
    std::string parentHost;
    files.HostPath(std::string("C:\\") + parent, &parentHost);
    const std::string parentName = fs::path(parentHost).filename().string();
    std::vector<std::string> names;
    try {
      names = files.ListSubfolders("C:\\" + parentName);
    } catch (const RuntimeError&) {
      continue;
    }
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) {
      if (IsSharedProfileName(n)) continue;
      const std::string folder = "C:\\" + parentName + "\\" + n;
      if (!host(folder + "\\NTUSER.DAT").empty()) profiles.push_back({n, folder});
    }
  }
  for (const Profile& p : profiles) in.profiles.push_back(p.name);
  auto list = [&] {
    std::string all;
    for (const Profile& p : profiles) all += (all.empty() ? "" : ", ") + p.name;
    return all;
  };
  const Profile* chosen = nullptr;
  if (!user.empty()) {
    for (const Profile& p : profiles)
      if (p.name == user) chosen = &p;
    if (!chosen)
      for (const Profile& p : profiles)
        if (EqualsNoCase(p.name, user)) chosen = &p;
    if (!chosen) {
      r.status = 2;
      r.message = "there is no profile '" + user + "' with an NTUSER.DAT in " + root +
                  (profiles.empty() ? std::string(" (it has none)") : " (profiles: " + list() + ")");
      return r;
    }
  } else if (profiles.size() > 1) {
    r.status = 2;
    r.message = "the installation has several profiles (" + list() + "); choose one with --user NAME";
    return r;
  } else if (profiles.size() == 1) {
    chosen = &profiles.front();
  } else {
    r.message = "the installation has no user profile with an NTUSER.DAT; HKEY_CURRENT_USER is empty";
  }
  if (chosen) {
    in.user = chosen->name;
    in.profileFolder = chosen->folder;
    in.userHive = host(chosen->folder + "\\NTUSER.DAT");
  }
  in.drives.push_back({'C', root});
  for (const DriveMapping& d : extraDrives) in.drives.push_back(d);
  return r;
}

}  // namespace hw
