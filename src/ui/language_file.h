#pragma once
// Language files: one text per line, a four-digit identifier, one skipped
// character, then the text used exactly as it stands.
#include <functional>
#include <string>

#include "platform/file_services.h"

namespace hw {

/// The identifier of a language line: its first four characters read as a
/// number (spaces around it allowed). RuntimeError 13 ("Type mismatch")
/// when they are not one (an empty line, a letter, a bracket).
int LanguageLineId(const std::string& line);
/// The text of a language line: from its sixth character on.
std::string LanguageLineText(const std::string& line);

/// Reads every line of a language file in order and hands identifier and
/// text to `apply`. Throws RuntimeError on a line that has no identifier or
/// when the file cannot be read; lines before it have been applied.
void ReadLanguageFile(FileServices& files, const std::string& path,
                      const std::function<void(int id, const std::string& text)>& apply);

}  // namespace hw
