#include <sys/xattr.h>

#include <cctype>
#include <map>


#include "platform/file_services_posix.h"
#include "platform/code_page.h"
#include "support/scratch_folder.h"
#include "support/test_paths.h"

namespace hw::test {
namespace {

// A temporary host folder as the whole drive C:, and one more for each
// further drive.
class PosixScratchFolder : public ScratchFolder {
 public:
  explicit PosixScratchFolder(const std::string& extraDrives)
      : host_(MakeTempFolder("hw-scratch")), extra_(extraDrives), files_(Map(host_, extra_, drives_)) {}
  ~PosixScratchFolder() override {
    RemoveTree(host_);
    for (const auto& [letter, folder] : drives_) RemoveTree(folder);
  }
  std::string ExtraDrives() const override { return extra_; }

  std::string Root() const override { return "C:"; }
  FileServices& Files() override { return files_; }

  std::string Host(const std::string& windowsPath) const override {
    // Set-up paths name new files too, so map them literally rather than
    // through the case-insensitive lookup of the code under test.
    const bool lettered = windowsPath.size() >= 2 && windowsPath[1] == ':';
    const auto other = lettered ? drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(windowsPath[0]))))
                                : drives_.end();
    const std::string& base = other != drives_.end() ? other->second : host_;
    std::string rest = lettered ? windowsPath.substr(2) : windowsPath;
    for (char& c : rest)
      if (c == '\\') c = '/';
    if (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    return rest.empty() ? base : base + "/" + rest;
  }

 private:
  static std::map<char, std::string> Map(const std::string& host, const std::string& extra,
                                         std::map<char, std::string>& drives) {
    for (char letter : extra) drives[letter] = MakeTempFolder(std::string("hw-drive-") + letter);
    std::map<char, std::string> all = drives;
    all['C'] = host;
    return all;
  }

  std::string host_;
  std::string extra_;
  std::map<char, std::string> drives_;  // further drives: letter -> host folder
  PosixFileServices files_;
};

}  // namespace

bool ScratchFolder::MakeHidden(const std::string& windowsPath) {
  static const char kHidden[] = "0x2";
  return setxattr(Host(windowsPath).c_str(), "user.DOSATTRIB", kHidden, sizeof kHidden - 1, 0) == 0;
}

std::unique_ptr<ScratchFolder> MakeScratchFolder(const std::string& extraDrives) {
  return std::make_unique<PosixScratchFolder>(extraDrives);
}

}  // namespace hw::test
