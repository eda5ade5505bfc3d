#pragma once
// FileServices over host folders: each drive letter is mapped to a host
// folder ("C" -> "/srv/winxp/c"), and a Windows-form path ("C:\dir\file",
// "C:" for the root, '/' accepted as separator) is looked up component by
// component: the exact name first, else the first entry of the parent folder
// whose name equals it without regard to case, as Windows file systems
// compare names. "." and ".." are applied to the path before the lookup, so
// a path never leaves its drive's folder by itself (a symbolic link inside
// the drive may). Program text and host names are UTF-8;
// text files are Windows-1252.
//
// Attributes, following Wine's convention on Unix file systems:
// - directory (16): the entry is a folder (links followed);
// - read-only (1): a file without the owner's write permission;
// - hidden (2): the name begins with "." (other than "." and ".."), or the
//   extended attribute "user.DOSATTRIB" (a hexadecimal number such as "0x2",
//   the form Wine writes) has bit 2;
// - system (4): "user.DOSATTRIB" has bit 4;
// - archive (32): every file, as Wine reports them.
// While folder listings are held, each folder is read once and the
// component lookups (exact, then without regard to case) are answered from
// that listing; every change made through this object forgets the listings
// of the folders it touches.
//
// Read-only files are refused by DeleteFile without force, CopyFile,
// CreateTextFile and ReplaceFile onto them, and record files open them for
// reading only, also when the process could write them (root).
//
// The Recycle Bin is the user's freedesktop.org trash ($XDG_DATA_HOME/Trash,
// by default ~/.local/share/Trash), where Wine's shell puts recycled files
// too; a file on another file system than that trash is not recycled (the
// call fails and the file stays).
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file_services.h"

namespace hw {

class PosixFileServices : public FileServices {
 public:
  /// `drives`: drive letter (either case) -> host folder.
  explicit PosixFileServices(std::map<char, std::string> drives);

  /// The host path of a Windows-form path: every existing component found
  /// as described above, a missing last component taken as given. False
  /// when the drive is not mapped, the path is malformed or a folder on the
  /// way does not exist; `host` is then left unchanged.
  bool HostPath(const std::string& windowsPath, std::string* host) const;

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
  std::vector<std::string> ListSubfolders(const std::string& folder) override;
  std::vector<DirEntry> ListDirectory(const std::string& folder, const std::string& pattern,
                                      bool includeFolders) override;
  std::uint32_t GetAttributes(const std::string& path) override;
  bool GetFolderIdentity(const std::string& path, FolderIdentity* identity) override;
  void HoldFolderListings(bool hold) override;

 private:
  // One folder as read while listings are held: its names in the order the
  // file system lists them, with their entry types (DT_*), and the answers
  // given so far to names not spelt as on disk (-1: none matches).
  struct Listing {
    bool listed = false;
    unsigned long long device = 0, inode = 0;
    std::vector<std::string> names;
    std::vector<unsigned char> types;
    std::unordered_map<std::string, int> exact;
    std::unordered_map<std::string, int> asked;
  };
  Listing& ListingOf(const std::string& hostFolder) const;
  // The entry of `hostFolder` named `part` (exactly, else the first without
  // regard to case); false when there is none. `type` is DT_UNKNOWN when
  // the listing cannot tell.
  bool FindEntry(const std::string& hostFolder, const std::string& part, std::string* host,
                 unsigned char* type) const;
  // Forgets the listings that a change of the host path `host` can make
  // stale: its folder's (under any host path that reaches it) and its own
  // and those below it.
  void Forget(const std::string& host);
  // Calls Forget when it goes, also when the change failed half-way.
  struct Forgetting {
    PosixFileServices& files;
    std::string host;
    ~Forgetting() { files.Forget(host); }
  };

  // Result of a lookup: `parentFound` when every folder on the way exists;
  // `found` when the last component exists too; `host` the host path (the
  // last component as given when it is missing); `root` for a drive root.
  struct Lookup {
    bool valid = false;
    bool parentFound = false;
    bool found = false;
    bool root = false;
    // The entry's type (DT_*) when known from a held listing.
    unsigned char type = 0;
    std::string host;
  };
  Lookup Resolve(const std::string& windowsPath) const;
  Lookup ResolveOnDisk(const std::string& windowsPath) const;
  // Resolve, then throw 52/76/53 when the path, its folder or (with
  // `mustExist`) the entry itself is missing.
  Lookup ResolveOrThrow(const std::string& windowsPath, bool mustExist) const;

  std::map<char, std::string> drives_;
  int held_ = 0;
  mutable std::unordered_map<std::string, Listing> listings_;
  // While held, the lookups already made, by Windows path: a scan tests the
  // same path several ways (file, folder, its drive) and many entries name
  // the same files.
  mutable std::unordered_map<std::string, Lookup> resolved_;
};

/// Whether `name` matches the wildcard `pattern` the way a Windows directory
/// listing matches it: '*' and '?', case-insensitive, "*.*" matching every
/// name, '?' matching nothing at a dot or at the end, "*." matching names
/// without an extension.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace hw
