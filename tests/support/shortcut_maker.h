#pragma once
// Shortcut files for tests, made the way the platform makes them: under
// Windows (Wine) by the shell's own shell-link object saved through
// IPersistFile; on Linux by the project's .lnk writer (support/lnk_writer.h),
// since no shell is there to make them.
#include <string>

#include "support/scratch_folder.h"

namespace hw::test {

/// Saves a shortcut at `linkPath` (below the scratch root) to the local
/// path `target` (a file, folder or drive root; it need not exist). False
/// when it could not be made.
bool MakeShortcutFile(ScratchFolder& scratch, const std::string& linkPath, const std::string& target);

}  // namespace hw::test
