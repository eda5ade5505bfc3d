// Help and support buttons: the help file and the support page live where
// the settings say; a missing setting is written with its default first.
#include "platform/runtime_error.h"
#include "ui/form1.h"
#include "platform/shell.h"
#include "platform/user_dialogs.h"

namespace hw {

namespace {
constexpr char kHelpTopic[] = "main.html";
}

void Form1::hlpBtn_Click() {
  try {
    const std::string file = settings.HelpFile();
    // A missing file is the viewer's to report.
    p.shell.OpenHelp(view.WindowHandle(), file, kHelpTopic);
  } catch (const RuntimeError& e) {
    p.dialogs.MessageBox(e.Description(), kAppTitle, MsgButtons::kOk);
    RestoreFirstPageLayout();
  }
}

void Form1::SuprBtn_Click() {
  try {
    const std::string page = settings.SupportPage();
    p.shell.OpenUrl(view.WindowHandle(), page);
  } catch (const RuntimeError& e) {
    p.dialogs.MessageBox(e.Description(), kAppTitle, MsgButtons::kOk);
    RestoreFirstPageLayout();
  }
}

}  // namespace hw
