#pragma once
// err.log and alerr.log are single-byte ANSI text, where a character the
// code page lacks is "?". So that the repair acts on what was judged, each
// has a twin beside it ("err.log.u8", "alerr.log.u8") holding the same
// lines in UTF-8, exactly. Classic readers never open the twins; a twin
// counts only while it matches its log line for line, so logs of an older
// scan (or edited by hand) are read as they stand.
#include <memory>
#include <string>
#include <vector>

#include "platform/file_services.h"

namespace hw {

inline constexpr char kExactTwinSuffix[] = ".u8";

inline std::string ExactTwinPath(const std::string& logPath) { return logPath + kExactTwinSuffix; }

/// A writer of a log that writes every line to the log (in ANSI) and to
/// its twin (exactly), line by line, so both survive a stop alike.
std::unique_ptr<TextWriter> CreateTwinnedLog(FileServices& files, const std::string& logPath);

/// The log's lines in their exact form: the twin's when it matches the log,
/// else the log's own. A missing log gives no lines.
std::vector<std::string> ReadExactLog(FileServices& files, const std::string& logPath);

/// The same lines as a reader.
std::unique_ptr<TextReader> OpenExactLog(FileServices& files, const std::string& logPath);

/// Writes `lines` as the log's new content through its "Temp" file (which
/// stays behind) and its twin beside it.
void RewriteExactLog(FileServices& files, const std::string& logPath, const std::vector<std::string>& lines);

/// Deletes the twin of a log (forced), when there is one.
void DeleteExactTwin(FileServices& files, const std::string& logPath);

}  // namespace hw
