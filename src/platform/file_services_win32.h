#pragma once
// Files and folders through the ANSI Win32 file functions.
#include "platform/file_services.h"

namespace hw {

/// Paths are passed to Windows as given. Failures throw RuntimeError with the
/// classic numbers: 53 file not found, 76 path not found, 70 permission
/// denied, 75 path/file access error, 58 file already exists, 61 disk full.
class Win32FileServices : public FileServices {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  bool DriveExists(const std::string& root) override;
  void CreateFolder(const std::string& path) override;
  std::vector<FolderFile> GetFolderFiles(const std::string& folder) override;
  void DeleteFile(const std::string& path, bool force) override;
  void CopyFile(const std::string& source, const std::string& destination, bool overwrite) override;
  void ReplaceFile(const std::string& source, const std::string& destination) override;
  void MoveFile(const std::string& source, const std::string& destination) override;
  void RecycleFile(const std::string& path) override;
  void DeleteFolder(const std::string& path) override;
  std::unique_ptr<TextReader> OpenTextFile(const std::string& path) override;
  std::unique_ptr<TextWriter> CreateTextFile(const std::string& path, bool overwrite) override;
  std::unique_ptr<RecordFile> OpenRecordFile(const std::string& path) override;
  std::vector<DirEntry> ListDirectory(const std::string& folder, const std::string& pattern,
                                      bool includeFolders) override;
  std::uint32_t GetAttributes(const std::string& path) override;
  bool GetFolderIdentity(const std::string& path, FolderIdentity* identity) override;
};

}  // namespace hw
