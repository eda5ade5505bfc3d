// The file-services contract, run against the platform's own backend
// through a scratch folder: the drive map on Linux, the real file system
// under Wine.
#include "platform/file_services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <functional>

#include "platform/runtime_error.h"
#include "support/scratch_folder.h"

namespace hw::test {
namespace {

long ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const RuntimeError& e) {
    return e.Number();
  }
  return 0;
}

void MakeReadOnly(ScratchFolder& s, const std::string& path) {
  // Under MinGW this sets the read-only attribute; on Linux it clears the
  // owner's write permission, which the backend takes for read-only.
  std::filesystem::permissions(s.Host(path),
                               std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
}

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FileServicesContract, ExistenceAndCreateFolder) {
  auto s = MakeScratchFolder();
  FileServices& fs = s->Files();
  const std::string r = s->Root();
  s->WriteFile(r + "\\Data\\file.txt", "abc");

  EXPECT_TRUE(fs.FileExists(r + "\\Data\\file.txt"));
  EXPECT_TRUE(fs.FileExists(r + "\\DATA\\FILE.TXT"));
  EXPECT_FALSE(fs.FolderExists(r + "\\Data\\file.txt"));
  EXPECT_TRUE(fs.FolderExists(r + "\\Data"));
  EXPECT_TRUE(fs.FolderExists(r + "\\data"));
  EXPECT_FALSE(fs.FileExists(r + "\\Data"));
  EXPECT_FALSE(fs.FileExists(r + "\\Data\\missing.txt"));
  EXPECT_FALSE(fs.FileExists(r + "\\Nowhere\\file.txt"));
  EXPECT_FALSE(fs.FolderExists(r + "\\Data\\file.txt\\below"));
  EXPECT_TRUE(fs.DriveExists(r.substr(0, 2) + "\\"));

  fs.CreateFolder(r + "\\Data\\New");
  EXPECT_TRUE(s->Exists(r + "\\Data\\New"));
  EXPECT_EQ(kErrFileExists, ErrorOf([&] { fs.CreateFolder(r + "\\Data\\New"); }));
  EXPECT_EQ(kErrPathNotFound, ErrorOf([&] { fs.CreateFolder(r + "\\Missing\\New"); }));
  EXPECT_FALSE(s->Exists(r + "\\Missing"));
}

TEST(FileServicesContract, FolderFilesHaveNameSizeAndCreationDate) {
  auto s = MakeScratchFolder();
  FileServices& fs = s->Files();
  const std::string r = s->Root();
  s->WriteFile(r + "\\B\\one.bak", "12345");
  s->WriteFile(r + "\\B\\two.bak", "");
  s->MakeFolder(r + "\\B\\sub.bak");
  const std::time_t now = std::time(nullptr);

  auto files = fs.GetFolderFiles(r + "\\b");
  ASSERT_EQ(2u, files.size());
  std::sort(files.begin(), files.end(), [](const FolderFile& a, const FolderFile& b) { return a.name < b.name; });
  EXPECT_EQ("one.bak", files[0].name);
  EXPECT_EQ(5u, files[0].size);
  EXPECT_EQ("two.bak", files[1].name);
  EXPECT_EQ(0u, files[1].size);
  std::tm tm{};
  tm.tm_year = files[0].created.year - 1900;
  tm.tm_mon = files[0].created.month - 1;
  tm.tm_mday = files[0].created.day;
  tm.tm_hour = files[0].created.hour;
  tm.tm_min = files[0].created.minute;
  tm.tm_sec = files[0].created.second;
  tm.tm_isdst = -1;
  EXPECT_LT(std::abs(std::difftime(std::mktime(&tm), now)), 120.0) << "creation time is local time of now";

  EXPECT_EQ(kErrPathNotFound, ErrorOf([&] { fs.GetFolderFiles(r + "\\NoSuchFolder"); }));
}

TEST(FileServicesContract, DeleteRespectsReadOnlyUnlessForced) {
  auto s = MakeScratchFolder();
  FileServices& fs = s->Files();
  const std::string r = s->Root();
  s->WriteFile(r + "\\plain.txt", "x");
  s->WriteFile(r + "\\locked.txt", "x");
  MakeReadOnly(*s, r + "\\locked.txt");

  fs.DeleteFile(r + "\\PLAIN.txt", false);
  EXPECT_FALSE(s->Exists(r + "\\plain.txt"));
  EXPECT_EQ(kErrPermissionDenied, ErrorOf([&] { fs.DeleteFile(r + "\\locked.txt", false); }));
  EXPECT_TRUE(s->Exists(r + "\\locked.txt"));
  EXPECT_EQ(kAttrReadOnly, fs.GetAttributes(r + "\\locked.txt") & kAttrReadOnly);
  fs.DeleteFile(r + "\\locked.txt", true);
  EXPECT_FALSE(s->Exists(r + "\\locked.txt"));
  EXPECT_EQ(kErrFileNotFound, ErrorOf([&] { fs.DeleteFile(r + "\\locked.txt", true); }));
}

TEST(FileServicesContract, CopyAndReplace) {
  auto s = MakeScratchFolder();
  FileServices& fs = s->Files();
  const std::string r = s->Root();
  s->WriteFile(r + "\\src.dat", std::string("a\0b\r\nc", 6));
  s->WriteFile(r + "\\old.dat", "older and longer content");

  fs.CopyFile(r + "\\src.dat", r + "\\copy.dat", true);
  EXPECT_EQ(std::string("a\0b\r\nc", 6), s->ReadFile(r + "\\copy.dat"));
  fs.CopyFile(r + "\\src.dat", r + "\\OLD.dat", true);
  EXPECT_EQ(std::string("a\0b\r\nc", 6), s->ReadFile(r + "\\old.dat"));
  s->WriteFile(r + "\\old.dat", "kept");
  EXPECT_EQ(kErrFileExists, ErrorOf([&] { fs.CopyFile(r + "\\src.dat", r + "\\old.dat", false); }));
  EXPECT_EQ("kept", s->ReadFile(r + "\\old.dat"));
  EXPECT_EQ(kErrFileNotFound, ErrorOf([&] { fs.CopyFile(r + "\\none.dat", r + "\\x.dat", true); }));

  s->WriteFile(r + "\\new.tmp", "replacement");
  fs.ReplaceFile(r + "\\new.tmp", r + "\\old.dat");
  EXPECT_FALSE(s->Exists(r + "\\new.tmp"));
  EXPECT_EQ("replacement", s->ReadFile(r + "\\old.dat"));
  s->WriteFile(r + "\\fresh.tmp", "f");
  fs.ReplaceFile(r + "\\fresh.tmp", r + "\\target.dat");
  EXPECT_EQ("f", s->ReadFile(r + "\\target.dat"));
  EXPECT_EQ(kErrFileNotFound, ErrorOf([&] { fs.ReplaceFile(r + "\\fresh.tmp", r + "\\target.dat"); }));
}

TEST(FileServicesContract, TextFilesAreSingleByteWithCrLf) {
  auto s = MakeScratchFolder();
  FileServices& fs = s->Files();
  const std::string r = s->Root();

  auto w = fs.CreateTextFile(r + "\\err.log", true);
  EXPECT_TRUE(w->IsOpen());
  w->WriteLine("1.HKEY_LOCAL_MACHINE\\x");
  w->WriteLine("");
  // The file is in the ANSI code page; what it cannot spell is '?'.
  w->WriteLine(u8"café Дм");
  w->Close();
  EXPECT_FALSE(w->IsOpen());
  EXPECT_EQ("1.HKEY_LOCAL_MACHINE\\x\r\n\r\ncaf\xE9 ??\r\n", s->ReadFile(r + "\\err.log"));
  EXPECT_NE(0, ErrorOf([&] { w->WriteLine("after close"); }));

  auto rd = fs.OpenTextFile(r + "\\ERR.LOG");
  std::vector<std::string> lines;
  while (!rd->AtEndOfStream()) lines.push_back(rd->ReadLine());
  EXPECT_EQ((std::vector<std::string>{"1.HKEY_LOCAL_MACHINE\\x", "", u8"café ??"}), lines);
  EXPECT_EQ(kErrPastEnd, ErrorOf([&] { rd->ReadLine(); }));
  rd->Close();

  s->WriteFile(r + "\\unix.txt", "one\ntwo\r\nthree");
  rd = fs.OpenTextFile(r + "\\unix.txt");
  EXPECT_EQ("one", rd->ReadLine());
  EXPECT_EQ("two", rd->ReadLine());
  EXPECT_EQ("three", rd->ReadLine());
  EXPECT_TRUE(rd->AtEndOfStream());
  rd->Close();

  EXPECT_EQ(kErrFileExists, ErrorOf([&] { fs.CreateTextFile(r + "\\err.log", false); }));
  w = fs.CreateTextFile(r + "\\err.log", true);
  w->Close();
  EXPECT_EQ("", s->ReadFile(r + "\\err.log"));
  EXPECT_EQ(kErrFileNotFound, ErrorOf([&] { fs.OpenTextFile(r + "\\missing.log"); }));
  EXPECT_EQ(kErrPathNotFound, ErrorOf([&] { fs.CreateTextFile(r + "\\NoDir\\a.log", true); }));
}

TEST(FileServicesContract, RecordFilesReadAndWriteAtOffsets) {
  auto s = MakeScratchFolder();
  FileServices& fs = s->Files();
  const std::string r = s->Root();

  auto f = fs.OpenRecordFile(r + "\\BinaryEntries.log");
  EXPECT_TRUE(s->Exists(r + "\\BinaryEntries.log"));
  EXPECT_EQ(0u, f->Length());
  f->WriteAt(8, "record-2", 8);
  f->WriteAt(0, "record-1", 8);
  f->Sync();
  EXPECT_EQ(16u, f->Length());
  char buffer[16] = {};
  EXPECT_EQ(8u, f->ReadAt(8, buffer, 8));
  EXPECT_EQ("record-2", std::string(buffer, 8));
  EXPECT_EQ(4u, f->ReadAt(12, buffer, 8));
  EXPECT_EQ(0u, f->ReadAt(100, buffer, 8));
  f->Truncate(8);
  EXPECT_EQ(8u, f->Length());
  f->Close();
  EXPECT_EQ("record-1", s->ReadFile(r + "\\BinaryEntries.log"));

  f = fs.OpenRecordFile(r + "\\binaryentries.LOG");
  EXPECT_EQ(8u, f->ReadAt(0, buffer, 16));
  f->Close();
  EXPECT_EQ(kErrPathNotFound, ErrorOf([&] { fs.OpenRecordFile(r + "\\NoDir\\x.bak"); }));
}

TEST(FileServicesContract, ListingFiltersHiddenEntriesAndFolders) {
  auto s = MakeScratchFolder();
  FileServices& fs = s->Files();
  const std::string d = s->Root() + "\\List";
  s->WriteFile(d + "\\a.lnk", "");
  s->WriteFile(d + "\\B.LNK", "");
  s->WriteFile(d + "\\c.txt", "");
  s->WriteFile(d + "\\h.lnk", "");
  s->MakeFolder(d + "\\Sub");
  s->MakeFolder(d + "\\Secret");
  s->WriteFile(d + "\\Sub\\deep.lnk", "");
  const bool hidden = s->MakeHidden(d + "\\h.lnk") && s->MakeHidden(d + "\\Secret");

  std::vector<std::string> lnk = {"B.LNK", "a.lnk"};
  if (!hidden) lnk.push_back("h.lnk");
  std::sort(lnk.begin(), lnk.end());
  EXPECT_EQ(lnk, Names(fs.ListDirectory(d, "*.lnk", false)));
  EXPECT_EQ(lnk, Names(fs.ListDirectory(d, "*.LNK", false)));
  EXPECT_EQ(std::vector<std::string>{"c.txt"}, Names(fs.ListDirectory(d, "?.txt", false)));
  EXPECT_EQ(std::vector<std::string>{"c.txt"}, Names(fs.ListDirectory(d, "c.*", false)));

  std::vector<std::string> all = {".", "..", "B.LNK", "Sub", "a.lnk", "c.txt"};
  if (!hidden) {
    all.push_back("Secret");
    all.push_back("h.lnk");
  }
  std::sort(all.begin(), all.end());
  auto entries = fs.ListDirectory(d, "*.*", true);
  EXPECT_EQ(all, Names(entries));
  for (const auto& e : entries) {
    bool folder = e.name == "." || e.name == ".." || e.name == "Sub" || e.name == "Secret";
    EXPECT_EQ(folder, (e.attributes & kAttrDirectory) != 0) << e.name;
  }
  EXPECT_TRUE(fs.ListDirectory(s->Root() + "\\NoSuchFolder", "*.*", true).empty());
  if (!hidden) GTEST_SKIP() << "the scratch file system cannot mark files hidden";
}

TEST(FileServicesContract, AttributesAndFolderIdentity) {
  auto s = MakeScratchFolder();
  FileServices& fs = s->Files();
  const std::string r = s->Root();
  s->WriteFile(r + "\\Tree\\file.txt", "x");
  s->WriteFile(r + "\\Tree\\ro.txt", "x");
  s->MakeFolder(r + "\\Tree\\Child");
  s->MakeFolder(r + "\\Other");
  MakeReadOnly(*s, r + "\\Tree\\ro.txt");

  EXPECT_EQ(0u, fs.GetAttributes(r + "\\Tree\\file.txt") & (kAttrDirectory | kAttrReadOnly | kAttrHidden));
  EXPECT_EQ(kAttrReadOnly, fs.GetAttributes(r + "\\tree\\RO.txt") & (kAttrDirectory | kAttrReadOnly));
  EXPECT_EQ(kAttrDirectory, fs.GetAttributes(r + "\\Tree\\Child") & kAttrDirectory);
  EXPECT_EQ(kErrFileNotFound, ErrorOf([&] { fs.GetAttributes(r + "\\Tree\\none"); }));
  if (s->MakeHidden(r + "\\Tree\\file.txt")) {
    EXPECT_EQ(kAttrHidden, fs.GetAttributes(r + "\\Tree\\file.txt") & kAttrHidden);
  }

  FolderIdentity a, b, c;
  ASSERT_TRUE(fs.GetFolderIdentity(r + "\\Tree\\Child", &a));
  ASSERT_TRUE(fs.GetFolderIdentity(r + "\\TREE\\child", &b));
  ASSERT_TRUE(fs.GetFolderIdentity(r + "\\Other", &c));
  EXPECT_EQ(a, b);
  EXPECT_FALSE(a == c);
  EXPECT_FALSE(fs.GetFolderIdentity(r + "\\Missing", &c));
}

}  // namespace
}  // namespace hw::test
