// What only the Linux reader does: it parses the links itself, so every
// form of ID list and LinkInfo, damaged files, and the shared real samples.
#include "platform/shortcut_reader_posix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_services_posix.h"
#include "support/host_file.h"
#include "support/lnk_writer.h"
#include "support/scratch_folder.h"
#include "support/test_paths.h"

namespace hw {
namespace {
using namespace test::lnk;

TEST(PosixShortcutReader, ReadsEveryFormOfTheFormatAndRefusesDamage) {
  auto scratch = test::MakeScratchFolder();
  const std::string r = scratch->Root();
  const std::string fileIds = IdList({MyComputerItem(), DriveItem("C:\\"), FileItem(true, "PROGRA~1", "Program Files"),
                                      FileItem(true, "APP", ""), FileItem(false, "APP.EXE", "")});
  const std::string file = Shortcut(fileIds, LinkInfo("C:\\Program Files\\App\\app.exe", ""));
  // As Wine's shell writes a link in a process of code page 1252: "?" in
  // the single-byte path, the names whole in the ID list.
  const std::string wineIds = IdList({MyComputerItem(), DriveItem("C:\\"), FileItem(true, "??????", u8"Данные"),
                                      FileItem(true, "??", u8"用户"), FileItem(false, "app.exe", "app.exe")});
  const struct {
    const char* name;
    std::string bytes, expected;
  } cases[] = {
      {"file", file, "C:\\Program Files\\App\\app.exe"},
      {"folder",
       Shortcut(IdList({MyComputerItem(), DriveItem("D:\\"), FileItem(true, "MYDOCU~1", "My Documents"),
                        FileItem(true, "NOTES~1.OLD", "notes.old data")}), ""),
       "D:\\My Documents\\notes.old data"},
      {"drive", Shortcut(IdList({MyComputerItem(), DriveItem("E:\\")}), ""), "E:\\"},
      {"panel", Shortcut(IdList({ControlPanelItem()}), ""), ""},
      {"computer", Shortcut(IdList({MyComputerItem()}), ""), ""},
      {"suffix", Shortcut("", LinkInfo("C:\\Data\\", "x.txt")), "C:\\Data\\x.txt"},
      // Exact from the Unicode base path, though no code page has U+263B.
      {"wide", Shortcut("", LinkInfo("C:\\Caf?", "", std::string("C\0:\0\\\0C\0a\0f\0\xE9\0 \0\x3B\x26\0\0", 20))),
       u8"C:\\Café ☻"},
      {"wine", Shortcut(wineIds, LinkInfo("C:\\??????\\??\\app.exe", "")), u8"C:\\Данные\\用户\\app.exe"},
  };
  PosixShortcutReader reader(static_cast<PosixFileServices&>(scratch->Files()));
  for (const auto& c : cases) {
    scratch->WriteFile(r + "\\Links\\" + c.name + ".lnk", c.bytes);
    EXPECT_EQ(c.expected, reader.TargetPath(r + "\\Links\\" + c.name + ".lnk")) << c.name;
  }
  EXPECT_EQ("C:\\Program Files\\APP\\APP.EXE", ParseShortcutPaths(file).idListPath);
  EXPECT_EQ("", reader.TargetPath("Q:\\Links\\file.lnk"));
  EXPECT_EQ("", reader.TargetPath(r + "\\Links"));

  // Every cut inside the ID list or LinkInfo is refused rather than half-read.
  for (std::size_t n = 0; n < file.size() - 4; ++n) EXPECT_FALSE(ParseShortcutPaths(file.substr(0, n)).valid) << n;
  std::string bad = file;
  bad[0x4C + fileIds.size() + 16] = '\x7F';  // a LinkInfo offset past its end
  EXPECT_FALSE(ParseShortcutPaths(bad).valid);
  bad = file;
  bad[bad.size() - 4] = '\x10';  // an extra data block longer than the file
  EXPECT_FALSE(ParseShortcutPaths(bad).valid);
  EXPECT_FALSE(ParseShortcutPaths(std::string(0x4C, '\0')).valid);
}

TEST(PosixShortcutReader, RealShortcutsGiveTheirLocalPaths) {
  const std::string data = test::TestDataDir();
  if (data.empty()) GTEST_SKIP() << "third-party test data folder is absent";
  const std::string museum = data + "/lnk/dfir-artifact-museum";
  std::ifstream index(museum + "/LNK_INDEX.tsv");
  if (!index) GTEST_SKIP() << "LNK_INDEX.tsv is absent";
  PosixShortcutReader reader([](const std::string& path, std::string* host) {
    *host = path;
    return true;
  });
  std::string line;
  std::getline(index, line);  // column names
  int withPath = 0;
  while (std::getline(index, line)) {
    std::vector<std::string> cols;
    std::stringstream row(line);
    for (std::string c; std::getline(row, c, '\t');) cols.push_back(c);
    if (cols.empty()) continue;
    const std::string path = museum + "/" + cols[0];
    const std::string target = reader.TargetPath(path);  // every file is read, with a path or not
    if (cols.size() < 4 || cols[3].empty()) continue;
    ++withPath;
    EXPECT_EQ(cols[3], target) << cols[0];
  }
  EXPECT_GT(withPath, 500);

  EXPECT_EQ("", reader.TargetPath(data + "/lnk/lnkparse3/extra_data.lnk"));
  EXPECT_FALSE(ParseShortcutPaths(test::HostFileBytes(data + "/lnk/lnkparse3/extra_data.lnk")).valid);
  EXPECT_EQ("C:\\Users\\Jonathan\\AppData\\Roaming\\.minecraft", reader.TargetPath(data + "/lnk/lnkparse3/sample.lnk"));
  int files = 0;
  for (const char* folder : {"/lnk/lnkparse3", "/lnk/plaso"}) {
    for (const auto& e : std::filesystem::directory_iterator(data + folder)) {
      reader.TargetPath(e.path().string());
      ++files;
    }
  }
  EXPECT_EQ(14, files);
}

}  // namespace
}  // namespace hw
