#include "platform/windows_win32.h"

#include "platform/file_services_win32.h"
#include "support/scratch_folder.h"
#include "support/test_paths.h"

namespace hw::test {

namespace {

// Read-only files would stop the removal of the tree.
void ClearAttributes(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = folder + "\\" + name;
    SetFileAttributesA(path.c_str(), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FILE_ATTRIBUTE_DIRECTORY
                                                                                        : FILE_ATTRIBUTE_NORMAL);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ClearAttributes(path);
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

class Win32ScratchFolder : public ScratchFolder {
 public:
  Win32ScratchFolder() : root_(MakeTempFolder("hw")) {
    while (root_.size() > 3 && (root_.back() == '\\' || root_.back() == '/')) root_.pop_back();
  }
  ~Win32ScratchFolder() override {
    ClearAttributes(root_);
    RemoveTree(root_);
  }
  std::string Root() const override { return root_; }
  FileServices& Files() override { return files_; }
  // The host is Windows itself.
  std::string Host(const std::string& windowsPath) const override { return windowsPath; }

 private:
  std::string root_;
  Win32FileServices files_;
};

}  // namespace

std::unique_ptr<ScratchFolder> MakeScratchFolder(const std::string&) { return std::make_unique<Win32ScratchFolder>(); }

}  // namespace hw::test

namespace hw::test {

bool ScratchFolder::MakeHidden(const std::string& windowsPath) {
  std::string host = Host(windowsPath);
  DWORD attrs = GetFileAttributesA(host.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return false;
  return SetFileAttributesA(host.c_str(), attrs | FILE_ATTRIBUTE_HIDDEN) != 0;
}

}  // namespace hw::test
