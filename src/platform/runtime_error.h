#pragma once
// A run-time error inside the program: a number and a description, caught
// exactly where the program shows its message.
#include <stdexcept>
#include <string>

namespace hw {

class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(long number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  long Number() const { return number_; }
  std::string Description() const { return what(); }

 private:
  long number_;
};

// Error numbers the program raises itself (the classic run-time numbers).
constexpr long kErrOverflow = 6;
constexpr long kErrSubscript = 9;
constexpr long kErrTypeMismatch = 13;
constexpr long kErrBadFileName = 52;
constexpr long kErrFileNotFound = 53;
constexpr long kErrBadFileMode = 54;
constexpr long kErrFileAlreadyOpen = 55;
constexpr long kErrDeviceIo = 57;
constexpr long kErrFileExists = 58;
constexpr long kErrDiskFull = 61;
constexpr long kErrPastEnd = 62;
constexpr long kErrPermissionDenied = 70;
constexpr long kErrPathFileAccess = 75;
constexpr long kErrPathNotFound = 76;
constexpr long kErrInvalidArgument = 5;

}  // namespace hw
