#include "platform/file_services_win32.h"

#include "platform/windows_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "platform/ansi_text.h"
#include "platform/runtime_error.h"

namespace hw {

namespace {

// Error numbers outside runtime_error.h that Windows statuses map onto.
constexpr long kErrDiskNotReady = 71;

// The attribute bits the program knows (read-only to archive); the rest,
// such as "normal" or "not content indexed", mean nothing to it.
constexpr DWORD kAttributeMask = 0x3F;

// Opening a file the user may not write is "Path/File access error";
// deleting or replacing one is "Permission denied".
enum class Op { kOpen, kChange };

[[noreturn]] void ThrowFor(DWORD status, Op op) {
  switch (status) {
    case ERROR_FILE_NOT_FOUND:
      throw RuntimeError(kErrFileNotFound, "File not found");
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
      throw RuntimeError(kErrPathNotFound, "Path not found");
    case ERROR_ACCESS_DENIED:
      if (op == Op::kOpen) throw RuntimeError(kErrPathFileAccess, "Path/File access error");
      throw RuntimeError(kErrPermissionDenied, "Permission denied");
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      throw RuntimeError(kErrPermissionDenied, "Permission denied");
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      throw RuntimeError(kErrFileExists, "File already exists");
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      throw RuntimeError(kErrDiskFull, "Disk full");
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      throw RuntimeError(kErrBadFileName, "Bad file name or number");
    case ERROR_NOT_READY:
      throw RuntimeError(kErrDiskNotReady, "Disk not ready");
    default:
      throw RuntimeError(kErrPathFileAccess, "Path/File access error");
  }
}

[[noreturn]] void ThrowLast(Op op) { ThrowFor(GetLastError(), op); }

// Owns a HANDLE; INVALID_HANDLE_VALUE and null both mean none.
class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { Reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  BOOL Reset() {
    BOOL ok = TRUE;
    if (Valid()) ok = CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

// Owns a FindFirstFile search.
class FindHandle {
 public:
  FindHandle(const std::string& pattern, WIN32_FIND_DATAA* data) : h_(FindFirstFileA(pattern.c_str(), data)) {}
  ~FindHandle() {
    if (Valid()) FindClose(h_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  bool Next(WIN32_FIND_DATAA* data) { return FindNextFileA(h_, data) != FALSE; }

 private:
  HANDLE h_;
};

// The program names a drive's root "C:"; to Windows that is the drive's
// current folder, so the root is meant.
std::string RootForm(const std::string& path) {
  if (path.size() == 2 && path[1] == ':') return path + "\\";
  return path;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesA(RootForm(path).c_str()); }

FileTime LocalTimeOf(const FILETIME& utc) {
  FileTime out;
  FILETIME local;
  SYSTEMTIME st;
  if (FileTimeToLocalFileTime(&utc, &local) && FileTimeToSystemTime(&local, &st)) {
    out.year = st.wYear;
    out.month = st.wMonth;
    out.day = st.wDay;
    out.hour = st.wHour;
    out.minute = st.wMinute;
    out.second = st.wSecond;
  }
  return out;
}

class Win32TextReader : public TextReader {
 public:
  explicit Win32TextReader(HANDLE h) : file_(h) {}

  bool AtEndOfStream() override {
    Fill();
    return pos_ >= buffer_.size();
  }

  std::string ReadLine() override {
    if (AtEndOfStream()) throw RuntimeError(kErrPastEnd, "Input past end of file");
    std::string line;
    for (;;) {
      if (!Fill()) break;
      const char* start = buffer_.data() + pos_;
      const void* nl = std::memchr(start, '\n', buffer_.size() - pos_);
      if (nl) {
        std::size_t n = static_cast<const char*>(nl) - start;
        line.append(start, n);
        pos_ += n + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return TextFromAnsi(line);
      }
      line.append(start, buffer_.size() - pos_);
      pos_ = buffer_.size();
    }
    // The last line had no line end.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return TextFromAnsi(line);
  }

  void Close() override { file_.Reset(); }

 private:
  // Makes unread bytes available; false at the end of the file.
  bool Fill() {
    if (pos_ < buffer_.size()) return true;
    if (!file_.Valid() || eof_) return false;
    buffer_.resize(kChunk);
    DWORD got = 0;
    if (!ReadFile(file_.Get(), buffer_.data(), kChunk, &got, nullptr)) ThrowLast(Op::kOpen);
    buffer_.resize(got);
    pos_ = 0;
    if (got == 0) eof_ = true;
    return got != 0;
  }

  static constexpr DWORD kChunk = 64 * 1024;
  Handle file_;
  std::string buffer_;
  std::size_t pos_ = 0;
  bool eof_ = false;
};

class Win32TextWriter : public TextWriter {
 public:
  explicit Win32TextWriter(HANDLE h) : file_(h) {}
  ~Win32TextWriter() override {
    try {
      Close();
    } catch (const RuntimeError&) {
      // A destructor cannot report; callers that care call Close.
    }
  }

  void WriteLine(const std::string& line) override {
    if (!file_.Valid()) throw RuntimeError(kErrBadFileMode, "Bad file mode");
    pending_ += AnsiFromText(line);
    pending_ += "\r\n";
    if (pending_.size() >= kFlushAt) Flush();
  }

  void Close() override {
    if (!file_.Valid()) return;
    try {
      Flush();
    } catch (...) {
      file_.Reset();
      throw;
    }
    file_.Reset();
  }

  bool IsOpen() const override { return file_.Valid(); }

 private:
  void Flush() {
    std::size_t done = 0;
    while (done < pending_.size()) {
      DWORD wrote = 0;
      DWORD want = static_cast<DWORD>(pending_.size() - done);
      if (!WriteFile(file_.Get(), pending_.data() + done, want, &wrote, nullptr) || wrote == 0) {
        DWORD status = GetLastError();
        pending_.clear();
        ThrowFor(status == ERROR_SUCCESS ? ERROR_DISK_FULL : status, Op::kChange);
      }
      done += wrote;
    }
    pending_.clear();
  }

  static constexpr std::size_t kFlushAt = 16 * 1024;
  Handle file_;
  std::string pending_;
};

class Win32RecordFile : public RecordFile {
 public:
  explicit Win32RecordFile(HANDLE h) : file_(h) {}

  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override {
    Check();
    std::size_t done = 0;
    while (done < length) {
      OVERLAPPED at = At(offset + done);
      DWORD got = 0;
      DWORD want = static_cast<DWORD>(std::min<std::size_t>(length - done, kMaxIo));
      if (!ReadFile(file_.Get(), static_cast<char*>(buffer) + done, want, &got, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) break;
        ThrowLast(Op::kOpen);
      }
      if (got == 0) break;
      done += got;
    }
    return done;
  }

  void WriteAt(std::uint64_t offset, const void* buffer, std::size_t length) override {
    Check();
    std::size_t done = 0;
    while (done < length) {
      OVERLAPPED at = At(offset + done);
      DWORD wrote = 0;
      DWORD want = static_cast<DWORD>(std::min<std::size_t>(length - done, kMaxIo));
      if (!WriteFile(file_.Get(), static_cast<const char*>(buffer) + done, want, &wrote, &at)) {
        ThrowLast(Op::kChange);
      }
      if (wrote == 0) ThrowFor(ERROR_DISK_FULL, Op::kChange);
      done += wrote;
    }
  }

  void Sync() override {
    Check();
    if (!FlushFileBuffers(file_.Get())) ThrowLast(Op::kChange);
  }

  std::uint64_t Length() override {
    Check();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_.Get(), &size)) ThrowLast(Op::kOpen);
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  void Truncate(std::uint64_t length) override {
    Check();
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(length);
    if (!SetFilePointerEx(file_.Get(), to, nullptr, FILE_BEGIN) || !SetEndOfFile(file_.Get())) {
      ThrowLast(Op::kChange);
    }
  }

  void Close() override { file_.Reset(); }

 private:
  static constexpr std::size_t kMaxIo = 1u << 30;

  void Check() const {
    if (!file_.Valid()) throw RuntimeError(kErrBadFileMode, "Bad file mode");
  }

  static OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(offset);
    o.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return o;
  }

  Handle file_;
};

}  // namespace

bool Win32FileServices::FileExists(const std::string& path) {
  if (path.empty()) return false;
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileServices::FolderExists(const std::string& path) {
  if (path.empty()) return false;
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileServices::DriveExists(const std::string& root) {
  if (root.empty() || root.size() > 3) return false;
  if (root.size() >= 2 && root[1] != ':') return false;
  if (root.size() == 3 && root[2] != '\\') return false;
  char letter = root[0];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return false;
  return (GetLogicalDrives() >> (letter - 'A')) & 1u;
}

void Win32FileServices::CreateFolder(const std::string& path) {
  if (!CreateDirectoryA(path.c_str(), nullptr)) ThrowLast(Op::kChange);
}

std::vector<FolderFile> Win32FileServices::GetFolderFiles(const std::string& folder) {
  if (!FolderExists(folder)) throw RuntimeError(kErrPathNotFound, "Path not found");
  std::vector<FolderFile> files;
  WIN32_FIND_DATAA data;
  FindHandle find(Join(RootForm(folder), "*"), &data);
  if (!find.Valid()) {
    DWORD status = GetLastError();
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_NO_MORE_FILES) return files;
    ThrowFor(status, Op::kOpen);
  }
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    FolderFile f;
    f.name = data.cFileName;
    f.created = LocalTimeOf(data.ftCreationTime);
    f.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    files.push_back(std::move(f));
  } while (find.Next(&data));
  return files;
}

void Win32FileServices::DeleteFile(const std::string& path, bool force) {
  DWORD a = Attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES) ThrowLast(Op::kChange);
  if (a & FILE_ATTRIBUTE_DIRECTORY) throw RuntimeError(kErrFileNotFound, "File not found");
  bool cleared = false;
  if (force && (a & FILE_ATTRIBUTE_READONLY)) {
    if (!SetFileAttributesA(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY)) ThrowLast(Op::kChange);
    cleared = true;
  }
  if (!DeleteFileA(path.c_str())) {
    DWORD status = GetLastError();
    // The file stays; so does its protection.
    if (cleared) SetFileAttributesA(path.c_str(), a);
    ThrowFor(status, Op::kChange);
  }
}

void Win32FileServices::CopyFile(const std::string& source, const std::string& destination, bool overwrite) {
  if (!CopyFileA(source.c_str(), destination.c_str(), overwrite ? FALSE : TRUE)) ThrowLast(Op::kChange);
}

void Win32FileServices::ReplaceFile(const std::string& source, const std::string& destination) {
  if (!MoveFileExA(source.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ThrowLast(Op::kChange);
  }
}

void Win32FileServices::MoveFile(const std::string& source, const std::string& destination) {
  // Without REPLACE_EXISTING an existing destination fails; a copy onto
  // another volume keeps the attributes and the time of the last change.
  if (!MoveFileExA(source.c_str(), destination.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) {
    ThrowLast(Op::kChange);
  }
}

void Win32FileServices::RecycleFile(const std::string& path) {
  if (!FileExists(path)) throw RuntimeError(kErrFileNotFound, "File not found");
  char full[MAX_PATH * 4];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) ThrowLast(Op::kChange);
  std::string from(full, n);
  from.push_back('\0');  // the list ends with an empty name
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  // Undo keeps it in the Recycle Bin; where there is none the shell asks
  // before destroying it rather than doing so silently.
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI | FOF_WANTNUKEWARNING;
  if (SHFileOperationA(&op) != 0 || op.fAnyOperationsAborted)
    throw RuntimeError(kErrPermissionDenied, "Permission denied");
}

void Win32FileServices::DeleteFolder(const std::string& path) {
  if (!RemoveDirectoryA(path.c_str())) ThrowLast(Op::kChange);
}

std::unique_ptr<TextReader> Win32FileServices::OpenTextFile(const std::string& path) {
  if (FolderExists(path)) throw RuntimeError(kErrPathFileAccess, "Path/File access error");
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) ThrowLast(Op::kOpen);
  return std::make_unique<Win32TextReader>(h);
}

std::unique_ptr<TextWriter> Win32FileServices::CreateTextFile(const std::string& path, bool overwrite) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         overwrite ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) ThrowLast(Op::kOpen);
  return std::make_unique<Win32TextWriter>(h);
}

std::unique_ptr<RecordFile> Win32FileServices::OpenRecordFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED && FileExists(path)) {
    // A read-only file is opened for reading, as a random-access Open does;
    // writes to it then fail.
    h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (h == INVALID_HANDLE_VALUE) ThrowLast(Op::kOpen);
  return std::make_unique<Win32RecordFile>(h);
}

std::vector<DirEntry> Win32FileServices::ListDirectory(const std::string& folder, const std::string& pattern,
                                                       bool includeFolders) {
  std::vector<DirEntry> entries;
  WIN32_FIND_DATAA data;
  FindHandle find(Join(folder, pattern), &data);
  if (!find.Valid()) return entries;
  const DWORD never = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    DWORD a = data.dwFileAttributes;
    if (a & never) continue;
    if ((a & FILE_ATTRIBUTE_DIRECTORY) && !includeFolders) continue;
    entries.push_back({data.cFileName, a & kAttributeMask});
  } while (find.Next(&data));
  return entries;
}

std::uint32_t Win32FileServices::GetAttributes(const std::string& path) {
  DWORD a = Attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES) throw RuntimeError(kErrFileNotFound, "File not found");
  return a & kAttributeMask;
}

bool Win32FileServices::GetFolderIdentity(const std::string& path, FolderIdentity* identity) {
  // Backup semantics is what lets CreateFile open a folder.
  Handle h(CreateFileA(RootForm(path).c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.Valid()) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h.Get(), &info)) return false;
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  identity->volume = info.dwVolumeSerialNumber;
  identity->file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace hw
