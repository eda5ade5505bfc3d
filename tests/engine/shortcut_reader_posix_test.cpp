#include "engine/shortcut_reader_posix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "registry/file_services_posix.h"
#include "registry/vb_text.h"
#include "registry/code_page.h"
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

// ---- shortcut files made here, after the published format ----------------

void Put16(std::string& s, std::uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
std::string Utf16(const std::string& ansiAscii) {
  std::string s;
  for (char c : ansiAscii) Put16(s, static_cast<unsigned char>(c));
  Put16(s, 0);
  return s;
}
std::string Item(unsigned char type, const std::string& body) {
  std::string item;
  Put16(item, static_cast<std::uint32_t>(body.size() + 3));
  item += static_cast<char>(type);
  return item + body;
}
std::string MyComputerItem() {
  static const unsigned char clsid[16] = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                          0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
  return Item(0x1F, std::string(1, '\x50') + std::string(reinterpret_cast<const char*>(clsid), 16));
}
std::string ControlPanelItem() {
  return Item(0x1F, std::string(1, '\x50') + std::string("\x20\x20\xEC\x21\xEA\x3A\x69\x10\xA2\xDD\x08\x00\x2B\x30\x30\x9D", 16));
}
std::string DriveItem(const std::string& root) { return Item(0x2F, root + std::string(22 - root.size(), '\0')); }
// A file-system item: short name, and a version 9 extension block with the
// long name when one is given.
std::string FileItem(bool folder, const std::string& shortName, const std::string& longName) {
  std::string body(1, '\0');
  Put32(body, 0);          // size
  Put32(body, 0x2AC45090); // DOS date and time
  Put16(body, folder ? 0x10 : 0x20);
  body += shortName + '\0';
  if (body.size() % 2 == 0) body += '\0';  // the item so far (with its 3 leading bytes) is even
  if (!longName.empty()) {
    std::string block;
    std::string name = Utf16(longName);
    Put16(block, static_cast<std::uint32_t>(46 + name.size() + 2));
    Put16(block, 9);
    Put32(block, 0xBEEF0004);
    block += std::string(38, '\0');
    block += name;
    Put16(block, 0);  // offset of the block, not used by readers that search for it
    body += block;
  }
  return Item(folder ? 0x31 : 0x32, body);
}
std::string IdList(const std::vector<std::string>& items) {
  std::string list;
  for (const auto& i : items) list += i;
  Put16(list, 0);
  std::string out;
  Put16(out, static_cast<std::uint32_t>(list.size()));
  return out + list;
}
// LinkInfo with a volume id and an ANSI local base path, or with the
// Unicode fields as well when `unicodeBase` is given.
std::string LinkInfo(const std::string& base, const std::string& suffix, const std::string& unicodeBase = "") {
  const bool wide = !unicodeBase.empty();
  const std::uint32_t header = wide ? 0x24 : 0x1C;
  std::string volume;
  Put32(volume, 0x11);
  Put32(volume, 3);
  Put32(volume, 0x1234);
  Put32(volume, 0x10);
  volume += '\0';
  std::uint32_t volumeOffset = header;
  std::uint32_t baseOffset = volumeOffset + static_cast<std::uint32_t>(volume.size());
  std::uint32_t suffixOffset = baseOffset + static_cast<std::uint32_t>(base.size() + 1);
  std::uint32_t wideOffset = suffixOffset + static_cast<std::uint32_t>(suffix.size() + 1);
  std::string tail = volume + base + '\0' + suffix + '\0' + unicodeBase;
  std::string info;
  Put32(info, header + static_cast<std::uint32_t>(tail.size()));
  Put32(info, header);
  Put32(info, 1);
  Put32(info, volumeOffset);
  Put32(info, baseOffset);
  Put32(info, 0);
  Put32(info, suffixOffset);
  if (wide) {
    Put32(info, wideOffset);
    Put32(info, 0);
  }
  return info + tail;
}
std::string Shortcut(const std::string& idList, const std::string& linkInfo) {
  std::string s;
  Put32(s, 0x4C);
  s += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
  Put32(s, (idList.empty() ? 0 : 1) | (linkInfo.empty() ? 0 : 2));
  s += std::string(0x4C - s.size(), '\0');
  return s + idList + linkInfo + std::string(4, '\0');
}

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

  PosixShortcutReader reader(static_cast<PosixFileServices&>(scratch->Files()));
  EXPECT_EQ("C:\\Program Files\\App\\app.exe", reader.TargetPath(r + "\\links\\FILE.LNK"));
  EXPECT_EQ("C:\\Program Files\\APP\\APP.EXE", ParseShortcutPaths(file).idListPath);
  EXPECT_EQ("D:\\My Documents\\notes.old data", reader.TargetPath(r + "\\Links\\folder.lnk"));
  EXPECT_EQ("E:\\", reader.TargetPath(r + "\\Links\\drive.lnk"));
  EXPECT_EQ("", reader.TargetPath(r + "\\Links\\panel.lnk"));
  EXPECT_EQ("", reader.TargetPath(r + "\\Links\\computer.lnk"));
  EXPECT_EQ("C:\\Data\\x.txt", reader.TargetPath(r + "\\Links\\suffix.lnk"));
  EXPECT_EQ("C:\\Caf\xE9 ?", reader.TargetPath(r + "\\Links\\wide.lnk"));  // U+263B has no byte
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
    const std::string expected = Cp1252FromUtf8(cols[3]);
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
      std::cout << "[ sample ] " << e.path().filename().string() << " -> '" << Utf8FromCp1252(target) << "'\n";
      ++files;
    }
  }
  EXPECT_EQ(14, files);
}

}  // namespace
}  // namespace hw
