#include "platform/file_services_posix.h"

#include "platform/ansi_text.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/runtime_error.h"
#include "platform/vb_text.h"
#include "platform/code_page.h"

namespace hw {
namespace {

// Lookups remembered while listings are held; beyond this they start afresh.
constexpr std::size_t kMaxResolved = 1u << 16;

const char* DescriptionOf(long number) {
  switch (number) {
    case kErrBadFileName: return "Bad file name or number";
    case kErrFileNotFound: return "File not found";
    case kErrDeviceIo: return "Device I/O error";
    case kErrFileExists: return "File already exists";
    case kErrDiskFull: return "Disk full";
    case kErrPastEnd: return "Input past end of file";
    case kErrPermissionDenied: return "Permission denied";
    case kErrPathNotFound: return "Path not found";
    default: return "Path/File access error";
  }
}

[[noreturn]] void Fail(long number) { throw RuntimeError(number, DescriptionOf(number)); }

long NumberOfErrno(int e) {
  switch (e) {
    case ENOENT: return kErrFileNotFound;
    case ENOTDIR: return kErrPathNotFound;
    case EACCES: case EPERM: case EROFS: case ETXTBSY: case EBUSY: case EISDIR:
      return kErrPermissionDenied;
    case EEXIST: case ENOTEMPTY: return kErrFileExists;
    case ENOSPC: case EDQUOT: case EFBIG: return kErrDiskFull;
    case EIO: return kErrDeviceIo;
    case ENAMETOOLONG: case EINVAL: return kErrBadFileName;
    default: return kErrPathFileAccess;
  }
}

[[noreturn]] void FailErrno() { Fail(NumberOfErrno(errno)); }

std::string JoinHost(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool IsReadOnly(const struct stat& st) { return !S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR); }

// Hidden and system bits of Wine's "user.DOSATTRIB": a hexadecimal number
// written as text, possibly followed by a NUL and binary data.
std::uint32_t DosAttribBits(const std::string& host) {
  char buffer[64];
  ssize_t n = getxattr(host.c_str(), "user.DOSATTRIB", buffer, sizeof buffer - 1);
  if (n <= 2) return 0;
  buffer[n] = '\0';
  if (buffer[0] != '0' || (buffer[1] != 'x' && buffer[1] != 'X')) return 0;
  unsigned long v = std::strtoul(buffer + 2, nullptr, 16);
  return static_cast<std::uint32_t>(v) & (kAttrHidden | kAttrSystem);
}

// Attributes of a host entry whose program-side name is `name`; false when
// it does not exist. A dangling link counts as a file.
bool AttributesOf(const std::string& host, const std::string& name, std::uint32_t* attributes) {
  struct stat st;
  if (stat(host.c_str(), &st) != 0 && lstat(host.c_str(), &st) != 0) return false;
  std::uint32_t a = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if (IsReadOnly(st)) a |= kAttrReadOnly;
  if (name.size() > 1 && name[0] == '.' && name != "..") a |= kAttrHidden;
  a |= DosAttribBits(host);
  *attributes = a;
  return true;
}

FileTime LocalTimeOf(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  FileTime f;
  f.year = tm.tm_year + 1900;
  f.month = tm.tm_mon + 1;
  f.day = tm.tm_mday;
  f.hour = tm.tm_hour;
  f.minute = tm.tm_min;
  f.second = tm.tm_sec;
  return f;
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return fd_; }
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

class DirHandle {
 public:
  explicit DirHandle(const std::string& host) : dir_(opendir(host.c_str())) {}
  ~DirHandle() {
    if (dir_) closedir(dir_);
  }
  DirHandle(const DirHandle&) = delete;
  DirHandle& operator=(const DirHandle&) = delete;
  DIR* Get() const { return dir_; }

 private:
  DIR* dir_;
};

void WriteAll(int fd, const char* data, std::size_t length) {
  while (length > 0) {
    ssize_t n = ::write(fd, data, length);
    if (n < 0) {
      if (errno == EINTR) continue;
      FailErrno();
    }
    data += n;
    length -= static_cast<std::size_t>(n);
  }
}

void CopyBytes(int in, int out) {
  std::string buffer(64 * 1024, '\0');
  for (;;) {
    ssize_t n = ::read(in, &buffer[0], buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) FailErrno();
    if (n == 0) break;
    WriteAll(out, buffer.data(), static_cast<std::size_t>(n));
  }
}

class PosixTextReader : public TextReader {
 public:
  explicit PosixTextReader(int fd) : fd_(fd) {}

  bool AtEndOfStream() override {
    if (fd_.Get() < 0) Fail(kErrBadFileName);
    return pos_ >= buffer_.size() && !Fill();
  }

  std::string ReadLine() override {
    if (AtEndOfStream()) Fail(kErrPastEnd);
    std::string line;
    for (;;) {
      if (pos_ >= buffer_.size() && !Fill()) break;
      std::size_t lf = buffer_.find('\n', pos_);
      if (lf == std::string::npos) {
        line.append(buffer_, pos_, std::string::npos);
        pos_ = buffer_.size();
        continue;
      }
      line.append(buffer_, pos_, lf - pos_);
      pos_ = lf + 1;
      break;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return TextFromAnsi(line);
  }

  void Close() override { fd_.Reset(); }

 private:
  bool Fill() {
    buffer_.resize(64 * 1024);
    for (;;) {
      ssize_t n = ::read(fd_.Get(), &buffer_[0], buffer_.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) FailErrno();
      buffer_.resize(static_cast<std::size_t>(n));
      pos_ = 0;
      return n > 0;
    }
  }

  Fd fd_;
  std::string buffer_;
  std::size_t pos_ = 0;
};

// Each line goes to the file at once, so what a scan has logged survives
// the program being stopped in the middle.
class PosixTextWriter : public TextWriter {
 public:
  explicit PosixTextWriter(int fd) : fd_(fd) {}

  void WriteLine(const std::string& line) override {
    if (fd_.Get() < 0) Fail(kErrBadFileName);
    std::string out = AnsiFromText(line) + "\r\n";
    WriteAll(fd_.Get(), out.data(), out.size());
  }
  void Close() override { fd_.Reset(); }
  bool IsOpen() const override { return fd_.Get() >= 0; }

 private:
  Fd fd_;
};

class PosixRecordFile : public RecordFile {
 public:
  PosixRecordFile(int fd, bool readOnly) : fd_(fd), readOnly_(readOnly) {}

  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override {
    Check();
    char* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
      ssize_t n = ::pread(fd_.Get(), out + done, length - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) FailErrno();
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    return done;
  }

  void WriteAt(std::uint64_t offset, const void* buffer, std::size_t length) override {
    CheckWritable();
    const char* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
      ssize_t n = ::pwrite(fd_.Get(), in + done, length - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) FailErrno();
      done += static_cast<std::size_t>(n);
    }
  }

  void Sync() override {
    Check();
    if (!readOnly_ && ::fsync(fd_.Get()) != 0) FailErrno();
  }

  std::uint64_t Length() override {
    Check();
    struct stat st;
    if (::fstat(fd_.Get(), &st) != 0) FailErrno();
    return static_cast<std::uint64_t>(st.st_size);
  }

  void Truncate(std::uint64_t length) override {
    CheckWritable();
    if (::ftruncate(fd_.Get(), static_cast<off_t>(length)) != 0) FailErrno();
  }

  void Close() override { fd_.Reset(); }

 private:
  void Check() const {
    if (fd_.Get() < 0) Fail(kErrBadFileName);
  }
  void CheckWritable() const {
    Check();
    if (readOnly_) Fail(kErrPathFileAccess);
  }

  Fd fd_;
  bool readOnly_;
};

bool MatchFrom(const std::string& p, std::size_t pi, const std::string& n, std::size_t ni,
               std::size_t lastDot) {
  while (pi < p.size()) {
    char pc = p[pi];
    if (pc == '*') {
      std::size_t next = pi + 1;
      while (next < p.size() && p[next] == '*') ++next;
      if (next == p.size()) return true;
      // A star before a dot stops at the name's last dot, so that "*." does
      // not match "a.b".
      std::size_t limit = n.size();
      if (p[next] == '.' && lastDot != std::string::npos && lastDot >= ni) limit = lastDot;
      for (std::size_t k = ni; k <= limit; ++k)
        if (MatchFrom(p, next, n, k, lastDot)) return true;
      return false;
    }
    if (pc == '?') {
      // At a dot or at the end '?' matches nothing ("a?.txt" matches "a.txt").
      if (ni < n.size() && n[ni] != '.') ++ni;
      ++pi;
      continue;
    }
    if (pc == '.' && ni == n.size()) {
      // A trailing ".", ".*" or ".?" also matches a name without extension.
      return p.find_first_not_of("*?.", pi) == std::string::npos;
    }
    if (ni < n.size() && pc == n[ni]) {
      ++pi;
      ++ni;
      continue;
    }
    return false;
  }
  return ni == n.size();
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  if (pattern == "*" || pattern == "*.*") return true;
  std::string p = UCase(pattern), n = UCase(name);
  return MatchFrom(p, 0, n, 0, n.rfind('.'));
}

PosixFileServices::PosixFileServices(std::map<char, std::string> drives) {
  for (auto& d : drives)
    drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(d.first)))] = d.second;
}

PosixFileServices::Lookup PosixFileServices::Resolve(const std::string& path) const {
  if (held_ == 0) return ResolveOnDisk(path);
  if (auto it = resolved_.find(path); it != resolved_.end()) return it->second;
  if (resolved_.size() >= kMaxResolved) resolved_.clear();
  return resolved_.emplace(path, ResolveOnDisk(path)).first->second;
}

PosixFileServices::Lookup PosixFileServices::ResolveOnDisk(const std::string& path) const {
  Lookup r;
  if (path.size() < 2 || path[1] != ':' || path.find('\0') != std::string::npos) return r;
  auto drive = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
  if (drive == drives_.end()) return r;

  std::vector<std::string> parts;
  std::size_t start = 2;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }

  r.valid = true;
  std::string host = drive->second;
  if (parts.empty()) {
    struct stat st;
    r.root = true;
    r.parentFound = true;
    r.found = stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    r.host = host;
    return r;
  }
  if (held_ > 0) {
    for (std::size_t i = 0; i < parts.size(); ++i) {
      std::string candidate;
      unsigned char type = DT_UNKNOWN;
      const bool exists = FindEntry(host, parts[i], &candidate, &type);
      if (i + 1 == parts.size()) {
        r.parentFound = true;
        r.found = exists;
        r.type = exists ? type : static_cast<unsigned char>(DT_UNKNOWN);
        r.host = candidate;
        return r;
      }
      if (!exists) return r;
      host = candidate;
    }
  }
  // Most paths are spelt as on disk: one lstat of the whole path settles
  // them, instead of one per component.
  {
    std::string whole = host;
    for (const std::string& part : parts) whole = JoinHost(whole, part);
    struct stat st;
    if (lstat(whole.c_str(), &st) == 0) {
      r.parentFound = true;
      r.found = true;
      r.host = whole;
      return r;
    }
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::string candidate = JoinHost(host, parts[i]);
    struct stat st;
    bool exists = lstat(candidate.c_str(), &st) == 0;
    if (!exists) {
      DirHandle dir(host);
      if (dir.Get()) {
        while (dirent* e = readdir(dir.Get())) {
          std::string name = e->d_name;
          if (name == "." || name == "..") continue;
          if (EqualsNoCase(name, parts[i])) {
            candidate = JoinHost(host, name);
            exists = true;
            break;
          }
        }
      }
    }
    if (i + 1 == parts.size()) {
      r.parentFound = true;
      r.found = exists;
      r.host = candidate;
      return r;
    }
    if (!exists) return r;
    host = candidate;
  }
  return r;
}

PosixFileServices::Listing& PosixFileServices::ListingOf(const std::string& hostFolder) const {
  auto it = listings_.find(hostFolder);
  if (it != listings_.end()) return it->second;
  Listing& l = listings_[hostFolder];
  DirHandle dir(hostFolder);
  struct stat st;
  if (!dir.Get() || fstat(dirfd(dir.Get()), &st) != 0) return l;
  l.listed = true;
  l.device = static_cast<unsigned long long>(st.st_dev);
  l.inode = static_cast<unsigned long long>(st.st_ino);
  while (dirent* e = readdir(dir.Get())) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    l.exact.emplace(name, static_cast<int>(l.names.size()));
    l.names.push_back(std::move(name));
    l.types.push_back(e->d_type);
  }
  return l;
}

bool PosixFileServices::FindEntry(const std::string& hostFolder, const std::string& part,
                                  std::string* host, unsigned char* type) const {
  Listing& l = ListingOf(hostFolder);
  *host = JoinHost(hostFolder, part);
  if (!l.listed) {
    // A folder that may be searched but not read: only the exact name can
    // be found, as without the listings.
    struct stat st;
    *type = DT_UNKNOWN;
    return lstat(host->c_str(), &st) == 0;
  }
  int index = -1;
  if (auto e = l.exact.find(part); e != l.exact.end()) {
    index = e->second;
  } else if (auto a = l.asked.find(part); a != l.asked.end()) {
    index = a->second;
  } else {
    for (std::size_t i = 0; i < l.names.size(); ++i)
      if (EqualsNoCase(l.names[i], part)) {
        index = static_cast<int>(i);
        break;
      }
    l.asked.emplace(part, index);
  }
  if (index < 0) return false;
  *host = JoinHost(hostFolder, l.names[static_cast<std::size_t>(index)]);
  *type = l.types[static_cast<std::size_t>(index)];
  return true;
}

void PosixFileServices::Forget(const std::string& host) {
  resolved_.clear();
  if (listings_.empty() || host.empty()) return;
  const std::size_t slash = host.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : host.substr(0, slash);
  struct stat st;
  const bool known = stat(folder.c_str(), &st) == 0;
  for (auto it = listings_.begin(); it != listings_.end();) {
    const std::string& key = it->first;
    const bool stale = key == folder || key == host ||
                       (key.size() > host.size() && key.compare(0, host.size(), host) == 0 && key[host.size()] == '/') ||
                       (known && it->second.listed && it->second.device == static_cast<unsigned long long>(st.st_dev) &&
                        it->second.inode == static_cast<unsigned long long>(st.st_ino));
    it = stale ? listings_.erase(it) : std::next(it);
  }
}

void PosixFileServices::HoldFolderListings(bool hold) {
  held_ += hold ? 1 : -1;
  if (held_ <= 0) {
    held_ = 0;
    listings_.clear();
    resolved_.clear();
  }
}

PosixFileServices::Lookup PosixFileServices::ResolveOrThrow(const std::string& path,
                                                            bool mustExist) const {
  if (path.size() < 2 || path[1] != ':' || path.find('\0') != std::string::npos)
    Fail(kErrBadFileName);
  Lookup r = Resolve(path);
  if (!r.valid || !r.parentFound) Fail(kErrPathNotFound);
  if (mustExist && !r.found) Fail(kErrFileNotFound);
  return r;
}

bool PosixFileServices::HostPath(const std::string& windowsPath, std::string* host) const {
  Lookup r = Resolve(windowsPath);
  if (!r.valid || !r.parentFound) return false;
  *host = r.host;
  return true;
}

bool PosixFileServices::FileExists(const std::string& path) {
  Lookup r = Resolve(path);
  if (r.found && (r.type == DT_REG || r.type == DT_DIR)) return r.type == DT_REG;
  struct stat st;
  return r.found && stat(r.host.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool PosixFileServices::FolderExists(const std::string& path) {
  Lookup r = Resolve(path);
  if (r.found && (r.type == DT_REG || r.type == DT_DIR)) return r.type == DT_DIR;
  struct stat st;
  return r.found && stat(r.host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileServices::DriveExists(const std::string& root) {
  if (root.size() < 2 || root.size() > 3 || root[1] != ':') return false;
  if (root.size() == 3 && root[2] != '\\' && root[2] != '/') return false;
  return FolderExists(root.substr(0, 2));
}

void PosixFileServices::CreateFolder(const std::string& path) {
  Lookup r = ResolveOrThrow(path, false);
  Forgetting forget{*this, r.host};
  if (r.found) Fail(kErrFileExists);
  if (::mkdir(r.host.c_str(), 0777) != 0) FailErrno();
}

std::vector<FolderFile> PosixFileServices::GetFolderFiles(const std::string& folder) {
  Lookup r = ResolveOrThrow(folder, false);
  if (!r.found) Fail(kErrPathNotFound);
  DirHandle dir(r.host);
  if (!dir.Get()) FailErrno();
  std::vector<FolderFile> files;
  const int dfd = dirfd(dir.Get());
  while (dirent* e = readdir(dir.Get())) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    FolderFile f;
#ifdef STATX_BTIME
    struct statx sx;
    if (statx(dfd, e->d_name, 0, STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_BTIME, &sx) != 0)
      continue;
    if (S_ISDIR(sx.stx_mode)) continue;
    // Not every file system keeps a birth time; the last change is the
    // nearest the host can tell.
    f.created = LocalTimeOf((sx.stx_mask & STATX_BTIME) ? sx.stx_btime.tv_sec : sx.stx_mtime.tv_sec);
    f.size = sx.stx_size;
#else
    struct stat st;
    if (fstatat(dfd, e->d_name, &st, 0) != 0 || S_ISDIR(st.st_mode)) continue;
    f.created = LocalTimeOf(st.st_mtime);
    f.size = static_cast<std::uint64_t>(st.st_size);
#endif
    f.name = name;
    files.push_back(std::move(f));
  }
  return files;
}

void PosixFileServices::DeleteFile(const std::string& path, bool force) {
  Lookup r = ResolveOrThrow(path, true);
  Forgetting forget{*this, r.host};
  struct stat st;
  if (lstat(r.host.c_str(), &st) != 0) FailErrno();
  if (S_ISDIR(st.st_mode)) Fail(kErrFileNotFound);
  struct stat target;
  if (!force && stat(r.host.c_str(), &target) == 0 && IsReadOnly(target)) Fail(kErrPermissionDenied);
  if (::unlink(r.host.c_str()) != 0) FailErrno();
}

void PosixFileServices::CopyFile(const std::string& source, const std::string& destination,
                                 bool overwrite) {
  Lookup s = ResolveOrThrow(source, true);
  struct stat sst;
  if (stat(s.host.c_str(), &sst) != 0) FailErrno();
  if (S_ISDIR(sst.st_mode)) Fail(kErrFileNotFound);
  Lookup d = ResolveOrThrow(destination, false);
  Forgetting forget{*this, d.host};
  struct stat dst;
  if (d.found && stat(d.host.c_str(), &dst) == 0) {
    if (S_ISDIR(dst.st_mode)) Fail(kErrPermissionDenied);
    if (!overwrite) Fail(kErrFileExists);
    if (IsReadOnly(dst)) Fail(kErrPermissionDenied);
    // Truncating the destination would destroy the source.
    if (dst.st_dev == sst.st_dev && dst.st_ino == sst.st_ino) Fail(kErrPermissionDenied);
  }
  Fd in(::open(s.host.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.Get() < 0) FailErrno();
  Fd out(::open(d.host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, sst.st_mode & 0777));
  if (out.Get() < 0) FailErrno();
  CopyBytes(in.Get(), out.Get());
  // A failed close can be the first news of a full disk.
  if (::close(out.Release()) != 0) FailErrno();
}

void PosixFileServices::ReplaceFile(const std::string& source, const std::string& destination) {
  Lookup s = ResolveOrThrow(source, true);
  struct stat sst;
  if (lstat(s.host.c_str(), &sst) != 0) FailErrno();
  if (S_ISDIR(sst.st_mode)) Fail(kErrFileNotFound);
  Lookup d = ResolveOrThrow(destination, false);
  Forgetting forgetSource{*this, s.host}, forgetDestination{*this, d.host};
  struct stat dst;
  if (d.found && stat(d.host.c_str(), &dst) == 0) {
    if (S_ISDIR(dst.st_mode)) Fail(kErrPermissionDenied);
    if (IsReadOnly(dst)) Fail(kErrPermissionDenied);
  }
  if (::rename(s.host.c_str(), d.host.c_str()) != 0) FailErrno();
}

namespace {

// Onto another file system: a copy with the same mode, times and DOS
// attributes, made durable before the original goes.
void CopyAcross(const std::string& from, const std::string& to) {
  Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.Get() < 0) FailErrno();
  struct stat st;
  if (::fstat(in.Get(), &st) != 0) FailErrno();
  Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (out.Get() < 0) FailErrno();
  try {
    CopyBytes(in.Get(), out.Get());
    char attrib[256];
    const ssize_t a = fgetxattr(in.Get(), "user.DOSATTRIB", attrib, sizeof attrib);
    if (a > 0) fsetxattr(out.Get(), "user.DOSATTRIB", attrib, static_cast<std::size_t>(a), 0);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fchmod(out.Get(), st.st_mode & 07777) != 0 || ::futimens(out.Get(), times) != 0 ||
        ::fsync(out.Get()) != 0 || ::close(out.Release()) != 0)
      FailErrno();
  } catch (...) {
    ::unlink(to.c_str());
    throw;
  }
  if (::unlink(from.c_str()) != 0) FailErrno();
}

// A path as the trash's info files write it: bytes outside the unreserved
// set and '/' percent-encoded.
std::string TrashEscaped(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (std::isalnum(c) || std::strchr("/-_.~", c)) {
      out.push_back(static_cast<char>(c));
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

void MakeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) FailErrno();
}

}  // namespace

void PosixFileServices::MoveFile(const std::string& source, const std::string& destination) {
  Lookup s = ResolveOrThrow(source, true);
  struct stat sst;
  if (lstat(s.host.c_str(), &sst) != 0) FailErrno();
  if (S_ISDIR(sst.st_mode)) Fail(kErrFileNotFound);
  Lookup d = ResolveOrThrow(destination, false);
  Forgetting forgetSource{*this, s.host}, forgetDestination{*this, d.host};
  if (d.found) Fail(kErrFileExists);
  if (::renameat2(AT_FDCWD, s.host.c_str(), AT_FDCWD, d.host.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno == EXDEV) return CopyAcross(s.host, d.host);
  FailErrno();
}

void PosixFileServices::RecycleFile(const std::string& path) {
  Lookup r = ResolveOrThrow(path, true);
  Forgetting forget{*this, r.host};
  struct stat st;
  if (lstat(r.host.c_str(), &st) != 0) FailErrno();
  if (S_ISDIR(st.st_mode)) Fail(kErrFileNotFound);
  std::string home;
  if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x == '/') {
    home = x;
  } else if (const char* h = std::getenv("HOME"); h && *h == '/') {
    home = std::string(h) + "/.local/share";
  } else {
    Fail(kErrPathNotFound);
  }
  // The folders on the way, then Trash, files and info.
  for (std::size_t p = home.find('/', 1); p != std::string::npos; p = home.find('/', p + 1))
    MakeFolder(home.substr(0, p));
  MakeFolder(home);
  const std::string trash = home + "/Trash";
  MakeFolder(trash);
  MakeFolder(trash + "/files");
  MakeFolder(trash + "/info");

  char* real = ::realpath(r.host.c_str(), nullptr);
  if (!real) FailErrno();
  const std::string absolute = real;
  std::free(real);
  const std::string base = absolute.substr(absolute.rfind('/') + 1);
  const std::size_t dot = base.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
  const std::string ext = stem.size() == base.size() ? std::string() : base.substr(dot);

  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &tm);
  const std::string info = "[Trash Info]\nPath=" + TrashEscaped(absolute) + "\nDeletionDate=" + date + "\n";
  for (int n = 1; n < 10000; ++n) {
    const std::string name = n == 1 ? base : stem + "." + std::to_string(n) + ext;
    const std::string infoPath = trash + "/info/" + name + ".trashinfo";
    // The info file claims the name first, so two recyclers never share one.
    Fd fd(::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.Get() < 0) {
      if (errno == EEXIST) continue;
      FailErrno();
    }
    try {
      WriteAll(fd.Get(), info.data(), info.size());
      if (::fsync(fd.Get()) != 0 || ::close(fd.Release()) != 0) FailErrno();
      if (::renameat2(AT_FDCWD, r.host.c_str(), AT_FDCWD, (trash + "/files/" + name).c_str(), RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST) {
          ::unlink(infoPath.c_str());
          continue;
        }
        FailErrno();
      }
    } catch (...) {
      ::unlink(infoPath.c_str());
      throw;
    }
    // The trash may lie on a mapped drive too.
    Forget(infoPath);
    Forget(trash + "/files/" + name);
    return;
  }
  Fail(kErrFileExists);
}

void PosixFileServices::DeleteFolder(const std::string& path) {
  Lookup r = ResolveOrThrow(path, true);
  Forgetting forget{*this, r.host};
  if (::rmdir(r.host.c_str()) != 0) FailErrno();
}

std::unique_ptr<TextReader> PosixFileServices::OpenTextFile(const std::string& path) {
  Lookup r = ResolveOrThrow(path, true);
  Fd fd(::open(r.host.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) FailErrno();
  struct stat st;
  if (::fstat(fd.Get(), &st) != 0) FailErrno();
  if (S_ISDIR(st.st_mode)) Fail(kErrPermissionDenied);
  return std::make_unique<PosixTextReader>(fd.Release());
}

std::unique_ptr<TextWriter> PosixFileServices::CreateTextFile(const std::string& path, bool overwrite) {
  Lookup r = ResolveOrThrow(path, false);
  Forgetting forget{*this, r.host};
  struct stat st;
  if (r.found && stat(r.host.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) Fail(kErrPermissionDenied);
    if (!overwrite) Fail(kErrFileExists);
    if (IsReadOnly(st)) Fail(kErrPermissionDenied);
  }
  int fd = ::open(r.host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) FailErrno();
  return std::make_unique<PosixTextWriter>(fd);
}

std::unique_ptr<RecordFile> PosixFileServices::OpenRecordFile(const std::string& path) {
  Lookup r = ResolveOrThrow(path, false);
  // Opening a missing file makes it.
  Forgetting forget{*this, r.found ? std::string() : r.host};
  struct stat st;
  bool readOnly = false;
  if (r.found && stat(r.host.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) Fail(kErrPermissionDenied);
    readOnly = IsReadOnly(st);
  }
  int fd = ::open(r.host.c_str(), (readOnly ? O_RDONLY : O_RDWR | O_CREAT) | O_CLOEXEC, 0666);
  if (fd < 0 && !readOnly && r.found && (errno == EACCES || errno == EROFS)) {
    // Like a random-access Open, fall back to reading what cannot be written.
    readOnly = true;
    fd = ::open(r.host.c_str(), O_RDONLY | O_CLOEXEC);
  }
  if (fd < 0) FailErrno();
  return std::make_unique<PosixRecordFile>(fd, readOnly);
}

std::vector<DirEntry> PosixFileServices::ListDirectory(const std::string& folder,
                                                       const std::string& pattern,
                                                       bool includeFolders) {
  std::vector<DirEntry> entries;
  Lookup r = Resolve(folder);
  if (!r.found) return entries;
  DirHandle dir(r.host);
  if (!dir.Get()) return entries;
  // Windows lists "." and ".." first in every folder but a drive's root.
  if (includeFolders && !r.root) {
    for (const char* dots : {".", ".."})
      if (WildcardMatch(pattern, dots)) entries.push_back({dots, kAttrDirectory});
  }
  while (dirent* e = readdir(dir.Get())) {
    std::string hostName = e->d_name;
    if (hostName == "." || hostName == "..") continue;
    const std::string& name = hostName;
    if (!WildcardMatch(pattern, name)) continue;
    std::uint32_t a = 0;
    if (!AttributesOf(JoinHost(r.host, hostName), name, &a)) continue;
    if (a & (kAttrHidden | kAttrSystem)) continue;
    if ((a & kAttrDirectory) && !includeFolders) continue;
    entries.push_back({name, a});
  }
  return entries;
}

std::vector<std::string> PosixFileServices::ListSubfolders(const std::string& folder) {
  std::vector<std::string> names;
  Lookup r = Resolve(folder);
  if (!r.found) return names;
  DirHandle dir(r.host);
  if (!dir.Get()) return names;
  while (dirent* e = readdir(dir.Get())) {
    std::string hostName = e->d_name;
    if (hostName == "." || hostName == "..") continue;
    // The entry's type from the listing spares a stat for every plain file.
    if (e->d_type == DT_REG) continue;
    const std::string& name = hostName;
    std::uint32_t a = 0;
    if (!AttributesOf(JoinHost(r.host, hostName), name, &a)) continue;
    if ((a & kAttrDirectory) && !(a & (kAttrHidden | kAttrSystem))) names.push_back(name);
  }
  return names;
}

std::uint32_t PosixFileServices::GetAttributes(const std::string& path) {
  Lookup r = ResolveOrThrow(path, true);
  if (r.root) return kAttrDirectory;
  std::string name = r.host.substr(r.host.rfind('/') + 1);
  std::uint32_t a = 0;
  if (!AttributesOf(r.host, name, &a)) Fail(kErrFileNotFound);
  return a;
}

bool PosixFileServices::GetFolderIdentity(const std::string& path, FolderIdentity* identity) {
  Lookup r = Resolve(path);
  struct stat st;
  if (!r.found || stat(r.host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  identity->volume = static_cast<std::uint64_t>(st.st_dev);
  identity->file = static_cast<std::uint64_t>(st.st_ino);
  return true;
}

}  // namespace hw
