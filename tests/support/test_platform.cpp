#include "support/test_platform.h"

namespace hw::test {

TestPlatform::TestPlatform(const std::string& extraFixedDrives)
    : registry_(MakeScratchRegistry()),
      folder_(MakeScratchFolder(extraFixedDrives)),
      system_(MakeRealSystemInfo(*folder_, folder_->Root() + "\\Prog")),
      shortcuts_(MakeRealShortcutReader(*folder_)),
      platform_{registry_->Api(), folder_->Files(), *system_, *shortcuts_, pump, dialogs, shell} {
  folder_->MakeFolder(ProgramFolder());
}

}  // namespace hw::test
