#include "support/scratch_folder.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace hw::test {
namespace fs = std::filesystem;

namespace {
// Paths are the program's UTF-8 text on every platform.
fs::path HostPath(const std::string& host) { return fs::u8path(host); }
}  // namespace

void ScratchFolder::WriteFile(const std::string& windowsPath, const std::string& bytes) {
  fs::path host = HostPath(Host(windowsPath));
  fs::create_directories(host.parent_path());
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string ScratchFolder::ReadFile(const std::string& windowsPath) const {
  std::ifstream in(HostPath(Host(windowsPath)), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void ScratchFolder::MakeFolder(const std::string& windowsPath) {
  fs::create_directories(HostPath(Host(windowsPath)));
}

bool ScratchFolder::Exists(const std::string& windowsPath) const {
  std::error_code ec;
  return fs::exists(HostPath(Host(windowsPath)), ec);
}

void ScratchFolder::MakeReadOnly(const std::string& windowsPath) {
  fs::permissions(HostPath(Host(windowsPath)), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

}  // namespace hw::test
