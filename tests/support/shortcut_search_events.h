#pragma once
// A listener of the file search that keeps what it was told, in order: each
// shortcut found (the shortcut file and its target) and each place shown.
#include <functional>
#include <string>
#include <vector>

#include "engine/mani.h"

namespace hw::test {

struct SearchEvent {
  bool shortcut = false;  // ShortFound, else FolderSearched
  std::string file;       // the shortcut file (ShortFound) or the folder shown
  std::string target;
};

class SearchRecorder : public ManiEvents {
 public:
  explicit SearchRecorder(const std::string& shortcutFilePath) : shortcutFilePath_(shortcutFilePath) {}
  std::vector<SearchEvent> events;
  /// Run after each recorded ShortFound, with the number of shortcuts so far.
  std::function<void(int)> onShortcut;

  void ShortFound(const std::string& short_path) override {
    events.push_back({true, shortcutFilePath_, short_path});
    if (onShortcut) onShortcut(static_cast<int>(Shortcuts().size()));
  }
  void FolderSearched(const std::string& folder) override { events.push_back({false, folder, ""}); }

  std::vector<SearchEvent> Shortcuts() const {
    std::vector<SearchEvent> out;
    for (const auto& e : events)
      if (e.shortcut) out.push_back(e);
    return out;
  }

 private:
  const std::string& shortcutFilePath_;
};

}  // namespace hw::test
