#pragma once
// Shell-link (.lnk) files built byte by byte after the published format,
// for tests and benchmarks that need shortcuts without a Windows shell.
#include <cstdint>
#include <string>
#include <vector>

namespace hw::test::lnk {

std::string MyComputerItem();
std::string ControlPanelItem();
/// A drive item such as "C:\".
std::string DriveItem(const std::string& root);
/// A file-system item: short name, and a version 9 extension block with the
/// long name when one is given.
std::string FileItem(bool folder, const std::string& shortName, const std::string& longName);
/// An ID list of `items` with its size and terminator.
std::string IdList(const std::vector<std::string>& items);
/// LinkInfo with a volume id and an ANSI local base path and common path
/// suffix, or with the Unicode base path as well when `unicodeBase` is given.
std::string LinkInfo(const std::string& base, const std::string& suffix, const std::string& unicodeBase = "");
/// The whole file: header, then the ID list and LinkInfo where given.
std::string Shortcut(const std::string& idList, const std::string& linkInfo);
/// A shortcut to `target` ("C:\dir\file.exe" or "D:\"), as a shell saves a
/// link to a local path: its LinkInfo with the local base path.
std::string ShortcutTo(const std::string& target);

}  // namespace hw::test::lnk
