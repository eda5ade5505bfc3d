#include "platform/shortcut_reader_posix.h"
#include "fuzz/fuzz_checks.h"
#include "support/test_paths.h"

namespace hw::fuzz {
namespace {

constexpr std::size_t kShortcutCap = 1 << 20;

struct ShortcutRig {
  std::string folder = test::MakeTempFolder("hw-fuzz-lnk");
  std::string file = folder + "/input.lnk";
  PosixShortcutReader reader{[](const std::string& path, std::string* host) {
    *host = path;
    return true;
  }};
  ~ShortcutRig() { test::RemoveTree(folder); }
};

void RequirePath(const std::string& path, const char* which) {
  Require(path.find('\0') == std::string::npos, std::string(which) + " holds a NUL");
}

}  // namespace

void CheckShortcut(const std::string& input) {
  static ShortcutRig rig;
  const ShortcutPaths paths = ParseShortcutPaths(input);
  Require(paths.valid || (paths.linkInfoPath.empty() && paths.idListPath.empty()),
          "a file that is not a shortcut gave a path");
  RequirePath(paths.linkInfoPath, "the link-info path");
  RequirePath(paths.idListPath, "the ID-list path");
  const std::string& id = paths.idListPath;
  Require(id.empty() || (id.size() >= 3 && id[1] == ':' && id[2] == '\\'),
          "the ID-list path does not start at a drive: " + id);

  WriteInputFile(rig.file, input);
  // A spelling with '?' lost characters: the other one is taken, else none.
  const auto exact = [](const std::string& p) { return p.find('?') == std::string::npos; };
  std::string expected;
  if (paths.valid && input.size() <= kShortcutCap) {
    const std::string& li = paths.linkInfoPath;
    if (li.empty()) expected = exact(id) ? id : "";
    else if (exact(li)) expected = li;
    else if (!id.empty() && exact(id)) expected = id;
  }
  Require(rig.reader.TargetPath(rig.file) == expected, "TargetPath differs from what the bytes say");
}

}  // namespace hw::fuzz
