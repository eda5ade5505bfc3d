#pragma once
// The search engine: walks registry keys and values from a start key and
// raises an event for every match. Runs on the user-interface thread and
// yields to the message loop at every key and value, so Pause and Abort
// clicks (and the event handlers) run between two steps of a walk.
#include <cstdint>
#include <string>
#include <vector>

#include <set>

#include "platform/message_pump.h"
#include "platform/shortcut_reader.h"
#include "platform/file_services.h"
#include "engine/search_parameters.h"
#include "platform/registry_api.h"

namespace hw {

/// What a key match carries as its data bytes.
constexpr std::size_t kKeyMatchBytes = 257;

/// `lFound` of SearchFound.
constexpr std::int32_t kFoundKeyName = 0;
constexpr std::int32_t kFoundValueName = 1;
constexpr std::int32_t kFoundValueData = 2;

/// Listener of the engine. Handlers run synchronously inside the walk; a
/// RuntimeError thrown by one ends the loop of the key being walked and
/// stops the rest of the walk with that error's number. Further searches
/// (the shortcut search) add their events here.
class ManiEvents {
 public:
  virtual ~ManiEvents() = default;
  /// A key (lFound 0: name "(Default)", value " ", 257 zero bytes) or a
  /// value (lFound 1 name, 2 data) matched.
  virtual void SearchFound(const std::string& sRootKey, const std::string& sKey,
                           const std::string& sStringName, const std::string& sValue,
                           const std::vector<std::uint8_t>& ArrByte, std::int32_t lFound) {
    (void)sRootKey, (void)sKey, (void)sStringName, (void)sValue, (void)ArrByte, (void)lFound;
  }
  /// End of a DoSearch; `lReason` is the stop flag at that moment.
  virtual void SearchFinished(std::int32_t lReason) { (void)lReason; }
  /// The walk is entering a subkey; its own name, not its path.
  virtual void SearchKeyChanged(const std::string& sFullKeyName) { (void)sFullKeyName; }
  /// A shortcut file was found; `short_path` is its target (empty when it
  /// has none). The shortcut file itself is in the engine's
  /// ShortcutFilePath store.
  virtual void ShortFound(const std::string& short_path) { (void)short_path; }
  /// The file search is working in `folder` (shown as the current place).
  virtual void FolderSearched(const std::string& folder) { (void)folder; }
};

/// Data of a value as the walker shows it (see Mani::GetRegData).
std::string RegDataText(std::uint32_t lType, const std::vector<std::uint8_t>& abData);

class Mani {
 public:
  Mani(RegistryApi& registry, MessagePump& pump, SearchParameters& parameters)
      : reg_(registry), pump_(pump), params_(parameters) {}

  /// The listener; null for none. Not owned.
  void SetEvents(ManiEvents* events) { events_ = events; }

  /// True while the user has paused the scan; the walk waits between
  /// subkeys while it is set (a stop request ends the wait).
  bool PauseOperation = false;
  /// 0 while a search may run, 1 after StopSearch, a run-time error number
  /// after an error ended a walk.
  std::int32_t lStopSearch = 0;
  /// Keys, values and files walked since SetlStartSearch.
  long ItemsWalked = 0;

  /// Data of a value as text: strings up to their first NUL, numbers as
  /// 0x0000000A(10), everything else as upper-case hex bytes with spaces.
  std::string GetRegData(std::uint32_t lType, const std::vector<std::uint8_t>& abData);
  /// Walks from sStartKey under lSearchRoot; returns when done or stopped.
  /// Raises SearchFinished and then clears lStopSearch.
  void DoSearch();
  /// The text up to its first NUL.
  std::string TrimNull(const std::string& startstr);
  void StopSearch() { lStopSearch = 1; }
  /// Clears the stop flag; a new scan also forgets the folders searched.
  void SetlStartSearch() {
    lStopSearch = 0;
    ItemsWalked = 0;
    searchedFolders_.clear();
  }

  /// What the file search needs: the file layer, the shortcut reader and
  /// where the path of the shortcut being resolved is kept.
  void UseFiles(FileServices& files, ShortcutReader& shortcuts, std::string& shortcutFilePath) {
    files_ = &files;
    shortcuts_ = &shortcuts;
    shortcutFilePath_ = &shortcutFilePath;
  }
  /// Searches `start_dir` ("C:" or "C:\dir", no trailing backslash) and
  /// every folder below it for files matching `pattern`, raising ShortFound
  /// with each file's shortcut target: a folder's own files first, then each
  /// subfolder's subtree. Hidden and system entries are passed over; a real
  /// folder reached twice (links, junctions) is searched once per scan
  /// (SetlStartSearch forgets them). Pause is honoured after every file,
  /// before every folder entry and after every subtree; a stop request ends
  /// the search at the next of these points and stays set.
  void DoSearchFiles(const std::string& start_dir, const std::string& pattern);
  /// The target of a shortcut file (stored in ShortcutFilePath first);
  /// empty when it has none or cannot be read.
  std::string ShortcutTarget(const std::string& path);

  /// Whether `text` matches sSearchText under the whole-text flag.
  bool MatchesSearch(const std::string& text);

  /// The two halves of the walk. SearchValues answers whether it raised a
  /// SearchFound (a key that reported one is not descended into).
  void SearchKeys(RegKey root, const std::string& keyPath);
  bool SearchValues(RegKey root, const std::string& keyPath);

 private:
  void Yield() { pump_.DoEvents(); }
  void WaitWhilePaused() {
    while (PauseOperation && lStopSearch == 0) pump_.WaitForEvents();
  }

  RegistryApi& reg_;
  MessagePump& pump_;
  SearchParameters& params_;
  ManiEvents* events_ = nullptr;
  FileServices* files_ = nullptr;
  ShortcutReader* shortcuts_ = nullptr;
  std::string* shortcutFilePath_ = nullptr;
  std::set<FolderIdentity> searchedFolders_;
};

}  // namespace hw
