#include "checks/section_checks.h"

#include <cerrno>
#include <cstdlib>

#include "platform/runtime_error.h"
#include "platform/vb_text.h"
#include "platform/user_dialogs.h"

namespace hw {
namespace {

constexpr char kDefaultName[] = "(Default)";
constexpr char kValueNotSet[] = "(value not set)";

// Data that is already a full path (X:\... or \\server\...) is tested as it
// stands; only a bare font file name belongs in the fonts folder.
bool IsFullPath(const std::string& text) {
  if (text.size() >= 3 && text[1] == ':' && text[2] == '\\') return true;
  return text.compare(0, 2, "\\\\") == 0;
}

}  // namespace

std::int16_t CheckedAdd16(std::int16_t value, int step) {
  int sum = value + step;
  if (sum > 32767 || sum < -32768) throw RuntimeError(kErrOverflow, "Overflow");
  return static_cast<std::int16_t>(sum);
}

std::int16_t CaptionNumber(const std::string& caption) {
  std::string t = Trim(caption);
  char* end = nullptr;
  errno = 0;
  long n = std::strtol(t.c_str(), &end, 10);
  if (t.empty() || *end != '\0') throw RuntimeError(kErrTypeMismatch, "Type mismatch");
  if (errno == ERANGE || n > 32767 || n < -32768) throw RuntimeError(kErrOverflow, "Overflow");
  return static_cast<std::int16_t>(n);
}

SectionChecks::Verdict SectionChecks::Judge(const std::string& section,
                                            const std::string& sStringName,
                                            const std::string& sValue) {
  Verdict v;
  auto extracted = [&](const std::string& text, int counter) {
    std::string path = paths_.ExtractPath(text);
    if (path.empty()) return;
    v.counterIndex = counter;
    v.logText = v.byteLogText = path;
    v.problem = !paths_.FileOrFolderExists(path);
    v.testedPath = paths_.CommandPath(path);
  };

  if (section == "RI") {
    if (sValue.empty() || Contains(sValue, "value not set", true)) return v;
    bool exists = Contains(sValue, "%") ? paths_.ExpandedFolderExists(sValue)
                                        : paths_.FileOrFolderExists(sValue);
    v = {!exists, sValue, sValue, 0,
         Contains(sValue, "%") ? paths_.ExpandedPath(sValue) : paths_.CommandPath(sValue), ""};
  } else if (section == "CC") {
    extracted(sValue, 1);
  } else if (section == "SL") {
    if (sStringName == kDefaultName && sValue != kValueNotSet) extracted(sValue, 2);
  } else if (section == "DD") {
  } else if (section == "WF") {
    std::string path = IsFullPath(sValue) ? sValue : WindowsFolder + "\\fonts\\" + sValue;
    v = {!paths_.FileOrFolderExists(path), path, sValue, 4, paths_.CommandPath(path), ""};
  } else if (section == "HR") {
    std::string path = paths_.ExtractPath(sValue + "\\" + sStringName);
    std::string logText = Trim(sValue).empty() ? sStringName : sValue;
    v = {!paths_.FileOrFolderExists(path), logText, sValue, 5, paths_.CommandPath(path), ""};
  } else if (section == "SP") {
    v = {!paths_.FileOrFolderExists(sStringName), sStringName, sStringName, 6, paths_.CommandPath(sStringName), ""};
  } else if (section == "SuP") {
    extracted(sValue, 7);
  } else if (section == "ArP") {
    std::string path = paths_.ExtractPath(sValue);
    if (InStrRev(path, ".") == 0) return v;
    v = {!paths_.FileOrFolderExists(path), path, path, 8, paths_.CommandPath(path), ""};
  } else if (section == "VD") {
    extracted(sValue, 9);
    v.byteLogText = sValue;
  }
  if (v.problem) v.missing = MissingPart(v.testedPath, section == "RI" ? "folder" : "file");
  return v;
}

std::string SectionChecks::MissingPart(const std::string& path, const char* otherwise) {
  if (path.size() >= 2 && path[1] == ':' && !m_.platform().files.DriveExists(path.substr(0, 2) + "\\"))
    return "drive";
  return otherwise;
}

void SectionChecks::Tell(const std::string& text, bool limit) {
  if (MessageSink)
    MessageSink(text, limit);
  else if (limit)
    m_.platform().dialogs.MessageBox(text, kAppTitle, MsgButtons::kOk, MsgIcon::kExclamation);
  else
    m_.platform().dialogs.MessageBox(text, kAppTitle, MsgButtons::kOk);
}

void SectionChecks::sReg_SearchFound(std::string sRootKey, std::string sKey,
                                     std::string sStringName, std::string sValue,
                                     const std::vector<std::uint8_t>& ArrByte, std::int32_t lFound) {
  try {
    const bool defaultValue = sStringName.empty() || sStringName == kDefaultName;
    if (sStringName.empty()) sStringName = kDefaultName;
    if (sStringName == kDefaultName) {
      std::string read = m_.ReadStringAtPath(sRootKey + "\\" + sKey, "");
      sValue = read == "Error" ? kValueNotSet : read;
    }
    Verdict v = Judge(state_.CurrentSection, sStringName, sValue);
    if (!v.problem) return;
    const std::string location = sRootKey + ",/" + sKey + "#(" + sStringName + ")";
    if (exclusions && exclusions->ExcludesValue(location, v.logText)) return;
    if (!RoomForProblem()) return;
    FoundProblem found;
    found.number = state_.ProblemNumber;
    RecordProblem(v.logText, location, true, ArrByte, v.byteLogText, v.counterIndex);
    if (!ProblemSink) return;
    found.section = state_.CurrentSection;
    found.root = sRootKey;
    found.key = sKey;
    if (lFound != kFoundKeyName) found.value = defaultValue ? std::string() : sStringName;
    found.data = sValue;
    found.path = v.testedPath;
    found.missing = v.missing;
    ProblemSink(found);
  } catch (const RuntimeError& e) {
    Tell(e.Description(), false);
    view_.RestoreFirstPageLayout();
    // A walk that went on would show the same message for every further
    // finding (a full disk, a closed log): the scan ends here.
    if (stopWalk_) stopWalk_();
  }
}

std::string SectionChecks::ProblemTextNow(const std::string& section, const std::string& sRootKey,
                                          const std::string& sKey, std::string sStringName, std::string sValue,
                                          std::string* byteLogText) {
  if (sStringName.empty()) sStringName = kDefaultName;
  if (sStringName == kDefaultName) {
    std::string read = m_.ReadStringAtPath(sRootKey + "\\" + sKey, "");
    sValue = read == "Error" ? kValueNotSet : read;
  }
  Verdict v = Judge(section, sStringName, sValue);
  if (!v.problem) return std::string();
  if (byteLogText) *byteLogText = v.byteLogText;
  return v.logText;
}

bool SectionChecks::RoomForProblem() {
  if (state_.ProblemLimitReached) {
    // Later sections still run their walks; each ends at its first finding.
    if (stopWalk_) stopWalk_();
    return false;
  }
  if (state_.ProblemsFound < kMaxProblemsPerScan) return true;
  state_.ProblemLimitReached = true;
  Tell(kProblemLimitMessage, true);
  if (stopWalk_) stopWalk_();
  return false;
}

void SectionChecks::RecordProblem(const std::string& logText, const std::string& locationText,
                                  bool withByteRecord, const std::vector<std::uint8_t>& bytes,
                                  const std::string& byteLogText, int counterIndex) {
  const std::string number = std::to_string(state_.ProblemNumber);
  if (!state_.ErrLog || !state_.AlErrLog)
    throw RuntimeError(91, "Object variable or With block variable not set");
  state_.ErrLog->WriteLine(number + "." + logText);
  state_.AlErrLog->WriteLine(number + "." + locationText);
  if (withByteRecord) {
    BinaryEntry record;
    logs_.CopyEntryBytes(bytes, record.Bytes);
    record.SetText(byteLogText);
    logs_.AppendBinaryEntry(record, &state_);
  }
  state_.ProblemNumber = CheckedAdd16(state_.ProblemNumber, 1);
  state_.ProblemsFound = CheckedAdd16(state_.ProblemsFound, 1);
  view_.SetProbFoLbCaption(std::to_string(state_.ProblemsFound) + view_.ProblemsFoundText());
  std::int16_t count = CaptionNumber(view_.NumSecErCaption(counterIndex));
  view_.SetNumSecErCaption(counterIndex, std::to_string(CheckedAdd16(count, 1)));
}

void SectionChecks::sReg_SearchKeyChanged(const std::string& sKName) {
  if (view_.SuppressKeyStatus()) return;
  view_.SetLabel3Caption(sKName);
}

}  // namespace hw
