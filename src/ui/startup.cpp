#include "ui/startup.h"

#include "platform/vb_text.h"
#include "ui/form1.h"

namespace hw {

namespace {
// Where the tree's click handler looks when the splash ticks the tree.
constexpr float kStartX = 45, kStartY = 105;
}  // namespace

std::string ArgumentsOf(const std::string& commandLine) {
  std::size_t i = 0;
  while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  if (i < commandLine.size() && commandLine[i] == '"') {
    const std::size_t close = commandLine.find('"', i + 1);
    i = close == std::string::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
  }
  return commandLine.substr(i);
}

bool IsStartupScanRequest(const std::string& arguments) {
  return Left(UCase(Trim(arguments)), 2) == "/S";
}

void Startup::Main(const std::string& arguments) {
  if (IsStartupScanRequest(arguments)) {
    StartupScanMode = true;
    form_.Form_Load();
    form_.NewSearchEngine();
    host_.HideMain();
    form_.DrawControls();
    host_.ShowSplashModal();
    form_.mx = kStartX;
    form_.my = kStartY;
  } else {
    StartupScanMode = false;
    form_.mx = kStartX;
    form_.my = kStartY;
    form_.Form_Load();
    form_.DrawControls();
    host_.ShowSplashModal();
  }
}

void Startup::Timer1_Timer() {
  host_.UnloadSplash();
  host_.ShowMain();
  if (!form_.tvwTree.Roots().empty()) {
    TreeNode& root = *form_.tvwTree.Roots().front();
    for (TreeNode* n : form_.tvwTree.Nodes()) n->selected = false;
    root.selectedImage = "AllComp";
    root.selected = true;
    root.image = "AllComp";
    form_.CheckChildren(root);
    form_.view.TreeChanged();
  }
  form_.tvwTree_Click();
  if (StartupScanMode) {
    form_.ScanBtn_Click();
    StartupScanMode = false;
  }
}

}  // namespace hw
