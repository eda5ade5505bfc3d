#pragma once
// Text from a scan or a report file made safe to print on a terminal.
#include <string>

namespace hw {

/// `text` with every control character (C0, DEL, C1) written as <U+XXXX>
/// and every byte that is not part of valid UTF-8 as U+FFFD; other
/// characters stay as they are. So a value's name or a report's bytes can
/// neither break a line nor send an escape sequence to the terminal.
std::string PrintableText(const std::string& text);
/// `text` with every byte that is not part of valid UTF-8 as U+FFFD.
std::string ValidUtf8(const std::string& text);

}  // namespace hw
