#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include "platform/shortcut_reader_win32.h"
#include "platform/vb_text.h"
#include "platform/windows_win32.h"
#include "platform/ansi_text.h"
#include "support/lnk_writer.h"
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

  // A link as a process of another code page saves it: "?" in its
  // single-byte fields (which Wine's GetPath answers with), the names whole
  // in the ID list's UTF-16 blocks. Made by the shell, then the single-byte
  // spelling of the folder name overwritten in place.
  const std::string folder = u8"Дмитрий";
  scratch->MakeFolder(root + "\\" + folder);
  scratch->WriteFile(root + "\\" + folder + "\\app.exe", "MZ");
  const std::string exact = root + "\\" + folder + "\\app.exe";
  const int n = MultiByteToWideChar(CP_UTF8, 0, exact.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, exact.c_str(), -1, &wide[0], n);
  ASSERT_TRUE(MakeShortcut(W(root + "\\wine.lnk"), wide.c_str()));
  std::string bytes = scratch->ReadFile(root + "\\wine.lnk");
  std::size_t replaced = 0;
  for (std::size_t at = bytes.find(folder); at != std::string::npos; at = bytes.find(folder, at)) {
    bytes.replace(at, folder.size(), std::string(folder.size(), '?'));
    ++replaced;
  }
  ASSERT_GT(replaced, 0u);
  scratch->WriteFile(root + "\\wine.lnk", bytes);
  EXPECT_TRUE(EqualsNoCase(exact, reader.TargetPath(root + "\\wine.lnk"))) << reader.TargetPath(root + "\\wine.lnk");
  using namespace test::lnk;
  const std::string ansi = root + "\\" + std::string(folder.size(), '?') + "\\app.exe";
  scratch->WriteFile(root + "\\lost.lnk", Shortcut("", LinkInfo(ansi, "")));
  EXPECT_EQ("", reader.TargetPath(root + "\\lost.lnk")) << "not known exactly: not judged";
}

}  // namespace
}  // namespace hw
