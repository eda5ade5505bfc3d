// What only the shell's reader meets: links to virtual folders, Internet
// shortcuts, and Wine's "?" in the single-byte fields of a link saved by a
// process of another code page (the contract covers the rest).
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include "platform/shortcut_reader_win32.h"
#include "platform/vb_text.h"
#include "platform/windows_win32.h"
#include "support/scratch_folder.h"
#include "support/shortcut_maker.h"

namespace hw {
namespace {

bool MakeIdListShortcut(const std::wstring& linkPath, int csidl) {
  LPITEMIDLIST item = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &item))) return false;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                       reinterpret_cast<void**>(&link))) &&
            SUCCEEDED(link->SetIDList(item)) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
  if (file) file->Release();
  if (link) link->Release();
  CoTaskMemFree(item);
  return ok;
}

TEST(Win32ShortcutReader, VirtualFoldersUrlsAndWinesQuestionMarks) {
  Win32ShortcutReader reader;  // joins the apartment first
  auto scratch = test::MakeScratchFolder();
  const std::string root = scratch->Root();
  ASSERT_TRUE(MakeIdListShortcut(std::wstring(root.begin(), root.end()) + L"\\virtual.lnk", CSIDL_PRINTERS));
  scratch->WriteFile(root + "\\site.url", "[InternetShortcut]\r\nURL=http://example.org/\r\n");
  EXPECT_EQ("", reader.TargetPath(root + "\\virtual.lnk"));
  EXPECT_EQ("", reader.TargetPath(root + "\\site.url"));

  // Made by the shell, then the single-byte spelling of the folder name
  // overwritten in place: the ID list's UTF-16 names still give the path.
  const std::string folder = u8"Дмитрий", exact = root + "\\" + folder + "\\app.exe";
  scratch->WriteFile(exact, "MZ");
  ASSERT_TRUE(test::MakeShortcutFile(*scratch, root + "\\wine.lnk", exact));
  std::string bytes = scratch->ReadFile(root + "\\wine.lnk");
  std::size_t replaced = 0;
  for (std::size_t at = bytes.find(folder); at != std::string::npos; at = bytes.find(folder, at), ++replaced)
    bytes.replace(at, folder.size(), std::string(folder.size(), '?'));
  ASSERT_GT(replaced, 0u);
  scratch->WriteFile(root + "\\wine.lnk", bytes);
  EXPECT_TRUE(EqualsNoCase(exact, reader.TargetPath(root + "\\wine.lnk"))) << reader.TargetPath(root + "\\wine.lnk");
}

}  // namespace
}  // namespace hw
