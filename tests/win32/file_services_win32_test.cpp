#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/file_services_win32.h"
#include "platform/runtime_error.h"
#include "platform/windows_win32.h"
#include "support/scratch_folder.h"

namespace hw {
namespace {

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
  std::vector<std::string> out;
  for (const auto& e : entries) out.push_back(e.name);
  std::sort(out.begin(), out.end());
  return out;
}

long ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.Number();
  }
  return 0;
}

TEST(Win32FileServices, ExistenceListingsAndAttributes) {
  auto scratch = test::MakeScratchFolder();
  FileServices& fs = scratch->Files();
  const std::string root = scratch->Root();
  scratch->WriteFile(root + "\\a.lnk", "x");
  scratch->WriteFile(root + "\\b.txt", "y");
  scratch->WriteFile(root + "\\hidden.lnk", "h");
  scratch->WriteFile(root + "\\system.lnk", "s");
  scratch->WriteFile(root + "\\ro.lnk", "r");
  scratch->MakeFolder(root + "\\Sub");
  scratch->MakeFolder(root + "\\HiddenDir");
  SetFileAttributesA((root + "\\hidden.lnk").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA((root + "\\system.lnk").c_str(), FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesA((root + "\\ro.lnk").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA((root + "\\HiddenDir").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);

  EXPECT_TRUE(fs.FileExists(root + "\\a.lnk"));
  EXPECT_TRUE(fs.FileExists(root + "\\A.LNK"));
  EXPECT_FALSE(fs.FileExists(root + "\\Sub"));
  EXPECT_FALSE(fs.FileExists(root + "\\none"));
  EXPECT_FALSE(fs.FileExists(""));
  EXPECT_TRUE(fs.FolderExists(root + "\\Sub"));
  EXPECT_FALSE(fs.FolderExists(root + "\\a.lnk"));
  EXPECT_TRUE(fs.FolderExists("C:"));
  EXPECT_TRUE(fs.DriveExists("C:\\"));
  EXPECT_TRUE(fs.DriveExists("c:"));
  EXPECT_FALSE(fs.DriveExists("Q:\\"));
  EXPECT_FALSE(fs.DriveExists("nonsense"));

  // Normal listing: no folders, no hidden or system files; read-only is normal.
  EXPECT_EQ((std::vector<std::string>{"a.lnk", "ro.lnk"}), Names(fs.ListDirectory(root, "*.lnk", false)));
  // With folders: the dot entries and the visible folder, still no hidden ones.
  EXPECT_EQ((std::vector<std::string>{".", "..", "Sub", "a.lnk", "b.txt", "ro.lnk"}),
            Names(fs.ListDirectory(root, "*.*", true)));
  EXPECT_TRUE(fs.ListDirectory(root + "\\Missing", "*.*", true).empty());

  EXPECT_EQ(kAttrDirectory, fs.GetAttributes(root + "\\Sub"));
  EXPECT_EQ(kAttrReadOnly, fs.GetAttributes(root + "\\ro.lnk") & kAttrReadOnly);
  EXPECT_EQ(0u, fs.GetAttributes(root + "\\a.lnk") & kAttrDirectory);
  EXPECT_EQ(kErrFileNotFound, ErrorOf([&] { fs.GetAttributes(root + "\\none"); }));

  // Folder files: every file, hidden ones too, with sizes and a creation date.
  auto files = fs.GetFolderFiles(root);
  EXPECT_EQ(5u, files.size());
  for (const auto& f : files) {
    EXPECT_EQ(1u, f.size) << f.name;
    EXPECT_GE(f.created.year, 2020) << f.name;
  }
  EXPECT_EQ(kErrPathNotFound, ErrorOf([&] { fs.GetFolderFiles(root + "\\Missing"); }));

  // Folders: create one, a second time fails, a missing parent fails.
  fs.CreateFolder(root + "\\New");
  EXPECT_TRUE(fs.FolderExists(root + "\\New"));
  EXPECT_EQ(kErrFileExists, ErrorOf([&] { fs.CreateFolder(root + "\\New"); }));
  EXPECT_EQ(kErrPathNotFound, ErrorOf([&] { fs.CreateFolder(root + "\\No\\Deeper"); }));

  // The same folder reached two ways has one identity; another folder has its own.
  FolderIdentity one, two, other;
  ASSERT_TRUE(fs.GetFolderIdentity(root + "\\Sub", &one));
  ASSERT_TRUE(fs.GetFolderIdentity(root + "\\New\\..\\SUB\\", &two));
  ASSERT_TRUE(fs.GetFolderIdentity(root + "\\New", &other));
  EXPECT_EQ(one, two);
  EXPECT_FALSE(one == other);
  EXPECT_FALSE(fs.GetFolderIdentity(root + "\\a.lnk", &other));
  EXPECT_FALSE(fs.GetFolderIdentity(root + "\\Missing", &other));
}

TEST(Win32FileServices, DeleteCopyAndReplace) {
  auto scratch = test::MakeScratchFolder();
  FileServices& fs = scratch->Files();
  const std::string root = scratch->Root();
  scratch->WriteFile(root + "\\ro.txt", "r");
  SetFileAttributesA((root + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);

  EXPECT_EQ(kErrPermissionDenied, ErrorOf([&] { fs.DeleteFile(root + "\\ro.txt", false); }));
  EXPECT_TRUE(fs.FileExists(root + "\\ro.txt"));
  EXPECT_EQ(0, ErrorOf([&] { fs.DeleteFile(root + "\\ro.txt", true); }));
  EXPECT_FALSE(fs.FileExists(root + "\\ro.txt"));
  EXPECT_EQ(kErrFileNotFound, ErrorOf([&] { fs.DeleteFile(root + "\\ro.txt", true); }));

  scratch->WriteFile(root + "\\src.txt", "new");
  scratch->WriteFile(root + "\\dst.txt", "old");
  EXPECT_EQ(kErrFileExists, ErrorOf([&] { fs.CopyFile(root + "\\src.txt", root + "\\dst.txt", false); }));
  EXPECT_EQ("old", scratch->ReadFile(root + "\\dst.txt"));
  fs.CopyFile(root + "\\src.txt", root + "\\dst.txt", true);
  EXPECT_EQ("new", scratch->ReadFile(root + "\\dst.txt"));
  EXPECT_EQ(kErrFileNotFound, ErrorOf([&] { fs.CopyFile(root + "\\none", root + "\\x", true); }));

  scratch->WriteFile(root + "\\next.tmp", "replacement");
  fs.ReplaceFile(root + "\\next.tmp", root + "\\dst.txt");
  EXPECT_EQ("replacement", scratch->ReadFile(root + "\\dst.txt"));
  EXPECT_FALSE(fs.FileExists(root + "\\next.tmp"));
}

TEST(Win32FileServices, TextAndRecordFiles) {
  auto scratch = test::MakeScratchFolder();
  FileServices& fs = scratch->Files();
  const std::string root = scratch->Root();

  {
    auto w = fs.CreateTextFile(root + "\\err.log", true);
    w->WriteLine(u8"first é Дм");  // the system's code page (1252 here) lacks the Cyrillic letters
    w->WriteLine("");
    w->WriteLine(std::string(100000, 'x'));
    EXPECT_TRUE(w->IsOpen());
    w->Close();
    EXPECT_FALSE(w->IsOpen());
    EXPECT_NE(0, ErrorOf([&] { w->WriteLine("late"); }));
  }
  EXPECT_EQ("first \xE9 ??\r\n\r\n" + std::string(100000, 'x') + "\r\n", scratch->ReadFile(root + "\\err.log"));
  EXPECT_EQ(kErrFileExists, ErrorOf([&] { fs.CreateTextFile(root + "\\err.log", false); }));
  EXPECT_EQ(kErrPathNotFound, ErrorOf([&] { fs.CreateTextFile(root + "\\No\\x.log", true); }));

  // CR LF and lone LF both end lines; a last line without an end is read.
  scratch->WriteFile(root + "\\in.txt", "one\r\ntwo\nthree");
  auto r = fs.OpenTextFile(root + "\\in.txt");
  std::vector<std::string> lines;
  while (!r->AtEndOfStream()) lines.push_back(r->ReadLine());
  EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), lines);
  EXPECT_EQ(kErrPastEnd, ErrorOf([&] { r->ReadLine(); }));
  r->Close();
  scratch->WriteFile(root + "\\empty.txt", "");
  EXPECT_TRUE(fs.OpenTextFile(root + "\\empty.txt")->AtEndOfStream());
  EXPECT_EQ(kErrFileNotFound, ErrorOf([&] { fs.OpenTextFile(root + "\\none.txt"); }));

  // Record file: created when missing, written and read at offsets.
  auto rec = fs.OpenRecordFile(root + "\\BinaryEntries.log");
  EXPECT_EQ(0u, rec->Length());
  const char slot2[] = "second";
  rec->WriteAt(10, slot2, 6);
  EXPECT_EQ(16u, rec->Length());
  rec->WriteAt(0, "first", 5);
  char buf[32] = {};
  EXPECT_EQ(6u, rec->ReadAt(10, buf, 6));
  EXPECT_EQ(0, std::memcmp(buf, slot2, 6));
  EXPECT_EQ(6u, rec->ReadAt(10, buf, 20));
  EXPECT_EQ(0u, rec->ReadAt(100, buf, 4));
  rec->Sync();
  rec->Truncate(5);
  EXPECT_EQ(5u, rec->Length());
  rec->Close();
  EXPECT_NE(0, ErrorOf([&] { rec->Length(); }));
  EXPECT_EQ("first", scratch->ReadFile(root + "\\BinaryEntries.log"));
}

}  // namespace
}  // namespace hw
