#pragma once
// A registry and a file layer over the real backends that fail, or stop the
// program dead, at the k-th call: a stand-in only for the failure.
#include <memory>
#include <string>

#include "platform/file_services.h"
#include "platform/registry_api.h"
#include "platform/runtime_error.h"

namespace hw::test {

/// Thrown when the program "dies": nothing the program does catches it.
struct Killed {};

/// The shared step counter of both layers.
struct StepFault {
  enum class Mode { kNone, kFail, kKill };
  Mode mode = Mode::kNone;
  long failAt = 0;  ///< 1-based step that fails or kills
  bool armed = false;
  long steps = 0;
  bool dead = false;

  /// True when this step is to fail (once); throws Killed at and after the
  /// kill step.
  bool Step() {
    if (dead) throw Killed{};
    if (!armed) return false;
    ++steps;
    if (mode == Mode::kNone || steps != failAt) return false;
    if (mode == Mode::kKill) {
      dead = true;
      throw Killed{};
    }
    return true;
  }
  /// A failing file step throws as the file layer does.
  void Io() {
    if (Step()) throw RuntimeError(kErrDeviceIo, "Device I/O error");
  }
};

// Each call is one step; a failed registry step answers access denied.
#define HW_REG_STEP(call) return f_.Step() ? kErrorAccessDenied : r_.call
#define HW_FILE_STEP(call) \
  f_.Io();                 \
  return r_.call

class FailingRegistry : public RegistryApi {
 public:
  FailingRegistry(RegistryApi& inner, StepFault& fault) : r_(inner), f_(fault) {}
  long OpenKeyEx(RegKey k, const std::string& s, std::uint32_t o, std::uint32_t sam, RegKey* out) override {
    HW_REG_STEP(OpenKeyEx(k, s, o, sam, out));
  }
  long CreateKeyEx(RegKey k, const std::string& s, std::uint32_t sam, RegKey* out) override {
    HW_REG_STEP(CreateKeyEx(k, s, sam, out));
  }
  long EnumKey(RegKey k, std::uint32_t i, char* n, std::uint32_t c) override { HW_REG_STEP(EnumKey(k, i, n, c)); }
  long EnumValue(RegKey k, std::uint32_t i, char* n, std::uint32_t* c, std::uint32_t* t, std::uint8_t* d,
                 std::uint32_t* b) override {
    HW_REG_STEP(EnumValue(k, i, n, c, t, d, b));
  }
  long QueryValueEx(RegKey k, const std::string& n, std::uint32_t* t, std::uint8_t* d, std::uint32_t* b) override {
    HW_REG_STEP(QueryValueEx(k, n, t, d, b));
  }
  long SetValueEx(RegKey k, const std::string& n, std::uint32_t t, const std::uint8_t* d, std::uint32_t b) override {
    HW_REG_STEP(SetValueEx(k, n, t, d, b));
  }
  long DeleteValue(RegKey k, const std::string& n) override { HW_REG_STEP(DeleteValue(k, n)); }
  long CloseKey(RegKey key) override {
    // A failed close still releases the handle, as Windows does.
    const bool fail = f_.Step();
    const long rc = r_.CloseKey(key);
    return fail ? kErrorInvalidHandle : rc;
  }
  long Flush() override { HW_REG_STEP(Flush()); }

 private:
  RegistryApi& r_;
  StepFault& f_;
};

class FailingRecordFile : public RecordFile {
 public:
  FailingRecordFile(std::unique_ptr<RecordFile> inner, StepFault& fault)
      : own_(std::move(inner)), r_(*own_), f_(fault) {}
  std::size_t ReadAt(std::uint64_t o, void* b, std::size_t n) override { HW_FILE_STEP(ReadAt(o, b, n)); }
  void WriteAt(std::uint64_t o, const void* b, std::size_t n) override { HW_FILE_STEP(WriteAt(o, b, n)); }
  void Sync() override { HW_FILE_STEP(Sync()); }
  std::uint64_t Length() override { HW_FILE_STEP(Length()); }
  void Truncate(std::uint64_t n) override { HW_FILE_STEP(Truncate(n)); }
  void Close() override {
    const bool fail = f_.Step();
    r_.Close();
    if (fail) throw RuntimeError(kErrDeviceIo, "Device I/O error");
  }

 private:
  std::unique_ptr<RecordFile> own_;
  RecordFile& r_;
  StepFault& f_;
};

class FailingFiles : public FileServices {
 public:
  FailingFiles(FileServices& inner, StepFault& fault) : r_(inner), f_(fault) {}
  // Existence tests never fail, but a dead program asks nothing.
  bool FileExists(const std::string& p) override { return !f_.Step() && r_.FileExists(p); }
  bool FolderExists(const std::string& p) override { return !f_.Step() && r_.FolderExists(p); }
  bool DriveExists(const std::string& p) override { return !f_.Step() && r_.DriveExists(p); }
  bool GetFolderIdentity(const std::string& p, FolderIdentity* id) override {
    return !f_.Step() && r_.GetFolderIdentity(p, id);
  }
  void CreateFolder(const std::string& p) override { HW_FILE_STEP(CreateFolder(p)); }
  std::vector<FolderFile> GetFolderFiles(const std::string& p) override { HW_FILE_STEP(GetFolderFiles(p)); }
  void DeleteFile(const std::string& p, bool force) override { HW_FILE_STEP(DeleteFile(p, force)); }
  void CopyFile(const std::string& s, const std::string& d, bool o) override { HW_FILE_STEP(CopyFile(s, d, o)); }
  void ReplaceFile(const std::string& s, const std::string& d) override { HW_FILE_STEP(ReplaceFile(s, d)); }
  void MoveFile(const std::string& s, const std::string& d) override { HW_FILE_STEP(MoveFile(s, d)); }
  void RecycleFile(const std::string& p) override { HW_FILE_STEP(RecycleFile(p)); }
  void DeleteFolder(const std::string& p) override { HW_FILE_STEP(DeleteFolder(p)); }
  std::unique_ptr<TextReader> OpenTextFile(const std::string& p) override { HW_FILE_STEP(OpenTextFile(p)); }
  std::unique_ptr<TextWriter> CreateTextFile(const std::string& p, bool o) override {
    HW_FILE_STEP(CreateTextFile(p, o));
  }
  std::unique_ptr<RecordFile> OpenRecordFile(const std::string& p) override {
    f_.Io();
    return std::make_unique<FailingRecordFile>(r_.OpenRecordFile(p), f_);
  }
  std::vector<DirEntry> ListDirectory(const std::string& folder, const std::string& pattern, bool dirs) override {
    HW_FILE_STEP(ListDirectory(folder, pattern, dirs));
  }
  std::uint32_t GetAttributes(const std::string& p) override { HW_FILE_STEP(GetAttributes(p)); }

 private:
  FileServices& r_;
  StepFault& f_;
};

#undef HW_REG_STEP
#undef HW_FILE_STEP

}  // namespace hw::test
