#include "platform/hive_header.h"

#include <fstream>

namespace hw {
namespace {

std::uint32_t Le32(const unsigned char* b) {
  return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

}  // namespace

HiveHeader ReadHiveHeader(const std::string& path) {
  HiveHeader h;
  std::ifstream in(path, std::ios::binary);
  if (!in) return h;
  unsigned char b[12] = {};
  in.read(reinterpret_cast<char*>(b), sizeof b);
  if (in.gcount() != static_cast<std::streamsize>(sizeof b) || b[0] != 'r' || b[1] != 'e' || b[2] != 'g' ||
      b[3] != 'f') {
    h.read = in.gcount() == 0 && in.bad() ? HiveHeader::Read::kUnreadable : HiveHeader::Read::kNotAHive;
    return h;
  }
  h.read = HiveHeader::Read::kOk;
  h.primarySequence = Le32(b + 4);
  h.secondarySequence = Le32(b + 8);
  return h;
}

}  // namespace hw
