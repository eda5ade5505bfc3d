#include "platform/file_services_posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/error_number_of.h"
#include "support/host_file.h"
#include "support/test_paths.h"

namespace hw {
namespace {
namespace fs = std::filesystem;

// Two drives over folders of one temporary tree, with a file beside them
// that no drive path may reach.
class PosixFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    top_ = test::MakeTempFolder("hw-posix");
    c_ = top_ + "/c";
    d_ = top_ + "/d";
    fs::create_directories(c_);
    fs::create_directories(d_);
    Write(top_ + "/outside.txt", "secret");
    files_ = std::make_unique<PosixFileServices>(std::map<char, std::string>{{'C', c_}, {'d', d_}});
  }
  void TearDown() override { test::RemoveTree(top_); }

  static void Write(const std::string& host, const std::string& bytes) {
    fs::create_directories(fs::path(host).parent_path());
    std::ofstream(host, std::ios::binary) << bytes;
  }
  static bool SetDosAttrib(const std::string& host, const std::string& value) {
    return setxattr(host.c_str(), "user.DOSATTRIB", value.data(), value.size(), 0) == 0;
  }
  std::vector<std::string> Listed(const std::string& folder, const std::string& pattern, bool folders) {
    std::vector<std::string> names;
    for (const auto& e : files_->ListDirectory(folder, pattern, folders)) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string top_, c_, d_;
  std::unique_ptr<PosixFileServices> files_;
};

TEST_F(PosixFiles, DriveMapResolvesLettersRootsAndSeparators) {
  Write(d_ + "/tools/run.exe", "MZ");
  // ".." stops at the drive's root: the host file beside the drive folders
  // stays out of reach.
  const struct {
    std::string path;
    bool file, folder, drive;
  } cases[] = {
      {"D:\\tools\\run.exe", true, false, false},       {"d:/tools/run.exe", true, false, false},
      {"D:\\tools\\\\run.exe", true, false, false},    {"D:\\tools\\.\\sub\\..\\run.exe", true, false, false},
      {"C:", false, true, true},                        {"C:\\", false, true, true},
      {"d:", false, true, true},                        {"E:\\", false, false, false},
      {"D:\\tools", false, true, false},                {"C:\\tools\\run.exe", false, false, false},
      {"E:\\tools\\run.exe", false, false, false},      {"tools\\run.exe", false, false, false},
      {std::string("D:\\tools\\run.exe\0x", 19), false, false, false},
      {"C:\\..\\outside.txt", false, false, false},     {"C:\\..\\..\\outside.txt", false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.file, files_->FileExists(c.path)) << c.path;
    EXPECT_EQ(c.folder, files_->FolderExists(c.path)) << c.path;
    EXPECT_EQ(c.drive, files_->DriveExists(c.path)) << c.path;
  }
  EXPECT_EQ(kAttrDirectory, files_->GetAttributes("C:"));
  EXPECT_EQ(kErrPathNotFound, test::ErrorNumberOf([&] { files_->CreateTextFile("E:\\x.txt", true); }));
  EXPECT_EQ(kErrBadFileName, test::ErrorNumberOf([&] { files_->CreateTextFile("x.txt", true); }));
  std::string host;
  ASSERT_TRUE(files_->HostPath("D:\\TOOLS\\new.txt", &host));
  EXPECT_EQ(d_ + "/tools/new.txt", host);
  EXPECT_FALSE(files_->HostPath("D:\\none\\new.txt", &host));
  EXPECT_EQ(d_ + "/tools/new.txt", host);
}

TEST_F(PosixFiles, EveryComponentIsFoundWithoutRegardToCase) {
  Write(c_ + "/Program Files/Some App/App.EXE", "MZ");
  Write(c_ + "/\xC3\x89" "chantillons/f.txt", "e");  // "Échantillons" as the host spells it
  EXPECT_TRUE(files_->FileExists("C:\\PROGRAM FILES\\some app\\app.exe"));
  EXPECT_TRUE(files_->FolderExists("c:\\program files\\SOME APP"));
  EXPECT_TRUE(files_->FileExists(u8"C:\\éCHANTILLONS\\F.TXT"));  // é matches É
  EXPECT_EQ(std::vector<std::string>{u8"Échantillons"}, Listed("C:", u8"É*", true));

  // New entries go into the folder found, under the name given.
  files_->CreateFolder("C:\\program files\\some app\\Data");
  EXPECT_TRUE(fs::is_directory(c_ + "/Program Files/Some App/Data"));
  auto w = files_->CreateTextFile("C:\\PROGRAM FILES\\SOME APP\\data\\Log.txt", true);
  w->WriteLine("x");
  w->Close();
  EXPECT_EQ("x\r\n", test::HostFileBytes(c_ + "/Program Files/Some App/Data/Log.txt"));

  // When the host holds both spellings the exact one wins.
  Write(c_ + "/case/x.txt", "lower");
  Write(c_ + "/case/X.txt", "upper");
  EXPECT_EQ("upper", files_->OpenTextFile("C:\\case\\X.txt")->ReadLine());
  EXPECT_EQ("lower", files_->OpenTextFile("C:\\case\\x.txt")->ReadLine());
}

// While a scan holds the listings, every change made through the object is
// seen at once, also through another drive that reaches the same folder,
// and also under the spelling looked up before the change.
TEST_F(PosixFiles, HeldListingsSeeEveryChangeMadeThroughThem) {
  Write(c_ + "/App/a.txt", "a");
  fs::create_directory_symlink(d_, c_ + "/ToD");
  FolderListingsHeld held(*files_);
  auto text = [&](const std::string& path) { files_->CreateTextFile(path, true)->Close(); };
  const struct {
    const char* change;
    std::function<void()> act;
    const char* path;
    char is;  // 'f' a file, 'd' a folder, '-' neither
  } steps[] = {
      {"before", [] {}, "C:\\app\\A.TXT", 'f'},
      {"before", [] {}, "C:\\APP", 'd'},
      {"before", [] {}, "C:\\app\\new.txt", '-'},
      {"created", [&] { text("C:\\APP\\New.txt"); }, "C:\\app\\new.txt", 'f'},
      {"deleted", [&] { files_->DeleteFile("c:\\app\\NEW.TXT", false); }, "C:\\app\\new.txt", '-'},
      {"folder made", [&] { files_->CreateFolder("C:\\app\\Sub"); }, "C:\\APP\\SUB", 'd'},
      {"looked into", [] {}, "C:\\app\\sub\\in.txt", '-'},
      {"folder gone", [&] { files_->DeleteFolder("C:\\app\\sub"); }, "C:\\APP\\SUB", '-'},
      {"made again", [&] { files_->CreateFolder("C:\\app\\Sub"); text("C:\\app\\sub\\In.txt"); },
       "C:\\APP\\SUB\\IN.TXT", 'f'},
      {"copied", [&] { files_->CopyFile("C:\\app\\a.txt", "C:\\app\\Copy.txt", false); }, "C:\\app\\copy.txt", 'f'},
      {"replaced", [&] { files_->ReplaceFile("C:\\app\\COPY.TXT", "C:\\app\\R.txt"); }, "C:\\app\\copy.txt", '-'},
      {"replaced", [] {}, "C:\\app\\r.txt", 'f'},
      {"before", [] {}, "C:\\tod\\moved.txt", '-'},
      {"moved", [&] { files_->MoveFile("C:\\app\\R.TXT", "D:\\Moved.txt"); }, "C:\\tod\\moved.txt", 'f'},
      {"moved", [] {}, "C:\\app\\r.txt", '-'},
      {"record file", [&] { files_->OpenRecordFile("D:\\Slots.bin")->Close(); }, "C:\\ToD\\slots.BIN", 'f'},
  };
  for (const auto& step : steps) {
    step.act();
    EXPECT_EQ(step.is == 'f', files_->FileExists(step.path)) << step.change << ": " << step.path;
    EXPECT_EQ(step.is == 'd', files_->FolderExists(step.path)) << step.change << ": " << step.path;
  }
  EXPECT_EQ("a", test::HostFileBytes(c_ + "/App/a.txt"));
  EXPECT_TRUE(fs::exists(d_ + "/Moved.txt"));
}

// A leading dot is hidden; else Wine's (and Samba's) "user.DOSATTRIB".
TEST_F(PosixFiles, HiddenAndSystemFollowWineConventions) {
  Write(c_ + "/dir/.cache/in.lnk", "");
  const struct {
    const char* name;
    std::string attrib;  // empty: none set
    std::uint32_t attributes;
  } cases[] = {{".profile", "", kAttrHidden},
               {"plain.lnk", "0x20", 0},
               {"hidden.lnk", "0x2", kAttrHidden},
               {"system.lnk", "0x4", kAttrSystem},
               {"both.lnk", std::string("0x26\0\3\0", 7), kAttrHidden | kAttrSystem},  // Samba's trailer
               {"Hid", "0x12", kAttrDirectory | kAttrHidden}};
  for (const auto& c : cases) {
    Write(c_ + "/dir/" + c.name + (c.attributes & kAttrDirectory ? "/in.lnk" : ""), "");
    if (!c.attrib.empty() && !SetDosAttrib(c_ + "/dir/" + c.name, c.attrib)) {
      GTEST_SKIP() << "no user extended attributes here";
    }
  }
  for (const auto& c : cases)
    EXPECT_EQ(c.attributes, files_->GetAttributes(std::string("C:\\dir\\") + c.name) &
                                (kAttrHidden | kAttrSystem | kAttrDirectory)) << c.name;
  EXPECT_EQ(std::vector<std::string>{"plain.lnk"}, Listed("C:\\dir", "*.lnk", false));
  EXPECT_EQ((std::vector<std::string>{".", "..", "plain.lnk"}), Listed("C:\\dir", "*", true));
  // The folder listing behind a backup list shows hidden files too.
  EXPECT_EQ(5u, files_->GetFolderFiles("C:\\dir").size());
}

TEST_F(PosixFiles, LinksNeitherHangNorHideTheRealFolder) {
  fs::create_directories(c_ + "/real/inner");
  fs::create_directory_symlink(c_ + "/real", c_ + "/alias");
  fs::create_symlink("loop", c_ + "/loop");
  fs::create_symlink("pong", c_ + "/ping");
  fs::create_symlink("ping", c_ + "/pong");
  fs::create_symlink("nowhere", c_ + "/dangling.lnk");

  FolderIdentity real, alias, dummy;
  ASSERT_TRUE(files_->GetFolderIdentity("C:\\real", &real));
  ASSERT_TRUE(files_->GetFolderIdentity("C:\\ALIAS", &alias));
  EXPECT_EQ(real, alias);
  EXPECT_FALSE(files_->GetFolderIdentity("C:\\loop", &dummy));
  EXPECT_FALSE(files_->GetFolderIdentity("C:\\ping\\x", &dummy));
  EXPECT_FALSE(files_->FolderExists("C:\\pong"));
  EXPECT_FALSE(files_->FileExists("C:\\dangling.lnk"));
  EXPECT_EQ((std::vector<std::string>{"alias", "real"}), [&] {
    std::vector<std::string> folders;
    for (const auto& e : files_->ListDirectory("C:", "*", true))
      if (e.attributes & kAttrDirectory) folders.push_back(e.name);
    std::sort(folders.begin(), folders.end());
    return folders;
  }());
}

TEST_F(PosixFiles, ReadOnlyHoldsEvenForTheSuperUserAndNothingIsLost) {
  Write(c_ + "/ro.bak", "0123456789");
  chmod((c_ + "/ro.bak").c_str(), 0444);
  EXPECT_EQ(kErrPermissionDenied, test::ErrorNumberOf([&] { files_->CreateTextFile("C:\\ro.bak", true); }));
  EXPECT_EQ("0123456789", test::HostFileBytes(c_ + "/ro.bak"));

  auto rec = files_->OpenRecordFile("C:\\RO.bak");
  char b[4] = {};
  EXPECT_EQ(4u, rec->ReadAt(2, b, 4));
  EXPECT_EQ("2345", std::string(b, 4));
  EXPECT_EQ(kErrPathFileAccess, test::ErrorNumberOf([&] { rec->WriteAt(0, "x", 1); }));
  rec->Close();

  // Copying a file onto itself (another spelling of the same name) must not
  // truncate it.
  Write(c_ + "/self.txt", "keep me");
  EXPECT_EQ(kErrPermissionDenied, test::ErrorNumberOf([&] { files_->CopyFile("C:\\self.txt", "C:\\SELF.TXT", true); }));
  EXPECT_EQ("keep me", test::HostFileBytes(c_ + "/self.txt"));
  EXPECT_EQ(kErrFileNotFound, test::ErrorNumberOf([&] { files_->DeleteFile("C:\\", true); }));
  fs::create_directory(c_ + "/folder");
  EXPECT_EQ(kErrFileNotFound, test::ErrorNumberOf([&] { files_->DeleteFile("C:\\folder", true); }));
  EXPECT_TRUE(fs::is_directory(c_ + "/folder"));
}

TEST(WildcardMatch, MatchesLikeTheWindowsListing) {
  const struct {
    const char *pattern, *name;
    bool matches;
  } cases[] = {
      {"*.*", "noext", true},      {"*.*", "..", true},        {"*.lnk", "Shortcut.LNK", true},
      {"*.lnk", "a.b.lnk", true},  {"*.lnk", "a.lnk.txt", false}, {"*.lnk", "lnk", false},
      {"*.", "README", true},      {"*.", "a.b", false},       {"a?.txt", "a.txt", true},
      {"a?.txt", "abc.txt", false}, {"??", "a", true},
      {"?", "ab", false},          {u8"é*", u8"Été", true},     {u8"д?*", u8"Дмитрий", true},
      {"x*y*z", "x12y34z", true},  {"x*y*z", "x12y34", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.matches, WildcardMatch(c.pattern, c.name)) << c.pattern << " " << c.name;
}

}  // namespace
}  // namespace hw
