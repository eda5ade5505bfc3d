#pragma once
// The three problem logs of a scan in the log folder: err.log (what each
// problem is, by section), alerr.log (where it is) and BinaryEntries.log
// (the raw bytes of each registry problem, fixed 769-byte slots).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "checks/scan_state.h"
#include "registry/module1.h"

namespace hw {

inline constexpr char kErrLogName[] = "err.log";
inline constexpr char kAlErrLogName[] = "alerr.log";
inline constexpr char kBinaryEntriesLogName[] = "BinaryEntries.log";

constexpr std::size_t kEntryBytes = 257;
constexpr std::size_t kEntryTextChars = 256;
constexpr std::size_t kEntrySlotLength = 769;

/// One record of BinaryEntries.log.
struct BinaryEntry {
  std::array<std::uint8_t, kEntryBytes> Bytes{};
  /// Exactly 256 characters, space padded (see SetText); the slot holds
  /// them in the ANSI code page.
  std::string Text = std::string(kEntryTextChars, ' ');

  /// Left-justifies `text` in the field: padded with spaces or cut.
  void SetText(const std::string& text);
  /// The slot image: Bytes, Text, then 256 zero bytes.
  std::array<std::uint8_t, kEntrySlotLength> ToSlot() const;
  static BinaryEntry FromSlot(const std::uint8_t* slot);
};

class ProblemLogs {
 public:
  explicit ProblemLogs(Module1& module1) : m_(module1) {}

  std::string ErrLogPath() { return m_.GetLogFolder() + "\\" + kErrLogName; }
  std::string AlErrLogPath() { return m_.GetLogFolder() + "\\" + kAlErrLogName; }
  std::string BinaryEntriesLogPath() { return m_.GetLogFolder() + "\\" + kBinaryEntriesLogName; }

  /// Closes ErrLog and AlErrLog when open; errors while closing are ignored.
  static void CloseProblemLogs(ScanState& state);

  /// The logs as a scan starts them: err.log deleted (forced) and created
  /// anew as ErrLog (each with its exact twin, see exact_logs.h); alerr.log and BinaryEntries.log deleted (not forced:
  /// a read-only one throws); alerr.log created anew as AlErrLog. Closes
  /// streams left open by an aborted scan first.
  void StartProblemLogs(ScanState& state);

  /// Closes the scan's logs at the normal end of a scan.
  static void FinishProblemLogs(ScanState& state) { CloseProblemLogs(state); }

  /// Appends a record behind every slot already in BinaryEntries.log (the
  /// file is created when missing). With a scan, the file stays open in it
  /// until its logs are closed. Throws RuntimeError on failure.
  void AppendBinaryEntry(const BinaryEntry& record, ScanState* scan = nullptr);

  /// Copies `source[i]` into `destination[i]` for i up to 256; the rest of
  /// the destination keeps its content. A source longer than a 16-bit
  /// counter reaches shows "This Error Occured while copy Array" after the
  /// bytes that fit were copied.
  void CopyEntryBytes(const std::vector<std::uint8_t>& source,
                      std::array<std::uint8_t, kEntryBytes>& destination);

  /// Every record of BinaryEntries.log (empty when it does not exist).
  std::vector<BinaryEntry> ReadBinaryEntries();

 private:
  Module1& m_;
};

}  // namespace hw
