#include "platform/shortcut_reader_posix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_services_posix.h"
#include "platform/vb_text.h"
#include "platform/code_page.h"
#include "support/lnk_writer.h"
#include "support/scratch_folder.h"
#include "support/test_paths.h"

namespace hw {
namespace {
namespace fs = std::filesystem;

std::string ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

PosixShortcutReader HostReader() {
  return PosixShortcutReader([](const std::string& path, std::string* host) {
    *host = path;
    return true;
  });
}

using namespace test::lnk;

TEST(PosixShortcutReader, ReadsShortcutsMadeAfterTheFormat) {
  auto scratch = test::MakeScratchFolder();
  const std::string r = scratch->Root();
  const std::string fileIds = IdList({MyComputerItem(), DriveItem("C:\\"), FileItem(true, "PROGRA~1", "Program Files"),
                                      FileItem(true, "APP", ""), FileItem(false, "APP.EXE", "")});
  const std::string file = Shortcut(fileIds, LinkInfo("C:\\Program Files\\App\\app.exe", ""));
  scratch->WriteFile(r + "\\Links\\file.lnk", file);
  scratch->WriteFile(r + "\\Links\\folder.lnk",
                     Shortcut(IdList({MyComputerItem(), DriveItem("D:\\"), FileItem(true, "MYDOCU~1", "My Documents"),
                                      FileItem(true, "NOTES~1.OLD", "notes.old data")}),
                              ""));
  scratch->WriteFile(r + "\\Links\\drive.lnk", Shortcut(IdList({MyComputerItem(), DriveItem("E:\\")}), ""));
  scratch->WriteFile(r + "\\Links\\panel.lnk", Shortcut(IdList({ControlPanelItem()}), ""));
  scratch->WriteFile(r + "\\Links\\computer.lnk", Shortcut(IdList({MyComputerItem()}), ""));
  scratch->WriteFile(r + "\\Links\\suffix.lnk", Shortcut("", LinkInfo("C:\\Data\\", "x.txt")));
  scratch->WriteFile(r + "\\Links\\wide.lnk",
                     Shortcut("", LinkInfo("C:\\Caf?", "", std::string("C\0:\0\\\0C\0a\0f\0\xE9\0 \0\x3B\x26\0\0", 20))));

  // As Wine's shell writes a link in a process of code page 1252: "?" in
  // the single-byte path, the names whole in the ID list.
  const std::string wineIds = IdList({MyComputerItem(), DriveItem("C:\\"), FileItem(true, "??????", u8"Данные"),
                                      FileItem(true, "??", u8"用户"), FileItem(false, "app.exe", "app.exe")});
  scratch->WriteFile(r + "\\Links\\wine.lnk", Shortcut(wineIds, LinkInfo("C:\\??????\\??\\app.exe", "")));
  scratch->WriteFile(r + "\\Links\\lost.lnk", Shortcut("", LinkInfo("C:\\??????\\app.exe", "")));

  PosixShortcutReader reader(static_cast<PosixFileServices&>(scratch->Files()));
  EXPECT_EQ(u8"C:\\Данные\\用户\\app.exe", reader.TargetPath(r + "\\Links\\wine.lnk"));
  EXPECT_EQ("", reader.TargetPath(r + "\\Links\\lost.lnk")) << "not known exactly: not judged";
  EXPECT_EQ("C:\\Program Files\\App\\app.exe", reader.TargetPath(r + "\\links\\FILE.LNK"));
  EXPECT_EQ("C:\\Program Files\\APP\\APP.EXE", ParseShortcutPaths(file).idListPath);
  EXPECT_EQ("D:\\My Documents\\notes.old data", reader.TargetPath(r + "\\Links\\folder.lnk"));
  EXPECT_EQ("E:\\", reader.TargetPath(r + "\\Links\\drive.lnk"));
  EXPECT_EQ("", reader.TargetPath(r + "\\Links\\panel.lnk"));
  EXPECT_EQ("", reader.TargetPath(r + "\\Links\\computer.lnk"));
  EXPECT_EQ("C:\\Data\\x.txt", reader.TargetPath(r + "\\Links\\suffix.lnk"));
  EXPECT_EQ(u8"C:\\Café ☻", reader.TargetPath(r + "\\Links\\wide.lnk"));  // exact, though no code page has U+263B
  EXPECT_EQ("", reader.TargetPath(r + "\\Links\\missing.lnk"));
  EXPECT_EQ("", reader.TargetPath("Q:\\Links\\file.lnk"));
  EXPECT_EQ("", reader.TargetPath(r + "\\Links"));

  // Every cut of a good file is read without a crash, and a cut inside the
  // ID list or LinkInfo is refused rather than half-read.
  const std::size_t linkInfoEnd = file.size() - 4;
  for (std::size_t n = 0; n < file.size(); ++n) {
    ShortcutPaths p = ParseShortcutPaths(file.substr(0, n));
    if (n < linkInfoEnd) {
      EXPECT_FALSE(p.valid) << "cut at " << n;
    }
  }
  // A LinkInfo whose offset points past its end.
  std::string bad = file;
  bad[0x4C + fileIds.size() + 16] = '\x7F';
  EXPECT_FALSE(ParseShortcutPaths(bad).valid);
  // An extra data block longer than the file.
  std::string longBlock = file;
  longBlock[longBlock.size() - 4] = '\x10';
  EXPECT_FALSE(ParseShortcutPaths(longBlock).valid);
  EXPECT_FALSE(ParseShortcutPaths(std::string(0x4C, '\0')).valid);
}

TEST(PosixShortcutReader, RealShortcutsGiveTheirLocalPaths) {
  const std::string data = test::TestDataDir();
  if (data.empty()) GTEST_SKIP() << "third-party test data folder is absent";
  const std::string museum = data + "/lnk/dfir-artifact-museum";
  std::ifstream index(museum + "/LNK_INDEX.tsv");
  if (!index) GTEST_SKIP() << "LNK_INDEX.tsv is absent";
  PosixShortcutReader reader = HostReader();

  std::string line;
  std::getline(index, line);  // column names
  int withPath = 0, matched = 0, idListAgrees = 0, idListTried = 0, rows = 0;
  std::vector<std::string> differing;
  while (std::getline(index, line)) {
    std::vector<std::string> cols;
    std::stringstream row(line);
    for (std::string c; std::getline(row, c, '\t');) cols.push_back(c);
    if (cols.empty()) continue;
    ++rows;
    const std::string path = museum + "/" + cols[0];
    const std::string target = reader.TargetPath(path);  // every file is read, with a path or not
    if (cols.size() < 4 || cols[3].empty()) continue;
    ++withPath;
    const std::string& expected = cols[3];
    if (target == expected) {
      ++matched;
    } else {
      differing.push_back(cols[0] + ": got '" + target + "' want '" + expected + "'");
    }
    ShortcutPaths p = ParseShortcutPaths(ReadHost(path));
    if (!p.idListPath.empty()) {
      ++idListTried;
      if (EqualsNoCase(p.idListPath, expected)) ++idListAgrees;
    }
  }
  std::cout << "[ museum ] " << rows << " shortcuts, " << withPath << " with a local path, " << matched
            << " matched; ID list spelt the same path for " << idListAgrees << " of " << idListTried << "\n";
  for (const auto& d : differing) ADD_FAILURE() << d;
  EXPECT_GT(withPath, 500);
}

TEST(PosixShortcutReader, OddRealShortcutsAreReadWithoutCrash) {
  const std::string data = test::TestDataDir();
  if (data.empty()) GTEST_SKIP() << "third-party test data folder is absent";
  PosixShortcutReader reader = HostReader();
  EXPECT_EQ("", reader.TargetPath(data + "/lnk/lnkparse3/extra_data.lnk"));
  EXPECT_FALSE(ParseShortcutPaths(ReadHost(data + "/lnk/lnkparse3/extra_data.lnk")).valid);
  // Its undamaged twin reads.
  EXPECT_EQ("C:\\Users\\Jonathan\\AppData\\Roaming\\.minecraft",
            reader.TargetPath(data + "/lnk/lnkparse3/sample.lnk"));
  int files = 0;
  for (const char* folder : {"/lnk/lnkparse3", "/lnk/plaso"}) {
    for (const auto& e : fs::directory_iterator(data + folder)) {
      std::string target = reader.TargetPath(e.path().string());
      std::cout << "[ sample ] " << e.path().filename().string() << " -> '" << target << "'\n";
      ++files;
    }
  }
  EXPECT_EQ(14, files);
}

}  // namespace
}  // namespace hw
