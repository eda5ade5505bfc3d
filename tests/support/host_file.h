#pragma once
// The bytes of a host file, read past the code under test; empty when it
// cannot be read.
#include <fstream>
#include <iterator>
#include <string>

namespace hw::test {

inline std::string HostFileBytes(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace hw::test
