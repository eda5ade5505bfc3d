#include "support/test_paths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <random>

namespace hw::test {
namespace fs = std::filesystem;

namespace {
std::string NativeFromHost(std::string p) {
#ifdef _WIN32
  // Under Wine the build passes host paths; drive Z: is the host's root.
  if (!p.empty() && p[0] == '/') {
    for (char& c : p) if (c == '/') c = '\\';
    p = "Z:" + p;
  }
#endif
  return p;
}
}  // namespace

std::string BuildDir() {
  const char* b = std::getenv("HW_BUILD_DIR");
  return NativeFromHost(b ? b : fs::current_path().string());
}

std::string MakeTempFolder(const std::string& prefix) {
  std::random_device rd;
  for (;;) {
    fs::path p = fs::temp_directory_path() / (prefix + "-" + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(p, ec)) return p.string();
  }
}

void RemoveTree(const std::string& path) {
  std::error_code ec;
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
  for (auto it = fs::recursive_directory_iterator(path, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    std::error_code ignored;
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(path, ec);
}

std::string SourceDir() { return NativeFromHost(HW_SOURCE_DIR); }

std::string ReadSourceFile(const std::string& relative) {
  std::ifstream in(SourceDir() + relative, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string TestDataDir() {
  std::string d = NativeFromHost(HW_TESTDATA_DIR);
  std::error_code ec;
  return fs::is_directory(d, ec) ? d : std::string();
}

}  // namespace hw::test
