#pragma once
// Files and folders as the program uses them, on Windows-form paths
// ("C:\dir\file"). Backends: file_services_win32.cpp (Win32 file functions)
// and file_services_posix.cpp (a drive map onto host folders, with
// case-insensitive lookup of every path component).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace hw {

constexpr std::uint32_t kAttrReadOnly = 1;
constexpr std::uint32_t kAttrHidden = 2;
constexpr std::uint32_t kAttrSystem = 4;
constexpr std::uint32_t kAttrDirectory = 16;
constexpr std::uint32_t kAttrArchive = 32;

/// A calendar time in local time.
struct FileTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

/// One file of a folder listing.
struct FolderFile {
  std::string name;
  FileTime created;
  std::uint64_t size = 0;
};

/// One entry of a directory listing.
struct DirEntry {
  std::string name;
  std::uint32_t attributes = 0;
};

/// Identity of a real folder (volume and file id), for not searching the
/// same folder twice through links.
struct FolderIdentity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  bool operator<(const FolderIdentity& o) const {
    return volume != o.volume ? volume < o.volume : file < o.file;
  }
  bool operator==(const FolderIdentity& o) const { return volume == o.volume && file == o.file; }
};

/// A single-byte text file (the system's ANSI code page) being read.
/// ReadLine gives a line without its line end (CR LF, or a lone LF), in
/// the program's UTF-8.
class TextReader {
 public:
  virtual ~TextReader() = default;
  virtual bool AtEndOfStream() = 0;
  /// Throws RuntimeError (62) past the end.
  virtual std::string ReadLine() = 0;
  virtual void Close() = 0;
};

/// A single-byte text file being written; WriteLine writes the line in the
/// system's ANSI code page ('?' for a character without a form there) and
/// appends CR LF.
class TextWriter {
 public:
  virtual ~TextWriter() = default;
  /// Throws RuntimeError when the stream is closed or the write fails.
  virtual void WriteLine(const std::string& line) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
};

/// A binary file read and written at byte offsets (record files of fixed
/// slots are laid over it by their users).
class RecordFile {
 public:
  virtual ~RecordFile() = default;
  /// Reads up to `length` bytes at `offset`; returns how many were read
  /// (fewer at the end of the file).
  virtual std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t length) = 0;
  /// Writes `length` bytes at `offset`, growing the file as needed. Throws
  /// RuntimeError on failure.
  virtual void WriteAt(std::uint64_t offset, const void* buffer, std::size_t length) = 0;
  /// Pushes written bytes to the disk (fsync); throws on failure.
  virtual void Sync() = 0;
  virtual std::uint64_t Length() = 0;
  /// Cuts or extends the file to `length` bytes.
  virtual void Truncate(std::uint64_t length) = 0;
  virtual void Close() = 0;
};

/// Existence tests never fail: they answer false. Every other operation
/// throws RuntimeError (number and description) when it fails.
class FileServices {
 public:
  virtual ~FileServices() = default;

  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  /// `root` such as "D:\" or "D:".
  virtual bool DriveExists(const std::string& root) = 0;

  /// Creates one folder whose parent exists.
  virtual void CreateFolder(const std::string& path) = 0;
  /// Every file (not folder) of the folder, in the file system's order.
  virtual std::vector<FolderFile> GetFolderFiles(const std::string& folder) = 0;
  /// Deletes a file; with `force` false a read-only file makes it fail.
  virtual void DeleteFile(const std::string& path, bool force) = 0;
  virtual void CopyFile(const std::string& source, const std::string& destination,
                        bool overwrite) = 0;
  /// Renames a file over an existing one in one step (used to replace a
  /// file without a moment where neither exists).
  virtual void ReplaceFile(const std::string& source, const std::string& destination) = 0;
  /// Moves a file to a path where nothing is, keeping its bytes, times and
  /// attributes (also onto another volume); fails when the destination
  /// exists.
  virtual void MoveFile(const std::string& source, const std::string& destination) = 0;
  /// Moves a file into the platform's Recycle Bin, from where the user can
  /// bring it back; fails (the file left where it is) when there is none.
  virtual void RecycleFile(const std::string& path) = 0;
  /// Removes an empty folder.
  virtual void DeleteFolder(const std::string& path) = 0;

  virtual std::unique_ptr<TextReader> OpenTextFile(const std::string& path) = 0;
  virtual std::unique_ptr<TextWriter> CreateTextFile(const std::string& path, bool overwrite) = 0;
  /// Opens a binary file for reading and writing, creating it when missing.
  /// An existing file that may not be written is opened for reading only
  /// (its writes then fail).
  virtual std::unique_ptr<RecordFile> OpenRecordFile(const std::string& path) = 0;

  /// Entries of `folder` whose names match `pattern` (wildcards * and ?,
  /// case-insensitive, as the Windows directory listing matches them).
  /// Without `includeFolders` only normal files: no folders, no hidden or
  /// system files. With it, folders and normal files (hidden and system
  /// entries still left out), "." and ".." included as Windows lists them.
  /// A folder that cannot be listed gives an empty list.
  virtual std::vector<DirEntry> ListDirectory(const std::string& folder, const std::string& pattern,
                                              bool includeFolders) = 0;
  /// The names of the folders in `folder` that ListDirectory(folder, "*.*",
  /// true) gives, without "." and "..", in the same order; links to folders
  /// count as folders. A folder that cannot be listed gives an empty list.
  /// Backends may answer it without reading the attributes of every file.
  virtual std::vector<std::string> ListSubfolders(const std::string& folder) {
    std::vector<std::string> names;
    for (const DirEntry& e : ListDirectory(folder, "*.*", true))
      if ((e.attributes & kAttrDirectory) && e.name != "." && e.name != "..") names.push_back(e.name);
    return names;
  }
  /// Attributes of a path; throws RuntimeError (53) when it does not exist.
  virtual std::uint32_t GetAttributes(const std::string& path) = 0;
  /// Identity of the real folder behind `path` (links followed); false when
  /// it cannot be had.
  virtual bool GetFolderIdentity(const std::string& path, FolderIdentity* identity) = 0;

  /// While held (during a scan, which asks about the same folders many
  /// thousand times), a backend may answer from what it has already read of
  /// a folder. Changes made through this object are seen at once; changes
  /// made by other programs meanwhile may not be. Holds nest; the last
  /// release forgets everything.
  virtual void HoldFolderListings(bool hold) { (void)hold; }
};

/// Holds a FileServices' folder listings for the lifetime of the object.
class FolderListingsHeld {
 public:
  explicit FolderListingsHeld(FileServices& files) : files_(files) { files_.HoldFolderListings(true); }
  ~FolderListingsHeld() { files_.HoldFolderListings(false); }
  FolderListingsHeld(const FolderListingsHeld&) = delete;
  FolderListingsHeld& operator=(const FolderListingsHeld&) = delete;

 private:
  FileServices& files_;
};

}  // namespace hw
