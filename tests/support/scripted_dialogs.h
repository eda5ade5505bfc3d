#pragma once
// Stand-ins where a person acts: dialog answers and clicks between yields.
// They record what was asked of them.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_pump.h"
#include "platform/shell.h"
#include "platform/user_dialogs.h"

namespace hw::test {

struct ShownMessage {
  std::string text;
  std::string title;
  MsgButtons buttons;
};

class ScriptedDialogs : public UserDialogs {
 public:
  /// Answers for Yes/No boxes, used in order; kYes when none are left.
  std::deque<MsgAnswer> answers;
  /// Answers for input boxes, used in order; empty (cancel) when none left.
  std::deque<std::string> inputs;
  std::deque<std::string> folders;
  std::vector<ShownMessage> messages;
  std::vector<std::string> prompts;

  MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                       MsgIcon icon) override;
  std::string InputBox(const std::string& prompt, const std::string& title) override;
  std::string BrowseForFolder(const std::string& title, const std::string& startFolder) override;
  /// The folder each picker was to open at.
  std::vector<std::string> startFolders;
};

/// Counts yields and runs the action registered for a given yield number
/// (1-based), as a person clicking Pause or Abort at that moment would.
class ScriptedPump : public MessagePump {
 public:
  void At(long yieldNumber, std::function<void()> action);
  /// Runs `action` once, at the first yield where `condition` holds (a
  /// person reacting to what the window shows).
  void When(std::function<bool()> condition, std::function<void()> action);
  void DoEvents() override;
  long Count() const { return count_; }

 private:
  long count_ = 0;
  std::vector<std::pair<long, std::function<void()>>> actions_;
  struct Reaction {
    std::function<bool()> condition;
    std::function<void()> action;
    bool done = false;
  };
  std::vector<Reaction> reactions_;
};

class RecordingShell : public Shell {
 public:
  struct Call {
    std::string kind, target, topic;
  };
  std::vector<Call> calls;
  void OpenHelp(std::uintptr_t, const std::string& file, const std::string& topic) override {
    calls.push_back({"help", file, topic});
  }
  void OpenUrl(std::uintptr_t, const std::string& address) override {
    calls.push_back({"url", address, ""});
  }
  void Run(std::uintptr_t, const std::string& program, const std::string& parameters) override {
    calls.push_back({"run", program, parameters});
  }
};

}  // namespace hw::test
