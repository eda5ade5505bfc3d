#include "repair/backup_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/code_page.h"
#include "registry/settings.h"
#include "repair/backup_store.h"
#include "repair/reg_export.h"
#include "repair/shortcut_backup.h"
#include "support/scan_repair_machine.h"

namespace hw {
namespace {

using test::Bytes;

// A slot as another implementation of the layout writes it: classic fields
// only, the rest of the slot zero.
std::string ClassicSlot(std::uint32_t root, const std::string& key, const std::string& name, const Bytes& data,
                        std::uint32_t type, std::size_t length = kBackupSlotLength) {
  std::string slot(kBackupSlotLength, '\0');
  for (int i = 0; i < 4; ++i) slot[i] = char(root >> (8 * i)), slot[773 + i] = char(type >> (8 * i));
  std::string k = key.substr(0, 256), n = name.substr(0, 256);
  k.resize(256, ' ');
  n.resize(256, ' ');
  slot.replace(4, 256, k);
  slot.replace(260, 256, n);
  for (std::size_t i = 0; i < data.size() && i < 257; ++i) slot[516 + i] = char(data[i]);
  return slot.substr(0, length);
}

class BackupFileTest : public ::testing::Test {
 protected:
  test::TestPlatform tp;
  std::string path = tp.Root() + "\\hand.bak";
};

TEST_F(BackupFileTest, BackupsBuiltByHandFromTheLayoutRestore) {
  const std::string k = "Software\\HwHand";
  const std::string longKey = "Software\\HwHand\\" + std::string(300, 'k');
  std::string file = ClassicSlot(0x80000002u, k, "sz", {'C', ':', '\\', 'x', '.', 'e', 'x', 'e'}, kRegSz) +
                     ClassicSlot(0, std::string(256, ' '), "", {1}, kRegSz) +  // empty slot
                     ClassicSlot(0x80000002u, std::string(1, '\0') + "x", "nul", {1}, kRegSz) +
                     ClassicSlot(0x80000002u, k, "five", {5, 0, 0, 0}, kRegDword) +
                     ClassicSlot(0x80000002u, k, "zero", {0, 0, 0, 0}, kRegDword) +
                     ClassicSlot(0x80000002u, k, "multi", {'a', 0, 'b', 'c', 0, 0}, kRegMultiSz) +
                     ClassicSlot(0x80000002u, k, "bin", {0, 0, 3, 0, 4}, kRegBinary) +
                     ClassicSlot(0x80000002u, k, "", {'%', 'X', '%'}, kRegExpandSz) +
                     ClassicSlot(0x80000002u, k, "gaps", {0, 'a', 0, 0, 'b'}, kRegSz) +  // its non-zero bytes
                     ClassicSlot(0x12345678u, "Software\\Bad", "b", {'2'}, kRegSz) +  // no such root
                     ClassicSlot(0x80000001u, longKey, "cut", {'y'}, kRegSz, kBackupContentLength);
  tp.Folder().WriteFile(path, file);
  RestoreResult r = RestoreBackupFile(tp.Registry(), tp.Files(), path);
  EXPECT_EQ(8, r.restored);
  EXPECT_EQ(std::vector<std::string>{"\\Software\\Bad\\b"}, r.failed);
  const struct {
    RegKey root;
    std::string key, name;
    test::ValueState want;
  } rows[] = {{kHkeyLocalMachine, k, "sz", {true, kRegSz, test::Sz("C:\\x.exe")}},
              {kHkeyLocalMachine, k, "five", {true, kRegDword, {5, 0, 0, 0}}},
              {kHkeyLocalMachine, k, "zero", {true, kRegDword, {0, 0, 0, 0}}},
              {kHkeyLocalMachine, k, "multi", {true, kRegMultiSz, {'a', 0, 'b', 'c', 0, 0}}},
              {kHkeyLocalMachine, k, "bin", {true, kRegBinary, {0, 0, 3, 0, 4}}},
              {kHkeyLocalMachine, k, "", {true, kRegExpandSz, test::Sz("%X%")}},
              {kHkeyLocalMachine, k, "gaps", {true, kRegSz, test::Sz("ab")}},
              {kHkeyCurrentUser, longKey.substr(0, 256), "cut", {true, kRegSz, test::Sz("y")}}};
  for (const auto& row : rows)
    EXPECT_EQ(row.want, test::ReadValue(tp.Registry(), {row.root, row.key, row.name})) << row.name;
}

TEST_F(BackupFileTest, OurRecordsKeepTheWholeValueAndForeignReadersSeeTheClassicFields) {
  BackupRecord big;
  big.RootKey = 0x80000002u;
  big.KeyName = "Software\\" + std::string(200, 'q') + "\\" + std::string(48, 'r');  // 258 characters
  big.ValueName = " edge ";
  big.ValueType = kRegBinary;
  big.Data.resize(4000);
  for (std::size_t i = 0; i < big.Data.size(); ++i) big.Data[i] = std::uint8_t(i);
  BackupRecord small{0x80000001u, "Software\\S", "", kRegDword, {0, 0, 0, 0}, true};

  // Names and text beyond any one code page: UTF-16 inside, '?' outside.
  BackupRecord wide{0x80000001u, u8"Software\\Дмитрий\\用户", u8"Łódź", kRegSz,
                    test::Sz(u8"C:\\Users\\Дмитрий\\用户\\x.exe"), true};

  WriteBackupRecord(tp.Files(), path, small);
  WriteBackupRecord(tp.Files(), path, big);
  WriteBackupRecord(tp.Files(), path, wide);
  const std::string image = tp.Folder().ReadFile(path);
  ASSERT_EQ(7 * kBackupSlotLength, image.size());  // 1 + (1 main + 4 continuation) + 1
  // The classic fields of the big record: cut names, the first 257 bytes.
  const std::string second = image.substr(kBackupSlotLength, kBackupSlotLength);
  EXPECT_EQ(big.KeyName.substr(0, 256), second.substr(4, 256));
  EXPECT_EQ(" edge " + std::string(250, ' '), second.substr(260, 256));
  EXPECT_EQ(std::string(1, '\0'), image.substr(2 * kBackupSlotLength + 4, 1));  // continuation: NUL key
  const std::string last = image.substr(6 * kBackupSlotLength);
  EXPECT_EQ("Software\\???????\\??", last.substr(4, 19));
  EXPECT_EQ("?\xF3" "d?", last.substr(260, 4));
  EXPECT_EQ("C:\\Users\\???????\\??\\x.exe", last.substr(516, 25));
  EXPECT_NE(std::string::npos, last.find(std::string("\x14\x04\x3C\x04", 4))) << "UTF-16 of the key inside";

  std::vector<std::uint8_t> bytes(image.begin(), image.end());
  BackupContents c = ParseBackupFile(bytes);
  ASSERT_EQ(3u, c.records.size());
  EXPECT_TRUE(c.damaged.empty());
  const auto same = [](const BackupRecord& a, const BackupRecord& b) {
    return a.RootKey == b.RootKey && a.KeyName == b.KeyName && a.ValueName == b.ValueName &&
           a.ValueType == b.ValueType && a.Data == b.Data && a.exact == b.exact;
  };
  EXPECT_TRUE(same(small, c.records[0]));
  EXPECT_TRUE(same(big, c.records[1]));
  EXPECT_TRUE(same(wide, c.records[2]));

  // No single changed byte makes a record vanish or come back altered: the
  // file then always tells of a damaged record.
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    auto changed = bytes;
    changed[at] ^= (at % 3 == 0) ? 0xFF : 0x01;
    const BackupContents d = ParseBackupFile(changed);
    ASSERT_FALSE(d.damaged.empty()) << "byte " << at;
    for (const BackupRecord& r : d.records)
      ASSERT_TRUE(same(r, small) || same(r, big) || same(r, wide)) << "byte " << at;
  }
  // Cut short anywhere inside a record, above all inside a slot that carries
  // the extension: damaged, never a classic record of the first 256 / 257.
  for (std::size_t length : {kBackupSlotLength + 100, kBackupSlotLength + 777, kBackupSlotLength + 779,
                             kBackupSlotLength + 1000, 3 * kBackupSlotLength, 7 * kBackupSlotLength - 1}) {
    auto cut = bytes;
    cut.resize(length);
    const BackupContents d = ParseBackupFile(cut);
    EXPECT_EQ(1u, d.damaged.size()) << length;
    EXPECT_EQ(length < 6 * kBackupSlotLength ? 1u : 2u, d.records.size()) << length;
  }

  RestoreResult r = RestoreBackupFile(tp.Registry(), tp.Files(), path);
  EXPECT_TRUE(r.Complete());
  EXPECT_EQ((test::ValueState{true, kRegBinary, big.Data}),
            test::ReadValue(tp.Registry(), {kHkeyLocalMachine, big.KeyName, big.ValueName}));
  EXPECT_EQ((test::ValueState{true, kRegSz, wide.Data}),
            test::ReadValue(tp.Registry(), {kHkeyCurrentUser, wide.KeyName, wide.ValueName}));

  // A damaged record counts as not restored, so the backup is kept.
  auto damaged = bytes;
  damaged[6 * kBackupSlotLength + 4] = 0;  // the key field of the last record
  tp.Folder().WriteFile(path, std::string(damaged.begin(), damaged.end()));
  r = RestoreBackupFile(tp.Registry(), tp.Files(), path, true, "damaged");
  EXPECT_EQ(2, r.restored);
  ASSERT_EQ(1u, r.failed.size());
  EXPECT_NE(std::string::npos, r.failed[0].find("(damaged)"));
  // The checksum is the standard CRC-32 that existing backups carry.
  const std::uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(0xCBF43926u, Crc32(check, 9));
}

TEST_F(BackupFileTest, RegistryEditorFileOfEveryType) {
  const std::vector<BackupRecord> records = {
      {kHkeyLocalMachine, "Software\\Reg", "", kRegSz, test::Sz("a\"b\\c")},
      {kHkeyLocalMachine, "Software\\Reg", "gr\xC3\xBC\xC3\x9F\xD0\x94", kRegSz, test::Sz("\xC3\xA4\xE7\x94\xA8")},
      {kHkeyLocalMachine, "Software\\Reg", "dw", kRegDword, {0x0A, 0, 0, 0x80}},
      {kHkeyLocalMachine, "Software\\Reg", "unclosed", kRegSz, {'x'}},
      {0x99, "Software\\Lost", "skipped", kRegSz, test::Sz("s")},
      {kHkeyCurrentUser, "Software\\Reg", "exp", kRegExpandSz, test::Sz("%A%")},
      {kHkeyCurrentUser, "Software\\Reg", "multi", kRegMultiSz, {'a', 0, 0}},
      {kHkeyCurrentUser, "Software\\Reg", "q", 11, {1, 2, 3, 4, 5, 6, 7, 8}},
      {kHkeyCurrentUser, "Software\\Reg", "bin", kRegBinary, Bytes(30, 0xAB)},
  };
  const std::string file = RegFileOf(records);
  ASSERT_EQ("\xFF\xFE", file.substr(0, 2));
  const std::string text = Utf8FromUtf16Le(reinterpret_cast<const std::uint8_t*>(file.data()) + 2, file.size() - 2);
  EXPECT_EQ(Utf16LeFromUtf8(text), file.substr(2));  // names and strings beyond the code page kept
  const std::string bin = "\"bin\"=hex:" + [] {
    std::string b;
    for (int i = 0; i < 30; ++i) b += std::string(i ? "," : "") + (i == 23 ? "\\\r\n  " : "") + "ab";
    return b;
  }();
  EXPECT_EQ("Windows Registry Editor Version 5.00\r\n"
            "\r\n[HKEY_LOCAL_MACHINE\\Software\\Reg]\r\n"
            "@=\"a\\\"b\\\\c\"\r\n"
            "\"gr\xC3\xBC\xC3\x9F\xD0\x94\"=\"\xC3\xA4\xE7\x94\xA8\"\r\n"
            "\"dw\"=dword:8000000a\r\n"
            "\"unclosed\"=hex(1):78,00\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\Reg]\r\n"
            "\"exp\"=hex(2):25,00,41,00,25,00,00,00\r\n"
            "\"multi\"=hex(7):61,00,00,00,00,00\r\n"
            "\"q\"=hex(b):01,02,03,04,05,06,07,08\r\n" +
                bin + "\r\n\r\n",
            text);
}

class BackupManagerTest : public test::ScanFixture {
 protected:
  void SetUp() override {
    ScanFixture::SetUp();
    Settings(form.module1).Write(kLocalMachine, kPathKey, "BackUpFile", folder);
  }
  std::string folder = tp.Root() + "\\Saved\\Backups";
};

TEST_F(BackupManagerTest, ListCleanAndRestoreOverARealFolder) {
  form.BackupBtn_Click();
  EXPECT_TRUE(tp.Folder().Exists(folder));
  EXPECT_TRUE(form.controls.Items(ctl::ListVW1).empty());
  EXPECT_FALSE(form.controls.Visible(ctl::cmdRestore));
  EXPECT_FALSE(form.controls.Visible(ctl::cmdCleanBackUp));
  EXPECT_TRUE(form.controls.Visible(ctl::fraBackUp));

  tp.Folder().WriteFile(folder + "\\notes.bak.txt", "x");
  tp.Folder().WriteFile(folder + "\\other.txt", "x");
  tp.Folder().WriteFile(folder + "\\one.BAK", ClassicSlot(0x80000002u, "Software\\Mgr", "v", {'1'}, kRegSz));
  // A read-only backup restores all the same.
  tp.Folder().MakeReadOnly(folder + "\\one.BAK");
  ASSERT_TRUE(tp.Files().GetAttributes(folder + "\\one.BAK") & kAttrReadOnly);
  // Another program's file.
  tp.Folder().WriteFile(folder + "\\foreign.bak", std::string(3000, 'z'));
  tp.Folder().WriteFile(folder + "\\two.bak",
                        ClassicSlot(0x80000002u, "Software\\Mgr", "w", {'2'}, kRegSz) +
                            ClassicSlot(0x99u, "Software\\Mgr", "lost", {'2'}, kRegSz));
  form.ListBackups();
  std::map<std::string, ListItem> items;
  for (const ListItem& i : form.controls.Items(ctl::ListVW1)) items[i.text] = i;
  ASSERT_EQ(4u, items.size());
  ASSERT_EQ(1u, items.count("notes.bak"));
  EXPECT_EQ("1292 byte", items["one"].subItems.at(1));
  EXPECT_EQ("2584 byte", items["two"].subItems.at(1));
  EXPECT_FALSE(items["one"].subItems.at(0).empty());
  EXPECT_TRUE(form.controls.Visible(ctl::cmdRestore));

  for (ListItem& i : form.controls.Items(ctl::ListVW1)) i.checked = i.text == "notes.bak";
  form.cmdCleanBackUp_Click();
  EXPECT_TRUE(tp.Folder().Exists(folder + "\\notes.bak.txt"));  // its item names "notes.bak.bak"
  EXPECT_EQ(4u, form.controls.Items(ctl::ListVW1).size());

  // Restore three: one comes back whole and goes; the other keeps its file;
  // the foreign one stays and is named.
  for (ListItem& i : form.controls.Items(ctl::ListVW1)) i.checked = i.text != "notes.bak";
  form.cmdRestore_Click();
  EXPECT_FALSE(tp.Folder().Exists(folder + "\\one.BAK"));
  EXPECT_TRUE(tp.Folder().Exists(folder + "\\two.bak"));
  EXPECT_EQ(std::string(3000, 'z'), tp.Folder().ReadFile(folder + "\\foreign.bak"));
  EXPECT_FALSE(form.controls.Visible(ctl::fraBackUp));
  EXPECT_EQ((test::ValueState{true, kRegSz, test::Sz("2")}),
            test::ReadValue(tp.Registry(), {kHkeyLocalMachine, "Software\\Mgr", "w"}));
  EXPECT_EQ((test::ValueState{true, kRegSz, test::Sz("1")}),
            test::ReadValue(tp.Registry(), {kHkeyLocalMachine, "Software\\Mgr", "v"}));
  ASSERT_EQ(2u, tp.dialogs.messages.size());
  EXPECT_EQ("foreign.bak holds no backup. It was left in place.", tp.dialogs.messages[0].text);
  EXPECT_TRUE(Contains(tp.dialogs.messages[1].text, "Software\\Mgr\\lost"));
  EXPECT_TRUE(Contains(tp.dialogs.messages[1].text, "two"));
  form.BackupBtn_Click();
  form.cmdCancel_Click();
  EXPECT_FALSE(form.controls.Visible(ctl::fraBackUp));
}

TEST_F(BackupManagerTest, AColumnClickSortsTheListAndASecondOneReversesIt) {
  form.module1.EnsureFolderPath(folder);
  for (const auto& [name, bytes] : {std::pair{"beta", 30}, std::pair{"Alpha", 200}, std::pair{"gamma", 1000}})
    tp.Folder().WriteFile(folder + "\\" + name + ".bak", std::string(static_cast<std::size_t>(bytes), 'z'));
  form.BackupBtn_Click();
  for (ListItem& i : form.controls.Items(ctl::ListVW1)) i.checked = i.text == "beta";
  const struct {
    int column;
    std::vector<std::string> order;
  } clicks[] = {{0, {"Alpha", "beta", "gamma"}},  // by name, letter case aside
                {0, {"gamma", "beta", "Alpha"}},
                {2, {"beta", "Alpha", "gamma"}},  // by size as a number: 30 < 200 < 1000
                {2, {"gamma", "Alpha", "beta"}},
                {0, {"Alpha", "beta", "gamma"}}};  // another column starts ascending
  for (const auto& click : clicks) {
    form.ListVW1_ColumnClick(click.column);
    std::vector<std::string> order;
    for (const ListItem& i : form.controls.Items(ctl::ListVW1)) {
      order.push_back(i.text);
      EXPECT_EQ(i.text == "beta", i.checked) << i.text;  // the tick moved with its backup
    }
    EXPECT_EQ(click.order, order) << click.column;
  }
}

// The overwrite question and the list of what stayed, as the window words
// them; both answers and the counting are BackupStoreTest's.
TEST_F(BackupManagerTest, NewerDataIsOverwrittenOnlyAfterOneQuestion) {
  form.module1.EnsureFolderPath(folder);
  const std::string key = "Software\\Again";
  for (const char* name : {"absent", "same", "newer"})
    WriteBackupRecord(tp.Files(), folder + "\\first.bak", {kHkeyLocalMachine, key, name, kRegSz, test::Sz("saved")});
  test::RegistryBuilder b(tp.Registry());
  b.String(kHkeyLocalMachine, key, "same", "saved");
  auto restore = [&](const char* newer) {
    b.String(kHkeyLocalMachine, key, "newer", newer);
    tp.dialogs.messages.clear();
    form.ListBackups();
    for (ListItem& i : form.controls.Items(ctl::ListVW1)) i.checked = true;
    form.cmdRestore_Click();
  };
  tp.dialogs.answers.push_back(MsgAnswer::kNo);
  restore("newer");
  ASSERT_EQ(2u, tp.dialogs.messages.size());
  EXPECT_EQ("1 values exist with other data. Overwrite them?", tp.dialogs.messages[0].text);
  EXPECT_EQ(MsgButtons::kYesNo, tp.dialogs.messages[0].buttons);
  EXPECT_TRUE(Contains(tp.dialogs.messages[1].text, "Software\\Again\\newer (exists with other data)"));
  EXPECT_EQ(test::Sz("newer"), test::ReadValue(tp.Registry(), {kHkeyLocalMachine, key, "newer"}).data);
  EXPECT_EQ(test::Sz("saved"), test::ReadValue(tp.Registry(), {kHkeyLocalMachine, key, "absent"}).data);
  EXPECT_TRUE(tp.Folder().Exists(folder + "\\first.bak"));

  // Every value already back: nothing is asked, and the backup goes.
  restore("saved");
  EXPECT_TRUE(tp.dialogs.messages.empty());
  EXPECT_FALSE(tp.Folder().Exists(folder + "\\first.bak"));
}

// The backups as the command-line program uses them: listed, written out,
// restored with the overwrite question answered either way, deleted.
TEST(BackupStoreTest, ListExportRestoreAndDeleteRoundTrip) {
  struct Row {
    bool overwrite;
    int restored, skipped;
    std::vector<std::string> kept;
  };
  for (const Row& row : {Row{false, 4, 1, {"b", "lost"}}, Row{true, 5, 0, {"lost"}}}) {
    SCOPED_TRACE(row.overwrite ? "overwrite" : "keep newer data");
    test::TestPlatform tp;
    const std::string folder = tp.Root() + "\\Backups", key = "Software\\Store";
    tp.Folder().MakeFolder(folder);
    BackupStore store(tp.Registry(), tp.Files(), folder);
    for (const char* name : {"absent", "same", "newer"})
      WriteBackupRecord(tp.Files(), store.PathOf("b"), {kHkeyLocalMachine, key, name, kRegSz, test::Sz("saved")});
    // A backup with a record that cannot go back: kept.
    WriteBackupRecord(tp.Files(), store.PathOf("lost"), {kHkeyLocalMachine, key, "w", kRegSz, test::Sz("saved")});
    WriteBackupRecord(tp.Files(), store.PathOf("lost"), {0x99u, key, "x", kRegSz, test::Sz("saved")});
    const std::string lnk = tp.Root() + "\\kept.lnk";
    tp.Folder().WriteFile(lnk, "shortcut bytes");
    KeepShortcutFile(tp.Files(), store.PathOf("b"), lnk);
    test::RegistryBuilder b(tp.Registry());
    b.String(kHkeyLocalMachine, key, "same", "saved");
    b.String(kHkeyLocalMachine, key, "newer", "newer");

    std::map<std::string, std::uint64_t> listed;
    for (const BackupListing& l : store.List()) listed[l.name] = l.size;
    EXPECT_EQ((std::map<std::string, std::uint64_t>{{"b", 3 * kBackupSlotLength}, {"lost", 2 * kBackupSlotLength}}),
              listed);

    EXPECT_EQ(3, store.Export("b"));
    EXPECT_EQ(RegFileOf(ParseBackupFile(ReadBackupImage(tp.Files(), store.PathOf("b"))).records),
              tp.Folder().ReadFile(store.RegPathOf("b")));

    std::vector<int> asked;
    const BackupsRestore r = store.Restore({"b", "lost"}, [&](int n) {
      asked.push_back(n);
      return row.overwrite;
    });
    EXPECT_EQ(std::vector<int>{1}, asked);
    EXPECT_EQ(row.restored, r.restored);
    EXPECT_EQ(row.skipped, r.skipped);
    EXPECT_EQ(1, r.failed);  // the record under an unknown root
    EXPECT_EQ(static_cast<std::size_t>(r.failed + r.skipped), r.notRestored.size());
    EXPECT_EQ(row.kept, r.kept);
    EXPECT_TRUE(r.foreign.empty());
    EXPECT_EQ("shortcut bytes", tp.Folder().ReadFile(lnk));
    EXPECT_EQ(test::Sz(row.overwrite ? "saved" : "newer"),
              test::ReadValue(tp.Registry(), {kHkeyLocalMachine, key, "newer"}).data);
    EXPECT_EQ(test::Sz("saved"), test::ReadValue(tp.Registry(), {kHkeyLocalMachine, key, "absent"}).data);
    EXPECT_EQ(!row.overwrite, tp.Folder().Exists(store.PathOf("b")));

    store.Delete("lost");
    if (!row.overwrite) store.Delete("b");
    EXPECT_TRUE(store.List().empty());
    EXPECT_FALSE(tp.Folder().Exists(ShortcutFolderOf(store.PathOf("b"))));
  }
}

}  // namespace
}  // namespace hw
