#include "ui/language_file.h"

#include <cmath>
#include <cstdlib>

#include "platform/runtime_error.h"
#include "platform/vb_text.h"

namespace hw {

int LanguageLineId(const std::string& line) {
  const std::string field = Trim(Left(line, 4));
  const char* begin = field.c_str();
  char* end = nullptr;
  double value = field.empty() ? 0 : std::strtod(begin, &end);
  if (field.empty() || end == begin || *end != '\0' || !std::isfinite(value)) {
    throw RuntimeError(kErrTypeMismatch, "Type mismatch");
  }
  // "9e99" is a number, but not one an identifier can hold.
  if (value < -32768.5 || value >= 32767.5) throw RuntimeError(kErrOverflow, "Overflow");
  return static_cast<int>(std::nearbyint(value));
}

std::string LanguageLineText(const std::string& line) { return Mid(line, 6); }

void ReadLanguageFile(FileServices& files, const std::string& path,
                      const std::function<void(int id, const std::string& text)>& apply) {
  std::unique_ptr<TextReader> in = files.OpenTextFile(path);
  while (!in->AtEndOfStream()) {
    const std::string line = in->ReadLine();
    apply(LanguageLineId(line), LanguageLineText(line));
  }
  in->Close();
}

}  // namespace hw
