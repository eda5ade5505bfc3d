#include "checks/path_tests.h"

#include "platform/vb_text.h"

namespace hw {

std::string PathTests::ExtractPath(const std::string& text) {
  std::string path = CutAtNul(text);
  if (!path.empty() && path[0] == '"') {
    path = path.substr(1);
    std::size_t close = InStr(2, path, "\"");
    // An unclosed quotation mark leaves the remainder as it is.
    if (close > 0) path = Left(path, close - 1);
  }
  if (path.size() >= 2 && path[1] == ':') return path;
  return std::string();
}

bool PathTests::FileOrFolderExists(const std::string& text) {
  // pos is the separator's 1-based position minus 1: -1 when not found.
  auto before = [&text](const char* sep, std::size_t from = 1) {
    return static_cast<long>(InStr(from, text, sep)) - 1;
  };

  long pos = before(" /");
  std::string candidate = pos > 0 ? Left(text, static_cast<std::size_t>(pos)) : text;
  candidate = Replace(candidate, "\\\\", "\\");
  if (files_.FileExists(candidate) || files_.FolderExists(candidate)) return true;

  pos = before(" -");
  if (pos > 0 && static_cast<std::size_t>(pos) < candidate.size()) {
    if (files_.FileExists(Left(text, static_cast<std::size_t>(pos)))) return true;
  }

  pos = before(" ");
  while (pos > 0 && static_cast<std::size_t>(pos) < text.size()) {
    if (files_.FileExists(Left(text, static_cast<std::size_t>(pos)))) return true;
    pos = before(" ", static_cast<std::size_t>(pos) + 2);
  }
  return false;
}

bool PathTests::ExpandedFolderExists(const std::string& text) { return files_.FolderExists(ExpandedPath(text)); }

std::string PathTests::CommandPath(const std::string& text) {
  std::string path = text;
  for (const char* sep : {" /", " -"}) {
    const std::size_t at = path.find(sep);
    if (at != std::string::npos && at > 0) path.resize(at);
  }
  return Replace(path, "\\\\", "\\");
}

std::string PathTests::ExpandedPath(const std::string& text) {
  std::string path = text;
  if (!text.empty() && text[0] == '%') {
    std::size_t p2 = InStr(2, text, "%");
    if (p2 > 3) {
      std::string name = Mid(text, 2, p2 - 2);
      std::string rest = Mid(text, p2 + 1);
      std::string value;
      // A value of any length is taken whole: cutting it at a buffer size
      // would test a folder nobody named.
      if (system_.GetEnvironmentVariable(name, &value) && !value.empty())
        path = Trim(CutAtNul(value) + rest);
    }
  }
  return path;
}

}  // namespace hw
