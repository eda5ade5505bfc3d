#include "checks/problem_logs.h"

#include <algorithm>
#include <cstring>

#include "checks/exact_logs.h"
#include "platform/ansi_text.h"
#include "platform/code_page.h"
#include "platform/runtime_error.h"
#include "platform/user_dialogs.h"

namespace hw {

void BinaryEntry::SetText(const std::string& text) {
  // 256 characters, not bytes: a UTF-8 sequence is never cut.
  Text.clear();
  std::size_t chars = 0, at = 0;
  while (at < text.size() && chars < kEntryTextChars) {
    const std::size_t from = at;
    NextUtf8(text.data(), text.size(), &at);
    Text.append(text, from, at - from);
    ++chars;
  }
  Text.append(kEntryTextChars - chars, ' ');
}

std::array<std::uint8_t, kEntrySlotLength> BinaryEntry::ToSlot() const {
  std::array<std::uint8_t, kEntrySlotLength> slot{};
  std::memcpy(slot.data(), Bytes.data(), kEntryBytes);
  std::string text = AnsiFromText(Text);
  text.resize(kEntryTextChars, ' ');
  std::memcpy(slot.data() + kEntryBytes, text.data(), kEntryTextChars);
  return slot;
}

BinaryEntry BinaryEntry::FromSlot(const std::uint8_t* slot) {
  BinaryEntry e;
  std::memcpy(e.Bytes.data(), slot, kEntryBytes);
  e.Text = TextFromAnsi(std::string(reinterpret_cast<const char*>(slot + kEntryBytes), kEntryTextChars));
  return e;
}

void ProblemLogs::CloseProblemLogs(ScanState& state) {
  for (auto* log : {&state.ErrLog, &state.AlErrLog}) {
    if (!*log) continue;
    try {
      if ((*log)->IsOpen()) (*log)->Close();
    } catch (const RuntimeError&) {
    }
    log->reset();
  }
  if (state.BinaryLog) {
    try {
      state.BinaryLog->Close();
    } catch (const RuntimeError&) {
    }
    state.BinaryLog.reset();
  }
}

void ProblemLogs::StartProblemLogs(ScanState& state) {
  CloseProblemLogs(state);
  FileServices& files = m_.platform().files;
  const std::string err = ErrLogPath();
  if (files.FileExists(err)) files.DeleteFile(err, true);
  state.ErrLog = CreateTwinnedLog(files, err);
  const std::string alerr = AlErrLogPath();
  if (files.FileExists(alerr)) files.DeleteFile(alerr, false);
  const std::string binary = BinaryEntriesLogPath();
  if (files.FileExists(binary)) files.DeleteFile(binary, false);
  state.AlErrLog = CreateTwinnedLog(files, alerr);
}

void ProblemLogs::AppendBinaryEntry(const BinaryEntry& record, ScanState* scan) {
  std::unique_ptr<RecordFile> once;
  std::unique_ptr<RecordFile>& file = scan ? scan->BinaryLog : once;
  if (!file) file = m_.platform().files.OpenRecordFile(BinaryEntriesLogPath());
  // Straight behind the last slot, a partial one included, instead of
  // reading every slot to find the end.
  std::uint64_t slots = (file->Length() + kEntrySlotLength - 1) / kEntrySlotLength;
  auto slot = record.ToSlot();
  file->WriteAt(slots * kEntrySlotLength, slot.data(), slot.size());
  if (once) once->Close();
}

void ProblemLogs::CopyEntryBytes(const std::vector<std::uint8_t>& source,
                                 std::array<std::uint8_t, kEntryBytes>& destination) {
  std::size_t n = std::min(source.size(), kEntryBytes);
  std::memcpy(destination.data(), source.data(), n);
  // The copy loop counts with a signed 16-bit index: a source with more
  // than 32768 elements overflows it.
  if (source.size() > 32768u)
    m_.platform().dialogs.MessageBox("This Error Occured while copy Array", kAppTitle,
                                     MsgButtons::kOk);
}

std::vector<BinaryEntry> ProblemLogs::ReadBinaryEntries() {
  std::vector<BinaryEntry> entries;
  FileServices& files = m_.platform().files;
  const std::string path = BinaryEntriesLogPath();
  if (!files.FileExists(path)) return entries;
  auto file = files.OpenRecordFile(path);
  std::array<std::uint8_t, kEntrySlotLength> slot;
  for (std::uint64_t offset = 0;; offset += kEntrySlotLength) {
    if (file->ReadAt(offset, slot.data(), slot.size()) != slot.size()) break;
    entries.push_back(BinaryEntry::FromSlot(slot.data()));
  }
  file->Close();
  return entries;
}

}  // namespace hw
