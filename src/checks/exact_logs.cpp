#include "checks/exact_logs.h"

#include "platform/ansi_text.h"
#include "platform/runtime_error.h"

namespace hw {
namespace {

class TwinnedLog : public TextWriter {
 public:
  TwinnedLog(std::unique_ptr<TextWriter> log, std::unique_ptr<RecordFile> twin)
      : log_(std::move(log)), twin_(std::move(twin)) {}

  void WriteLine(const std::string& line) override {
    log_->WriteLine(line);
    if (!twin_) return;
    const std::string bytes = line + "\r\n";
    try {
      twin_->WriteAt(end_, bytes.data(), bytes.size());
      end_ += bytes.size();
    } catch (const RuntimeError&) {
      // A twin that falls behind no longer matches its log and is not used.
      CloseTwin();
    }
  }

  void Close() override {
    CloseTwin();
    log_->Close();
  }

  bool IsOpen() const override { return log_->IsOpen(); }

 private:
  void CloseTwin() {
    if (!twin_) return;
    try {
      twin_->Close();
    } catch (const RuntimeError&) {
    }
    twin_.reset();
  }

  std::unique_ptr<TextWriter> log_;
  std::unique_ptr<RecordFile> twin_;
  std::uint64_t end_ = 0;
};

class LinesReader : public TextReader {
 public:
  explicit LinesReader(std::vector<std::string> lines) : lines_(std::move(lines)) {}
  bool AtEndOfStream() override { return next_ >= lines_.size(); }
  std::string ReadLine() override {
    if (AtEndOfStream()) throw RuntimeError(kErrPastEnd, "Input past end of file");
    return lines_[next_++];
  }
  void Close() override {}

 private:
  std::vector<std::string> lines_;
  std::size_t next_ = 0;
};

std::vector<std::string> ReadTextLines(FileServices& files, const std::string& path) {
  std::vector<std::string> lines;
  auto in = files.OpenTextFile(path);
  while (!in->AtEndOfStream()) lines.push_back(in->ReadLine());
  in->Close();
  return lines;
}

// The twin's lines, or false when it is missing or unreadable.
bool ReadTwin(FileServices& files, const std::string& path, std::vector<std::string>* lines) {
  if (!files.FileExists(path)) return false;
  try {
    auto file = files.OpenRecordFile(path);
    const std::uint64_t length = file->Length();
    if (length > (256u << 20)) return false;
    std::string bytes(static_cast<std::size_t>(length), '\0');
    const bool whole = file->ReadAt(0, bytes.data(), bytes.size()) == bytes.size();
    file->Close();
    if (!whole) return false;
    std::size_t at = 0;
    while (at < bytes.size()) {
      std::size_t lf = bytes.find('\n', at);
      if (lf == std::string::npos) lf = bytes.size();
      std::string line = bytes.substr(at, lf - at);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines->push_back(std::move(line));
      at = lf + 1;
    }
    return true;
  } catch (const RuntimeError&) {
    return false;
  }
}

void WriteTwin(FileServices& files, const std::string& path, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& l : lines) bytes += l + "\r\n";
  auto file = files.OpenRecordFile(path);
  file->Truncate(0);
  file->WriteAt(0, bytes.data(), bytes.size());
  file->Close();
}

}  // namespace

std::unique_ptr<TextWriter> CreateTwinnedLog(FileServices& files, const std::string& logPath) {
  DeleteExactTwin(files, logPath);
  std::unique_ptr<TextWriter> log = files.CreateTextFile(logPath, true);
  std::unique_ptr<RecordFile> twin;
  try {
    twin = files.OpenRecordFile(ExactTwinPath(logPath));
  } catch (const RuntimeError&) {
    // Without a twin the log is read as it stands.
  }
  return std::make_unique<TwinnedLog>(std::move(log), std::move(twin));
}

std::vector<std::string> ReadExactLog(FileServices& files, const std::string& logPath) {
  if (!files.FileExists(logPath)) return {};
  std::vector<std::string> lines = ReadTextLines(files, logPath);
  std::vector<std::string> exact;
  if (!ReadTwin(files, ExactTwinPath(logPath), &exact) || exact.size() != lines.size()) return lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // The log's line came through the code page as the twin's would.
    if (TextFromAnsi(AnsiFromText(exact[i])) != lines[i]) return lines;
  }
  return exact;
}

std::unique_ptr<TextReader> OpenExactLog(FileServices& files, const std::string& logPath) {
  return std::make_unique<LinesReader>(ReadExactLog(files, logPath));
}

void RewriteExactLog(FileServices& files, const std::string& logPath, const std::vector<std::string>& lines) {
  const std::string temp = logPath + "Temp";
  if (files.FileExists(temp)) files.DeleteFile(temp, false);
  auto out = files.CreateTextFile(temp, true);
  for (const std::string& l : lines) out->WriteLine(l);
  out->Close();
  DeleteExactTwin(files, logPath);
  files.CopyFile(temp, logPath, true);
  try {
    WriteTwin(files, ExactTwinPath(logPath), lines);
  } catch (const RuntimeError&) {
    // The log is right; without its twin it is read as it stands.
    try {
      DeleteExactTwin(files, logPath);
    } catch (const RuntimeError&) {
    }
  }
}

void DeleteExactTwin(FileServices& files, const std::string& logPath) {
  const std::string twin = ExactTwinPath(logPath);
  if (files.FileExists(twin)) files.DeleteFile(twin, true);
}

}  // namespace hw
