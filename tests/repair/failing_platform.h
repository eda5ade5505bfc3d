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
  long failAt = 0;   ///< 1-based step that fails or kills
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
};

class FailingRegistry : public RegistryApi {
 public:
  FailingRegistry(RegistryApi& inner, StepFault& fault) : r_(inner), f_(fault) {}
  long OpenKeyEx(RegKey key, const std::string& subKey, std::uint32_t options, std::uint32_t sam,
                 RegKey* result) override {
    return f_.Step() ? kErrorAccessDenied : r_.OpenKeyEx(key, subKey, options, sam, result);
  }
  long CreateKeyEx(RegKey key, const std::string& subKey, std::uint32_t sam, RegKey* result) override {
    return f_.Step() ? kErrorAccessDenied : r_.CreateKeyEx(key, subKey, sam, result);
  }
  long EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t nameChars) override {
    return f_.Step() ? kErrorAccessDenied : r_.EnumKey(key, index, name, nameChars);
  }
  long EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameChars, std::uint32_t* type,
                 std::uint8_t* data, std::uint32_t* dataBytes) override {
    return f_.Step() ? kErrorAccessDenied : r_.EnumValue(key, index, name, nameChars, type, data, dataBytes);
  }
  long QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* dataBytes) override {
    return f_.Step() ? kErrorAccessDenied : r_.QueryValueEx(key, valueName, type, data, dataBytes);
  }
  long SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t dataBytes) override {
    return f_.Step() ? kErrorAccessDenied : r_.SetValueEx(key, valueName, type, data, dataBytes);
  }
  long DeleteValue(RegKey key, const std::string& valueName) override {
    return f_.Step() ? kErrorAccessDenied : r_.DeleteValue(key, valueName);
  }
  long CloseKey(RegKey key) override {
    // A failed close still releases the handle, as Windows does.
    const bool fail = f_.Step();
    const long rc = r_.CloseKey(key);
    return fail ? kErrorInvalidHandle : rc;
  }
  long Flush() override { return f_.Step() ? kErrorAccessDenied : r_.Flush(); }

 private:
  RegistryApi& r_;
  StepFault& f_;
};

class FailingRecordFile : public RecordFile {
 public:
  FailingRecordFile(std::unique_ptr<RecordFile> inner, StepFault& fault) : r_(std::move(inner)), f_(fault) {}
  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override {
    Check();
    return r_->ReadAt(offset, buffer, length);
  }
  void WriteAt(std::uint64_t offset, const void* buffer, std::size_t length) override {
    Check();
    r_->WriteAt(offset, buffer, length);
  }
  void Sync() override {
    Check();
    r_->Sync();
  }
  std::uint64_t Length() override {
    Check();
    return r_->Length();
  }
  void Truncate(std::uint64_t length) override {
    Check();
    r_->Truncate(length);
  }
  void Close() override {
    const bool fail = f_.Step();
    r_->Close();
    if (fail) throw RuntimeError(kErrDeviceIo, "Device I/O error");
  }

 private:
  void Check() {
    if (f_.Step()) throw RuntimeError(kErrDeviceIo, "Device I/O error");
  }
  std::unique_ptr<RecordFile> r_;
  StepFault& f_;
};

class FailingFiles : public FileServices {
 public:
  FailingFiles(FileServices& inner, StepFault& fault) : r_(inner), f_(fault) {}
  // Existence tests never fail, but a dead program asks nothing.
  bool FileExists(const std::string& p) override { return !f_.Step() && r_.FileExists(p); }
  bool FolderExists(const std::string& p) override { return !f_.Step() && r_.FolderExists(p); }
  bool DriveExists(const std::string& p) override { return !f_.Step() && r_.DriveExists(p); }
  void CreateFolder(const std::string& p) override {
    Check();
    r_.CreateFolder(p);
  }
  std::vector<FolderFile> GetFolderFiles(const std::string& folder) override {
    Check();
    return r_.GetFolderFiles(folder);
  }
  void DeleteFile(const std::string& p, bool force) override {
    Check();
    r_.DeleteFile(p, force);
  }
  void CopyFile(const std::string& s, const std::string& d, bool overwrite) override {
    Check();
    r_.CopyFile(s, d, overwrite);
  }
  void ReplaceFile(const std::string& s, const std::string& d) override {
    Check();
    r_.ReplaceFile(s, d);
  }
  void MoveFile(const std::string& s, const std::string& d) override {
    Check();
    r_.MoveFile(s, d);
  }
  void RecycleFile(const std::string& p) override {
    Check();
    r_.RecycleFile(p);
  }
  void DeleteFolder(const std::string& p) override {
    Check();
    r_.DeleteFolder(p);
  }
  std::unique_ptr<TextReader> OpenTextFile(const std::string& p) override {
    Check();
    return r_.OpenTextFile(p);
  }
  std::unique_ptr<TextWriter> CreateTextFile(const std::string& p, bool overwrite) override {
    Check();
    return r_.CreateTextFile(p, overwrite);
  }
  std::unique_ptr<RecordFile> OpenRecordFile(const std::string& p) override {
    Check();
    return std::make_unique<FailingRecordFile>(r_.OpenRecordFile(p), f_);
  }
  std::vector<DirEntry> ListDirectory(const std::string& folder, const std::string& pattern,
                                      bool includeFolders) override {
    Check();
    return r_.ListDirectory(folder, pattern, includeFolders);
  }
  std::uint32_t GetAttributes(const std::string& p) override {
    Check();
    return r_.GetAttributes(p);
  }
  bool GetFolderIdentity(const std::string& p, FolderIdentity* id) override {
    return !f_.Step() && r_.GetFolderIdentity(p, id);
  }

 private:
  void Check() {
    if (f_.Step()) throw RuntimeError(kErrDeviceIo, "Device I/O error");
  }
  FileServices& r_;
  StepFault& f_;
};

}  // namespace hw::test
