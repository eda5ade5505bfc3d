#include "platform/blank_hive.h"

#include <algorithm>

namespace hw {
namespace {

constexpr std::size_t kBaseBlockLength = 0x1000;
constexpr std::size_t kBinLength = 0x1000;
constexpr std::size_t kBinHeaderLength = 0x20;
constexpr std::uint32_t kNoCell = 0xFFFFFFFFu;

void Put16(std::string& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put64(std::string& b, std::size_t at, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
std::uint32_t Get32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

// A self-relative security descriptor: owner Administrators, group SYSTEM,
// and a DACL granting full control to Administrators, SYSTEM and the
// creator owner and read access to Everyone, inherited by subkeys. Keys
// added later share this cell (their parent's).
std::string SecurityDescriptor() {
  auto sid = [](std::uint8_t authority, std::initializer_list<std::uint32_t> subs) {
    std::string s(8 + 4 * subs.size(), '\0');
    s[0] = 1;
    s[1] = static_cast<char>(subs.size());
    s[7] = static_cast<char>(authority);
    std::size_t at = 8;
    for (std::uint32_t sub : subs) { Put32(s, at, sub); at += 4; }
    return s;
  };
  const std::string admins = sid(5, {32, 544});
  const std::string system = sid(5, {18});
  const std::string everyone = sid(1, {0});
  const std::string creator = sid(3, {0});

  auto ace = [](std::uint8_t flags, std::uint32_t mask, const std::string& who) {
    std::string a(8, '\0');
    a[0] = 0;  // access allowed
    a[1] = static_cast<char>(flags);
    Put16(a, 2, static_cast<std::uint16_t>(8 + who.size()));
    Put32(a, 4, mask);
    return a + who;
  };
  constexpr std::uint8_t kContainerInherit = 0x02;
  constexpr std::uint8_t kInheritOnly = 0x08;
  constexpr std::uint32_t kKeyAllAccess = 0xF003F;
  constexpr std::uint32_t kKeyReadMask = 0x20019;
  std::string aces = ace(kContainerInherit, kKeyAllAccess, admins) +
                     ace(kContainerInherit, kKeyAllAccess, system) +
                     ace(kContainerInherit | kInheritOnly, kKeyAllAccess, creator) +
                     ace(kContainerInherit, kKeyReadMask, everyone);
  std::string acl(8, '\0');
  acl[0] = 2;
  Put16(acl, 2, static_cast<std::uint16_t>(8 + aces.size()));
  Put16(acl, 4, 4);
  acl += aces;

  std::string sd(20, '\0');
  sd[0] = 1;
  Put16(sd, 2, 0x8004);  // self-relative, DACL present
  const std::uint32_t ownerAt = 20;
  const std::uint32_t groupAt = ownerAt + static_cast<std::uint32_t>(admins.size());
  const std::uint32_t daclAt = groupAt + static_cast<std::uint32_t>(system.size());
  Put32(sd, 4, ownerAt);
  Put32(sd, 8, groupAt);
  Put32(sd, 12, 0);
  Put32(sd, 16, daclAt);
  return sd + admins + system + acl;
}

std::size_t RoundUp8(std::size_t n) { return (n + 7) & ~std::size_t{7}; }

}  // namespace

std::uint32_t HiveHeaderChecksum(const std::string& baseBlock) {
  std::uint32_t sum = 0;
  for (std::size_t at = 0; at < 0x1FC; at += 4) sum ^= Get32(baseBlock, at);
  if (sum == 0xFFFFFFFFu) return 0xFFFFFFFEu;
  if (sum == 0) return 1;
  return sum;
}

std::string MakeBlankHive(const std::string& rootName, const std::string& fileName,
                          std::uint64_t fileTime) {
  std::string name = rootName.substr(0, 255);
  std::string hive(kBaseBlockLength + kBinLength, '\0');

  // The bin: header, root key cell, security cell, one free cell to the end.
  const std::size_t bin = kBaseBlockLength;
  const std::size_t nkAt = kBinHeaderLength;  // offsets are relative to the first bin
  const std::size_t nkLength = RoundUp8(4 + 0x4C + name.size());
  const std::size_t skAt = nkAt + nkLength;
  const std::string sd = SecurityDescriptor();
  const std::size_t skLength = RoundUp8(4 + 0x14 + sd.size());
  const std::size_t freeAt = skAt + skLength;

  hive.replace(bin, 4, "hbin");
  Put32(hive, bin + 4, 0);
  Put32(hive, bin + 8, static_cast<std::uint32_t>(kBinLength));
  Put64(hive, bin + 0x14, fileTime);

  std::size_t c = bin + nkAt;
  Put32(hive, c, static_cast<std::uint32_t>(-static_cast<std::int32_t>(nkLength)));
  std::size_t nk = c + 4;
  hive.replace(nk, 2, "nk");
  Put16(hive, nk + 0x02, 0x2C);  // hive entry, cannot be deleted, ASCII name
  Put64(hive, nk + 0x04, fileTime);
  Put32(hive, nk + 0x10, 0);                     // parent: none
  Put32(hive, nk + 0x1C, kNoCell);               // subkey list
  Put32(hive, nk + 0x20, kNoCell);               // volatile subkey list
  Put32(hive, nk + 0x28, kNoCell);               // value list
  Put32(hive, nk + 0x2C, static_cast<std::uint32_t>(skAt));
  Put32(hive, nk + 0x30, kNoCell);               // class name
  Put16(hive, nk + 0x48, static_cast<std::uint16_t>(name.size()));
  hive.replace(nk + 0x4C, name.size(), name);

  c = bin + skAt;
  Put32(hive, c, static_cast<std::uint32_t>(-static_cast<std::int32_t>(skLength)));
  std::size_t sk = c + 4;
  hive.replace(sk, 2, "sk");
  Put32(hive, sk + 0x04, static_cast<std::uint32_t>(skAt));  // the only cell: links to itself
  Put32(hive, sk + 0x08, static_cast<std::uint32_t>(skAt));
  Put32(hive, sk + 0x0C, 1);                                  // referenced by the root
  Put32(hive, sk + 0x10, static_cast<std::uint32_t>(sd.size()));
  hive.replace(sk + 0x14, sd.size(), sd);

  Put32(hive, bin + freeAt, static_cast<std::uint32_t>(kBinLength - freeAt));

  // The base block.
  hive.replace(0, 4, "regf");
  Put32(hive, 0x04, 1);  // primary and secondary sequence numbers equal: clean
  Put32(hive, 0x08, 1);
  Put64(hive, 0x0C, fileTime);
  Put32(hive, 0x14, 1);  // format 1.3
  Put32(hive, 0x18, 3);
  Put32(hive, 0x1C, 0);  // primary file
  Put32(hive, 0x20, 1);  // direct memory load
  Put32(hive, 0x24, static_cast<std::uint32_t>(nkAt));
  Put32(hive, 0x28, static_cast<std::uint32_t>(kBinLength));
  Put32(hive, 0x2C, 1);
  const std::string tail = fileName.size() > 31 ? fileName.substr(fileName.size() - 31) : fileName;
  for (std::size_t i = 0; i < tail.size(); ++i) hive[0x30 + 2 * i] = tail[i];
  Put32(hive, 0x1FC, HiveHeaderChecksum(hive));
  return hive;
}

}  // namespace hw
