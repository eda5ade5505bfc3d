// The file-services contract, run against the platform's own backend
// through a scratch folder: the drive map on Linux, the real file system
// under Wine. A backend's own test covers only what this cannot.
#include "platform/file_services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ctime>

#include "support/error_number_of.h"
#include "support/scratch_folder.h"

namespace hw::test {
namespace {

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FileServicesContract, ExistenceAttributesIdentityDeleteCopyAndReplace) {
  auto s = MakeScratchFolder();
  FileServices& fs = s->Files();
  const std::string r = s->Root();
  s->WriteFile(r + "\\Data\\file.txt", "abc");
  s->WriteFile(r + "\\Data\\ro.txt", "x");
  s->MakeFolder(r + "\\Data\\Child");
  s->MakeFolder(r + "\\Other");
  s->MakeReadOnly(r + "\\Data\\ro.txt");
  const struct {
    std::string path;
    bool file, folder;
  } cases[] = {
      {r + "\\Data\\file.txt", true, false}, {r + "\\DATA\\FILE.TXT", true, false},
      {r + "\\data", false, true},           {r + "\\Data\\missing.txt", false, false},
      {r + "\\Nowhere\\file.txt", false, false}, {r + "\\Data\\file.txt\\below", false, false},
      {"", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.file, fs.FileExists(c.path)) << c.path;
    EXPECT_EQ(c.folder, fs.FolderExists(c.path)) << c.path;
  }
  EXPECT_TRUE(fs.DriveExists(r.substr(0, 2) + "\\"));
  EXPECT_TRUE(fs.FolderExists(r.substr(0, 2)));
  EXPECT_FALSE(fs.DriveExists("Q:\\"));
  EXPECT_FALSE(fs.DriveExists("nonsense"));

  const std::uint32_t mask = kAttrDirectory | kAttrReadOnly | kAttrHidden;
  EXPECT_EQ(0u, fs.GetAttributes(r + "\\Data\\file.txt") & mask);
  EXPECT_EQ(kAttrReadOnly, fs.GetAttributes(r + "\\data\\RO.txt") & mask);
  EXPECT_EQ(kAttrDirectory, fs.GetAttributes(r + "\\Data\\Child") & mask);
  EXPECT_EQ(kErrFileNotFound, ErrorNumberOf([&] { fs.GetAttributes(r + "\\Data\\none"); }));
  if (s->MakeHidden(r + "\\Data\\file.txt")) {
    EXPECT_EQ(kAttrHidden, fs.GetAttributes(r + "\\Data\\file.txt") & mask);
  }

  fs.CreateFolder(r + "\\Data\\New");
  EXPECT_TRUE(s->Exists(r + "\\Data\\New"));
  EXPECT_EQ(kErrFileExists, ErrorNumberOf([&] { fs.CreateFolder(r + "\\Data\\New"); }));
  EXPECT_EQ(kErrPathNotFound, ErrorNumberOf([&] { fs.CreateFolder(r + "\\Missing\\New"); }));
  EXPECT_FALSE(s->Exists(r + "\\Missing"));

  // The same folder reached two ways has one identity; another has its own.
  FolderIdentity a, b, c;
  ASSERT_TRUE(fs.GetFolderIdentity(r + "\\Data\\Child", &a));
  ASSERT_TRUE(fs.GetFolderIdentity(r + "\\Other\\..\\DATA\\child", &b));
  ASSERT_TRUE(fs.GetFolderIdentity(r + "\\Other", &c));
  EXPECT_EQ(a, b);
  EXPECT_FALSE(a == c);
  EXPECT_FALSE(fs.GetFolderIdentity(r + "\\Missing", &c));
  EXPECT_FALSE(fs.GetFolderIdentity(r + "\\Data\\file.txt", &c));

  // Delete, copy and replace; a read-only file goes only when forced.
  const std::string bytes("a\0b\r\nc", 6);
  s->WriteFile(r + "\\plain.txt", "x");
  s->WriteFile(r + "\\locked.txt", "x");
  s->MakeReadOnly(r + "\\locked.txt");
  fs.DeleteFile(r + "\\PLAIN.txt", false);
  EXPECT_FALSE(s->Exists(r + "\\plain.txt"));
  EXPECT_EQ(kErrPermissionDenied, ErrorNumberOf([&] { fs.DeleteFile(r + "\\locked.txt", false); }));
  EXPECT_TRUE(s->Exists(r + "\\locked.txt"));
  fs.DeleteFile(r + "\\locked.txt", true);
  EXPECT_FALSE(s->Exists(r + "\\locked.txt"));
  EXPECT_EQ(kErrFileNotFound, ErrorNumberOf([&] { fs.DeleteFile(r + "\\locked.txt", true); }));

  s->WriteFile(r + "\\src.dat", bytes);
  s->WriteFile(r + "\\old.dat", "older and longer content");
  fs.CopyFile(r + "\\src.dat", r + "\\copy.dat", true);
  EXPECT_EQ(bytes, s->ReadFile(r + "\\copy.dat"));
  fs.CopyFile(r + "\\src.dat", r + "\\OLD.dat", true);
  EXPECT_EQ(bytes, s->ReadFile(r + "\\old.dat"));
  s->WriteFile(r + "\\old.dat", "kept");
  EXPECT_EQ(kErrFileExists, ErrorNumberOf([&] { fs.CopyFile(r + "\\src.dat", r + "\\old.dat", false); }));
  EXPECT_EQ("kept", s->ReadFile(r + "\\old.dat"));
  EXPECT_EQ(kErrFileNotFound, ErrorNumberOf([&] { fs.CopyFile(r + "\\none.dat", r + "\\x.dat", true); }));

  s->WriteFile(r + "\\new.tmp", "replacement");
  fs.ReplaceFile(r + "\\new.tmp", r + "\\old.dat");
  EXPECT_FALSE(s->Exists(r + "\\new.tmp"));
  EXPECT_EQ("replacement", s->ReadFile(r + "\\old.dat"));
  s->WriteFile(r + "\\fresh.tmp", "f");
  fs.ReplaceFile(r + "\\fresh.tmp", r + "\\target.dat");
  EXPECT_EQ("f", s->ReadFile(r + "\\target.dat"));
  EXPECT_EQ(kErrFileNotFound, ErrorNumberOf([&] { fs.ReplaceFile(r + "\\fresh.tmp", r + "\\target.dat"); }));
}

// Listings skip hidden entries (a backup list's folder files do not), and
// folders unless asked; read-only files are listed as any other.
TEST(FileServicesContract, ListingsAndFolderFiles) {
  auto s = MakeScratchFolder();
  FileServices& fs = s->Files();
  const std::string d = s->Root() + "\\List";
  for (const char* f : {"a.lnk", "B.LNK", "c.txt", "h.lnk", "ro.lnk", "Sub\\deep.lnk"})
    s->WriteFile(d + "\\" + f, "12345");
  s->MakeFolder(d + "\\Secret");
  s->MakeReadOnly(d + "\\ro.lnk");
  const std::time_t now = std::time(nullptr);
  const bool hidden = s->MakeHidden(d + "\\h.lnk") && s->MakeHidden(d + "\\Secret");

  std::vector<std::string> lnk = {"B.LNK", "a.lnk", "ro.lnk"};
  std::vector<std::string> all = {".", "..", "B.LNK", "Sub", "a.lnk", "c.txt", "ro.lnk"};
  if (!hidden) {
    lnk.push_back("h.lnk");
    all.insert(all.end(), {"Secret", "h.lnk"});
  }
  std::sort(lnk.begin(), lnk.end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(lnk, Names(fs.ListDirectory(d, "*.lnk", false)));
  EXPECT_EQ(lnk, Names(fs.ListDirectory(d, "*.LNK", false)));
  EXPECT_EQ(std::vector<std::string>{"c.txt"}, Names(fs.ListDirectory(d, "?.txt", false)));
  EXPECT_EQ(std::vector<std::string>{"c.txt"}, Names(fs.ListDirectory(d, "c.*", false)));
  const auto entries = fs.ListDirectory(d, "*.*", true);
  EXPECT_EQ(all, Names(entries));
  for (const auto& e : entries) {
    const bool folder = e.name == "." || e.name == ".." || e.name == "Sub" || e.name == "Secret";
    EXPECT_EQ(folder, (e.attributes & kAttrDirectory) != 0) << e.name;
  }
  EXPECT_TRUE(fs.ListDirectory(s->Root() + "\\NoSuchFolder", "*.*", true).empty());

  auto files = fs.GetFolderFiles(d + "\\SUB\\..");
  ASSERT_EQ(5u, files.size());
  for (const FolderFile& f : files) {
    EXPECT_EQ(5u, f.size) << f.name;
    std::tm tm{};
    tm.tm_year = f.created.year - 1900, tm.tm_mon = f.created.month - 1, tm.tm_mday = f.created.day;
    tm.tm_hour = f.created.hour, tm.tm_min = f.created.minute, tm.tm_sec = f.created.second, tm.tm_isdst = -1;
    EXPECT_LT(std::abs(std::difftime(std::mktime(&tm), now)), 120.0) << "creation time is local time of now";
  }
  EXPECT_EQ(kErrPathNotFound, ErrorNumberOf([&] { fs.GetFolderFiles(d + "\\NoSuchFolder"); }));
  if (!hidden) GTEST_SKIP() << "the scratch file system cannot mark files hidden";
}

TEST(FileServicesContract, TextFilesAreSingleByteWithCrLfAndRecordFilesTakeOffsets) {
  auto s = MakeScratchFolder();
  FileServices& fs = s->Files();
  const std::string r = s->Root(), longLine(100000, 'x');
  auto w = fs.CreateTextFile(r + "\\err.log", true);
  EXPECT_TRUE(w->IsOpen());
  for (const std::string& line : {std::string("1.HKEY_LOCAL_MACHINE\\x"), std::string(), std::string(u8"café Дм"),
                                  longLine})
    w->WriteLine(line);
  w->Close();
  EXPECT_FALSE(w->IsOpen());
  // The file is in the ANSI code page; what it cannot spell is '?'.
  EXPECT_EQ("1.HKEY_LOCAL_MACHINE\\x\r\n\r\ncaf\xE9 ??\r\n" + longLine + "\r\n", s->ReadFile(r + "\\err.log"));
  EXPECT_NE(0, ErrorNumberOf([&] { w->WriteLine("after close"); }));
  s->WriteFile(r + "\\unix.txt", "one\ntwo\r\nthree");
  const struct {
    const char* file;
    std::vector<std::string> lines;
  } reads[] = {{"ERR.LOG", {"1.HKEY_LOCAL_MACHINE\\x", "", u8"café ??", longLine}},
               {"unix.txt", {"one", "two", "three"}}};
  for (const auto& c : reads) {
    auto rd = fs.OpenTextFile(r + "\\" + c.file);
    std::vector<std::string> lines;
    while (!rd->AtEndOfStream()) lines.push_back(rd->ReadLine());
    EXPECT_EQ(c.lines, lines) << c.file;
    EXPECT_EQ(kErrPastEnd, ErrorNumberOf([&] { rd->ReadLine(); }));
    rd->Close();
  }
  EXPECT_EQ(kErrFileExists, ErrorNumberOf([&] { fs.CreateTextFile(r + "\\err.log", false); }));
  fs.CreateTextFile(r + "\\err.log", true)->Close();
  EXPECT_EQ("", s->ReadFile(r + "\\err.log"));
  EXPECT_TRUE(fs.OpenTextFile(r + "\\err.log")->AtEndOfStream());
  EXPECT_EQ(kErrFileNotFound, ErrorNumberOf([&] { fs.OpenTextFile(r + "\\missing.log"); }));
  EXPECT_EQ(kErrPathNotFound, ErrorNumberOf([&] { fs.CreateTextFile(r + "\\NoDir\\a.log", true); }));

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
  EXPECT_NE(0, ErrorNumberOf([&] { f->Length(); }));
  EXPECT_EQ("record-1", s->ReadFile(r + "\\BinaryEntries.log"));
  f = fs.OpenRecordFile(r + "\\binaryentries.LOG");
  EXPECT_EQ(8u, f->ReadAt(0, buffer, 16));
  f->Close();
  EXPECT_EQ(kErrPathNotFound, ErrorNumberOf([&] { fs.OpenRecordFile(r + "\\NoDir\\x.bak"); }));
}

}  // namespace
}  // namespace hw::test
