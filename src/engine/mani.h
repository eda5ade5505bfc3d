#pragma once
// The search engine: walks registry keys and values from a start key and
// raises an event for every match. Runs on the user-interface thread and
// yields to the message loop at every key and value, so Pause and Abort
// clicks (and the event handlers) run between two steps of a walk.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/message_pump.h"
#include "engine/search_parameters.h"
#include "registry/registry_api.h"

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
};

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

  /// Data of a value as text: strings up to their first NUL, numbers as
  /// 0x0000000A(10), everything else as upper-case hex bytes with spaces.
  std::string GetRegData(std::uint32_t lType, const std::vector<std::uint8_t>& abData);
  /// Walks from sStartKey under lSearchRoot; returns when done or stopped.
  /// Raises SearchFinished and then clears lStopSearch.
  void DoSearch();
  /// The text up to its first NUL.
  std::string TrimNull(const std::string& startstr);
  void StopSearch() { lStopSearch = 1; }
  void SetlStartSearch() { lStopSearch = 0; }

  /// Whether `text` matches sSearchText under the whole-text flag.
  bool MatchesSearch(const std::string& text);

  /// The two halves of the walk. SearchValues answers whether it raised a
  /// SearchFound (a key that reported one is not descended into).
  void SearchKeys(RegKey root, const std::string& keyPath);
  bool SearchValues(RegKey root, const std::string& keyPath);

 private:
  void Yield() { pump_.DoEvents(); }

  RegistryApi& reg_;
  MessagePump& pump_;
  SearchParameters& params_;
  ManiEvents* events_ = nullptr;
};

}  // namespace hw
