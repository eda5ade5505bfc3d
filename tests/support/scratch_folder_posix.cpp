#include <sys/xattr.h>


#include "registry/file_services_posix.h"
#include "registry/code_page.h"
#include "support/scratch_folder.h"
#include "support/test_paths.h"

namespace hw::test {
namespace {

// A temporary host folder as the whole drive C:.
class PosixScratchFolder : public ScratchFolder {
 public:
  PosixScratchFolder() : host_(MakeTempFolder("hw-scratch")), files_({{'C', host_}}) {}
  ~PosixScratchFolder() override { RemoveTree(host_); }

  std::string Root() const override { return "C:"; }
  FileServices& Files() override { return files_; }

  std::string Host(const std::string& windowsPath) const override {
    // Set-up paths name new files too, so map them literally rather than
    // through the case-insensitive lookup of the code under test.
    std::string rest = windowsPath.size() >= 2 && windowsPath[1] == ':' ? windowsPath.substr(2) : windowsPath;
    for (char& c : rest)
      if (c == '\\') c = '/';
    if (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    return rest.empty() ? host_ : host_ + "/" + Utf8FromCp1252(rest);
  }

 private:
  std::string host_;
  PosixFileServices files_;
};

}  // namespace

bool ScratchFolder::MakeHidden(const std::string& windowsPath) {
  static const char kHidden[] = "0x2";
  return setxattr(Host(windowsPath).c_str(), "user.DOSATTRIB", kHidden, sizeof kHidden - 1, 0) == 0;
}

std::unique_ptr<ScratchFolder> MakeScratchFolder() { return std::make_unique<PosixScratchFolder>(); }

}  // namespace hw::test
