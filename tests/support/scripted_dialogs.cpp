#include "support/scripted_dialogs.h"

namespace hw::test {

MsgAnswer ScriptedDialogs::MessageBox(const std::string& text, const std::string& title,
                                      MsgButtons buttons, MsgIcon) {
  messages.push_back({text, title, buttons});
  if (buttons == MsgButtons::kOk) return MsgAnswer::kOk;
  if (answers.empty()) return MsgAnswer::kYes;
  MsgAnswer a = answers.front();
  answers.pop_front();
  return a;
}

std::string ScriptedDialogs::InputBox(const std::string& prompt, const std::string&) {
  prompts.push_back(prompt);
  if (inputs.empty()) return std::string();
  std::string a = inputs.front();
  inputs.pop_front();
  return a;
}

std::string ScriptedDialogs::BrowseForFolder(const std::string& title, const std::string& startFolder) {
  prompts.push_back(title);
  startFolders.push_back(startFolder);
  if (folders.empty()) return std::string();
  std::string a = folders.front();
  folders.pop_front();
  return a;
}

void ScriptedPump::At(long yieldNumber, std::function<void()> action) {
  actions_.emplace_back(yieldNumber, std::move(action));
}

void ScriptedPump::When(std::function<bool()> condition, std::function<void()> action) {
  reactions_.push_back({std::move(condition), std::move(action)});
}

void ScriptedPump::DoEvents() {
  ++count_;
  for (auto& [n, action] : actions_) {
    if (n == count_ && action) action();
  }
  // By index: an action may register further reactions.
  for (std::size_t i = 0; i < reactions_.size(); ++i) {
    if (reactions_[i].done || !reactions_[i].condition()) continue;
    reactions_[i].done = true;
    auto action = reactions_[i].action;
    action();
  }
}

}  // namespace hw::test
