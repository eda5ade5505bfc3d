#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include "engine/shortcut_reader_win32.h"
#include "registry/vb_text.h"
#include "registry/windows_win32.h"
#include "support/scratch_folder.h"

namespace hw {
namespace {

// Saves a shell link to `target` at `linkPath`, as a shell would.
bool MakeShortcut(const std::wstring& linkPath, const std::wstring& target) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return false;
  }
  bool ok = SUCCEEDED(link->SetPath(target.c_str()));
  IPersistFile* file = nullptr;
  if (ok && SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    ok = SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
    file->Release();
  } else {
    ok = false;
  }
  link->Release();
  return ok;
}

bool MakeIdListShortcut(const std::wstring& linkPath, int csidl) {
  LPITEMIDLIST item = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &item))) return false;
  IShellLinkW* link = nullptr;
  bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                       reinterpret_cast<void**>(&link)));
  IPersistFile* file = nullptr;
  ok = ok && SUCCEEDED(link->SetIDList(item)) &&
       SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
  if (ok) {
    ok = SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
    file->Release();
  }
  if (link) link->Release();
  CoTaskMemFree(item);
  return ok;
}

std::wstring W(const std::string& s) { return std::wstring(s.begin(), s.end()); }

TEST(Win32ShortcutReader, TargetsOfRealShortcuts) {
  Win32ShortcutReader reader;  // joins the apartment first
  auto scratch = test::MakeScratchFolder();
  const std::string root = scratch->Root();
  scratch->WriteFile(root + "\\app.exe", "MZ");
  scratch->MakeFolder(root + "\\Folder");

  ASSERT_TRUE(MakeShortcut(W(root + "\\file.lnk"), W(root + "\\app.exe")));
  ASSERT_TRUE(MakeShortcut(W(root + "\\missing.lnk"), W(root + "\\gone.exe")));
  ASSERT_TRUE(MakeShortcut(W(root + "\\folder.lnk"), W(root + "\\Folder")));
  ASSERT_TRUE(MakeShortcut(W(root + "\\drive.lnk"), L"C:\\"));
  // A shell link to a virtual folder (here the printers) holds no file-system path.
  ASSERT_TRUE(MakeIdListShortcut(W(root + "\\virtual.lnk"), CSIDL_PRINTERS));
  scratch->WriteFile(root + "\\site.url", "[InternetShortcut]\r\nURL=http://example.org/\r\n");
  scratch->WriteFile(root + "\\junk.lnk", "not a shortcut at all");

  EXPECT_TRUE(EqualsNoCase(root + "\\app.exe", reader.TargetPath(root + "\\file.lnk")));
  EXPECT_TRUE(EqualsNoCase(root + "\\gone.exe", reader.TargetPath(root + "\\missing.lnk")));
  EXPECT_TRUE(EqualsNoCase(root + "\\Folder", reader.TargetPath(root + "\\folder.lnk")));
  EXPECT_EQ("C:\\", reader.TargetPath(root + "\\drive.lnk"));
  EXPECT_EQ("", reader.TargetPath(root + "\\virtual.lnk"));
  EXPECT_EQ("", reader.TargetPath(root + "\\site.url"));
  EXPECT_EQ("", reader.TargetPath(root + "\\junk.lnk"));
  EXPECT_EQ("", reader.TargetPath(root + "\\nothing.lnk"));

}

}  // namespace
}  // namespace hw
