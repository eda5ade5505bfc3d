#include "platform/shortcut_reader_posix.h"

#include <sys/stat.h>

#include <cstring>
#include <fstream>

#include "platform/file_services_posix.h"
#include "platform/ansi_text.h"
#include "platform/code_page.h"
#include "platform/vb_text.h"

namespace hw {
namespace {

// Shortcuts are a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxShortcutLength = 1 << 20;
constexpr std::size_t kHeaderLength = 0x4C;
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr unsigned char kMyComputerClsid[16] = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                                0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};

constexpr std::uint32_t kHasIdList = 0x1;
constexpr std::uint32_t kHasLinkInfo = 0x2;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kForceNoLinkInfo = 0x100;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr std::uint32_t kFileEntryExtension = 0xBEEF0004;

// Bounds-checked little-endian reads over the file's bytes.
class Bytes {
 public:
  explicit Bytes(const std::string& s)
      : data_(reinterpret_cast<const unsigned char*>(s.data())), size_(s.size()) {}
  std::size_t Size() const { return size_; }
  bool Has(std::size_t offset, std::size_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  bool U16(std::size_t offset, std::uint32_t* v) const {
    if (!Has(offset, 2)) return false;
    *v = data_[offset] | (data_[offset + 1] << 8);
    return true;
  }
  bool U32(std::size_t offset, std::uint32_t* v) const {
    if (!Has(offset, 4)) return false;
    *v = data_[offset] | (data_[offset + 1] << 8) | (data_[offset + 2] << 16) |
         (static_cast<std::uint32_t>(data_[offset + 3]) << 24);
    return true;
  }
  const unsigned char* At(std::size_t offset) const { return data_ + offset; }
  // A NUL-terminated single-byte string in [offset, end); false when it
  // starts outside or has no terminator before `end`.
  bool Ansi(std::size_t offset, std::size_t end, std::string* out) const {
    if (end > size_ || offset >= end) return false;
    const void* nul = std::memchr(data_ + offset, 0, end - offset);
    if (!nul) return false;
    *out = TextFromAnsi(std::string(reinterpret_cast<const char*>(data_ + offset),
                                    static_cast<const unsigned char*>(nul) - (data_ + offset)));
    return true;
  }
  // The same for a UTF-16LE string.
  bool Unicode(std::size_t offset, std::size_t end, std::string* out) const {
    if (end > size_ || offset >= end) return false;
    std::size_t units = (end - offset) / 2;
    for (std::size_t i = 0; i < units; ++i) {
      if (data_[offset + 2 * i] == 0 && data_[offset + 2 * i + 1] == 0) {
        *out = Utf8FromUtf16Le(data_ + offset, 2 * i);
        return true;
      }
    }
    return false;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
};

std::string JoinWindows(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (name.empty()) return folder;
  return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

// LinkInfo at [start, start + length): the local path, or empty when the
// target is only on the network. False when the structure does not fit.
bool ParseLinkInfo(const Bytes& b, std::size_t start, std::size_t length, std::string* path) {
  std::uint32_t headerLength, flags, localOffset, suffixOffset;
  if (length < 0x1C || !b.U32(start + 4, &headerLength) || !b.U32(start + 8, &flags) ||
      !b.U32(start + 16, &localOffset) || !b.U32(start + 24, &suffixOffset))
    return false;
  if (headerLength < 0x1C || headerLength > length) return false;
  const std::size_t end = start + length;
  std::uint32_t localUnicode = 0, suffixUnicode = 0;
  if (headerLength >= 0x24 && (!b.U32(start + 28, &localUnicode) || !b.U32(start + 32, &suffixUnicode)))
    return false;

  path->clear();
  if (!(flags & kVolumeIdAndLocalBasePath)) return true;
  std::string base, suffix;
  if (localUnicode != 0) {
    if (!b.Unicode(start + localUnicode, end, &base)) return false;
  } else if (!b.Ansi(start + localOffset, end, &base)) {
    return false;
  }
  if (suffixUnicode != 0) {
    if (!b.Unicode(start + suffixUnicode, end, &suffix)) return false;
  } else if (suffixOffset != 0 && !b.Ansi(start + suffixOffset, end, &suffix)) {
    return false;
  }
  *path = JoinWindows(base, suffix);
  return true;
}

// The long name kept in a file entry's 0xBEEF0004 extension block; empty
// when the item has none.
std::string LongNameOf(const Bytes& b, std::size_t item, std::size_t itemEnd) {
  for (std::size_t p = item + 4; p + 4 <= itemEnd; p += 2) {
    std::uint32_t sig, blockLength, version;
    if (!b.U32(p + 4, &sig) || sig != kFileEntryExtension) continue;
    if (!b.U16(p, &blockLength) || !b.U16(p + 2, &version)) break;
    if (blockLength < 8 || p + blockLength > itemEnd) continue;
    std::size_t nameOffset = version >= 9 ? 46 : version >= 8 ? 42 : version >= 7 ? 38 : version >= 3 ? 20 : 0;
    std::string name;
    if (nameOffset != 0 && nameOffset < blockLength && b.Unicode(p + nameOffset, p + blockLength, &name))
      return name;
    return std::string();
  }
  return std::string();
}

// The path spelt by the ID list at [start, end), empty when it does not
// name a place in a drive's file system. False when the list does not fit.
bool ParseIdList(const Bytes& b, std::size_t start, std::size_t end, std::string* path) {
  struct Item {
    std::size_t offset, length;
  };
  std::vector<Item> items;
  for (std::size_t p = start;;) {
    if (p == end) break;  // some writers leave out the terminating zero
    std::uint32_t length;
    if (!b.U16(p, &length) || p + 2 > end) return false;
    if (length == 0) break;
    if (length < 3 || p + length > end) return false;
    items.push_back({p, length});
    p += length;
  }

  path->clear();
  std::size_t i = 0;
  if (i < items.size() && b.At(items[i].offset)[2] == 0x1F) {
    if (items[i].length < 20 || std::memcmp(b.At(items[i].offset + 4), kMyComputerClsid, 16) != 0)
      return true;
    ++i;
  }
  if (i >= items.size() || (b.At(items[i].offset)[2] & 0x70) != 0x20) return true;
  std::string drive;
  if (!b.Ansi(items[i].offset + 3, items[i].offset + items[i].length, &drive) || drive.size() < 2 ||
      drive[1] != ':')
    return true;
  std::string result = drive.substr(0, 2) + "\\";
  for (++i; i < items.size(); ++i) {
    const std::size_t item = items[i].offset, itemEnd = item + items[i].length;
    const unsigned char type = b.At(item)[2];
    if ((type & 0x70) != 0x30) return true;  // not a file-system item
    std::string name = LongNameOf(b, item, itemEnd);
    if (name.empty()) {
      bool ok = (type & 0x04) ? b.Unicode(item + 14, itemEnd, &name) : b.Ansi(item + 14, itemEnd, &name);
      if (!ok || name.empty()) return true;
    }
    result = JoinWindows(result, name);
  }
  *path = result;
  return true;
}

}  // namespace

ShortcutPaths ParseShortcutPaths(const std::string& bytes) {
  ShortcutPaths out;
  Bytes b(bytes);
  std::uint32_t headerLength, flags;
  if (!b.U32(0, &headerLength) || headerLength != kHeaderLength || !b.Has(0, kHeaderLength) ||
      std::memcmp(b.At(4), kLinkClsid, 16) != 0 || !b.U32(0x14, &flags))
    return out;

  std::size_t p = kHeaderLength;
  std::string idListPath, linkInfoPath;
  if (flags & kHasIdList) {
    std::uint32_t length;
    if (!b.U16(p, &length) || !b.Has(p + 2, length)) return out;
    if (!ParseIdList(b, p + 2, p + 2 + length, &idListPath)) return out;
    p += 2 + length;
  }
  if (flags & kHasLinkInfo) {
    std::uint32_t length;
    if (!b.U32(p, &length) || !b.Has(p, length)) return out;
    if (!ParseLinkInfo(b, p, length, &linkInfoPath)) return out;
    if (flags & kForceNoLinkInfo) linkInfoPath.clear();
    p += length;
  }
  // Name, relative path, working folder, arguments, icon location.
  for (std::uint32_t bit = 0x4; bit <= 0x40; bit <<= 1) {
    if (!(flags & bit)) continue;
    std::uint32_t count;
    if (!b.U16(p, &count)) return out;
    std::size_t length = static_cast<std::size_t>(count) * ((flags & kIsUnicode) ? 2 : 1);
    if (!b.Has(p + 2, length)) return out;
    p += 2 + length;
  }
  // Extra data blocks up to the terminal block; a block that claims more
  // than the file holds marks a damaged file.
  for (;;) {
    std::uint32_t length;
    if (!b.U32(p, &length) || length < 4) break;
    if (length < 8 || !b.Has(p, length)) return out;
    p += length;
  }
  out.valid = true;
  out.linkInfoPath = linkInfoPath;
  out.idListPath = idListPath;
  return out;
}

PosixShortcutReader::PosixShortcutReader(Resolver resolver) : resolver_(std::move(resolver)) {}

PosixShortcutReader::PosixShortcutReader(const PosixFileServices& files)
    : resolver_([&files](const std::string& path, std::string* host) { return files.HostPath(path, host); }) {}

std::string PosixShortcutReader::TargetPath(const std::string& shortcutPath) {
  try {
    std::string host;
    if (!resolver_ || !resolver_(shortcutPath, &host)) return std::string();
    struct stat st;
    if (stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) > kMaxShortcutLength)
      return std::string();
    std::ifstream in(host, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    if (!in || !in.read(&bytes[0], static_cast<std::streamsize>(bytes.size()))) return std::string();
    ShortcutPaths paths = ParseShortcutPaths(bytes);
    if (!paths.valid) return std::string();
    return paths.linkInfoPath.empty() ? ExactTarget(paths.idListPath, std::string())
                                      : ExactTarget(paths.linkInfoPath, paths.idListPath);
  } catch (...) {
    return std::string();  // the interface promises never to throw
  }
}

}  // namespace hw
