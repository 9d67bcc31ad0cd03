// The one run-time failure type: a numbered failure with the platform-style description users see.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace brelvo::common {

class RuntimeFailure : public std::runtime_error {
  public:
    RuntimeFailure(int number, std::string description);

    int number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    // What failed, in plain words (a box, a file line, a bound), shown on the line below the
    // description; empty when the cause is not known.
    const std::string& cause() const noexcept { return cause_; }
    RuntimeFailure& because(std::string cause) {
        cause_ = std::move(cause);
        return *this;
    }

  private:
    int number_;
    std::string description_;
    std::string cause_;
};

// What a user is shown of a failure: its description, and its cause on the line below when known.
[[nodiscard]] std::string failureText(const RuntimeFailure& failure);

// The failures the program raises, with their conventional numbers and texts.
[[nodiscard]] RuntimeFailure invalidProcedureCall();       // 5  "Invalid procedure call or argument"
[[nodiscard]] RuntimeFailure overflow();                   // 6  "Overflow"
[[nodiscard]] RuntimeFailure subscriptOutOfRange();        // 9  "Subscript out of range"
[[nodiscard]] RuntimeFailure divisionByZero();             // 11 "Division by zero"
[[nodiscard]] RuntimeFailure typeMismatch();               // 13 "Type mismatch"
[[nodiscard]] RuntimeFailure fileNotFound();               // 53 "File not found"
[[nodiscard]] RuntimeFailure inputPastEndOfFile();         // 62 "Input past end of file"
[[nodiscard]] RuntimeFailure outOfMemory();                // 7  "Out of memory"
[[nodiscard]] RuntimeFailure pathFileAccessError();        // 75 "Path/File access error"
[[nodiscard]] RuntimeFailure pathNotFound();               // 76 "Path not found"
[[nodiscard]] RuntimeFailure deviceIoError();              // 57 "Device I/O error": a write that failed
[[nodiscard]] RuntimeFailure invalidPicture();             // 481 "Invalid picture"
[[nodiscard]] RuntimeFailure controlArrayElementExists();  // 360 "Object already loaded"

}  // namespace brelvo::common
