#pragma once
// A scratch drive for one test, through the real file backend: on Linux a
// temporary host folder mapped to a drive letter; under Wine a temporary
// folder of the real file system. Removed when the object goes.
#include <memory>
#include <string>

#include "platform/file_services.h"

namespace hw::test {

class ScratchFolder {
 public:
  virtual ~ScratchFolder() = default;
  /// Windows-form root of the scratch area without a trailing backslash:
  /// "C:" on Linux (the whole drive), a folder such as
  /// "C:\users\x\Temp\hw-123" under Wine.
  virtual std::string Root() const = 0;
  /// The backend under test, able to reach Root().
  virtual FileServices& Files() = 0;
  /// The host path of a Windows-form path below Root(), for setting up
  /// files without going through the code under test.
  virtual std::string Host(const std::string& windowsPath) const = 0;

  /// Conveniences that work on the host side (std::filesystem).
  void WriteFile(const std::string& windowsPath, const std::string& bytes);
  std::string ReadFile(const std::string& windowsPath) const;
  void MakeFolder(const std::string& windowsPath);
  bool Exists(const std::string& windowsPath) const;
  /// Gives an existing file or folder the hidden attribute the way the
  /// platform keeps it (Linux: Wine's "user.DOSATTRIB" extended attribute;
  /// Windows: SetFileAttributes). False when the file system cannot.
  bool MakeHidden(const std::string& windowsPath);
  /// Clears a file's write permissions: the read-only attribute under
  /// MinGW, and what the Linux backend takes for read-only.
  void MakeReadOnly(const std::string& windowsPath);

  /// Letters of the further drives this scratch area has besides its own
  /// (Linux only, see MakeScratchFolder).
  virtual std::string ExtraDrives() const { return std::string(); }
};

/// On Linux `extraDrives` ("DE") adds fixed drives, each a temporary host
/// folder of its own reached as "D:"; under Wine the drives are the
/// machine's and `extraDrives` is ignored.
std::unique_ptr<ScratchFolder> MakeScratchFolder(const std::string& extraDrives = std::string());

}  // namespace hw::test
