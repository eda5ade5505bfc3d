#include <map>

#include "fuzz/fuzz_checks.h"
#include "platform/runtime_error.h"
#include "registry/settings.h"
#include "support/test_platform.h"
#include "ui/control_names.h"
#include "ui/form1.h"
#include "ui/language_file.h"

namespace hw::fuzz {
namespace {

struct LanguageRig {
  LanguageRig() {
    Settings(form.module1).Write(kLocalMachine, kPathKey, "RefFile", ref);
    Settings(form.module1).Write(kCurrentUser, kLanguageKey, "default", "Fuzz");
    tp.Folder().MakeFolder(ref);
    form.Form_Load();
  }
  test::TestPlatform tp;
  NullForm1View view;
  Form1 form{tp.Get(), view};
  std::string ref = tp.Root() + "\\Ref";
  std::string file = ref + "\\Fuzz.ini";
};

}  // namespace

void CheckLanguageFile(const std::string& input) {
  static LanguageRig rig;
  Form1& form = rig.form;
  rig.tp.Folder().WriteFile(rig.file, input);

  // What the reader makes of the file, line by line (the last text wins).
  std::map<int, std::string> last;
  bool rejected = false;
  try {
    ReadLanguageFile(rig.tp.Files(), rig.file, [&](int id, const std::string& text) { last[id] = text; });
  } catch (const RuntimeError&) {
    rejected = true;
  }

  rig.tp.dialogs.messages.clear();
  form.BuildSectionTree();
  form.SetAllTxt();
  form.FreeRetiredEngines();  // as the next scan would
  const auto& messages = rig.tp.dialogs.messages;
  Require(form.sReg != nullptr, "no search engine after the texts");
  if (rejected) {
    Require(messages.size() == 1, "a rejected file gave " + std::to_string(messages.size()) + " messages");
    Require(messages[0].text.rfind("Error Description : ", 0) == 0 &&
                messages[0].text.find("\r\nError Source :SetAll Text function") != std::string::npos,
            "the message of a rejected file: " + messages[0].text);
    const MainTexts defaults;
    Require(form.texts.ProblemsFoundText == defaults.ProblemsFoundText &&
                form.texts.pauseCaption == defaults.pauseCaption &&
                form.texts.noSectionMessage == defaults.noSectionMessage,
            "a rejected file left texts that are not the defaults");
    return;
  }
  Require(messages.empty(), "an accepted file gave a message: " + (messages.empty() ? "" : messages[0].text));
  auto applied = [&](int id, const std::string& shown, const std::string& prefix) {
    auto it = last.find(id);
    if (it != last.end())
      Require(shown == prefix + it->second, "line " + std::to_string(id) + " was not applied as it stands");
  };
  applied(1016, form.controls.Text(ctl::ScanBtn), "");
  applied(1025, form.controls.Text(ctl::hlpBtn), "");
  applied(1032, form.texts.ProblemsFoundText, " ");
  applied(1076, form.texts.problemsDetectedSuffix, "");
  for (const TreeNode* node : form.tvwTree.Nodes()) Require(node->bold, "a node is not bold after the texts");
}

}  // namespace hw::fuzz
