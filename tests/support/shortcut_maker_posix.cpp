#include "support/lnk_writer.h"
#include "support/shortcut_maker.h"

namespace hw::test {

bool MakeShortcutFile(ScratchFolder& scratch, const std::string& linkPath, const std::string& target) {
  scratch.WriteFile(linkPath, lnk::ShortcutTo(target));
  return scratch.Exists(linkPath);
}

}  // namespace hw::test
