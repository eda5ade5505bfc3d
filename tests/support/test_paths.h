#pragma once
// Where tests put their scratch files and screenshots.
#include <string>

namespace hw::test {

/// The build folder (HW_BUILD_DIR), in the form the platform's file
/// functions take: a Windows path under Wine (Z:\...), a host path on Linux.
std::string BuildDir();
/// A new, empty folder of its own under the system's temporary folder,
/// in host form (Windows form under Wine).
std::string MakeTempFolder(const std::string& prefix);
/// Removes a folder tree made by MakeTempFolder.
void RemoveTree(const std::string& path);
/// The source tree (HW_SOURCE_DIR), in the platform's path form, for tests
/// that check files shipped with the program.
std::string SourceDir();
/// The bytes of a file of the source tree ("/resources/Ref/Deutsch.ini").
std::string ReadSourceFile(const std::string& relative);
/// The shared third-party test data folder; empty when it is absent.
std::string TestDataDir();

}  // namespace hw::test
