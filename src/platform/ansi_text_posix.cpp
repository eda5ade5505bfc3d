#include "platform/ansi_text.h"

#include "platform/code_page.h"

namespace hw {

std::string AnsiFromText(const std::string& text) { return IsAscii(text) ? text : Cp1252FromUtf8(text); }

std::string TextFromAnsi(const std::string& ansi) { return IsAscii(ansi) ? ansi : Utf8FromCp1252(ansi); }

}  // namespace hw
