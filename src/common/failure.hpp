// The one failure type: a numbered failure with the platform-style description users see and, on the
// line below it, what caused it (a file, a line, a box). Readers throw it; windows show failureText.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "common/messages.hpp"

namespace brelvo::common {

// A failure's number and the description it is shown with.
struct FailureKind {
    int number;
    std::string_view description;  // empty where the description names what failed (see the comment)
};

// Every failure number the program raises, with its description: one a line. No other place spells a
// failure number; a failure is made from its kind here.
namespace failures {
inline constexpr FailureKind kInvalidProcedureCall{5, msg::kInvalidProcedureCall};
inline constexpr FailureKind kOverflow{6, msg::kOverflow};
inline constexpr FailureKind kOutOfMemory{7, msg::kOutOfMemory};
inline constexpr FailureKind kSubscriptOutOfRange{9, msg::kSubscriptOutOfRange};
inline constexpr FailureKind kDivisionByZero{11, msg::kDivisionByZero};
inline constexpr FailureKind kTypeMismatch{13, msg::kTypeMismatch};
inline constexpr FailureKind kFileNotFound{53, msg::kFileNotFound};
inline constexpr FailureKind kDeviceIoError{57, msg::kDeviceIoError};
inline constexpr FailureKind kInputPastEndOfFile{62, msg::kInputPastEndOfFile};
inline constexpr FailureKind kPathFileAccessError{75, msg::kPathFileAccessError};
inline constexpr FailureKind kPathNotFound{76, msg::kPathNotFound};
inline constexpr FailureKind kInvalidFileFormat{321, msg::kInvalidFileFormat};
inline constexpr FailureKind kControlArrayElementMissing{340, {}};  // msg::controlArrayElementMissing
inline constexpr FailureKind kObjectAlreadyLoaded{360, msg::kObjectAlreadyLoaded};
inline constexpr FailureKind kInvalidPicture{481, msg::kInvalidPicture};
inline constexpr FailureKind kJpegLibrary{26001, {}};  // msg::jpegInitFailed, msg::jpegSaveFailed
}  // namespace failures

class RuntimeFailure : public std::runtime_error {
  public:
    // A failure of `kind` described as the table describes it.
    explicit RuntimeFailure(const FailureKind& kind);
    // A failure of `kind` with a description of its own (a control's index, a file's name in it).
    RuntimeFailure(const FailureKind& kind, std::string description);

    int number() const noexcept { return number_; }
    bool is(const FailureKind& kind) const noexcept { return number_ == kind.number; }
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

// The failures the program raises, made from their kinds in the table above.
[[nodiscard]] RuntimeFailure invalidProcedureCall();
[[nodiscard]] RuntimeFailure overflow();
[[nodiscard]] RuntimeFailure subscriptOutOfRange();
[[nodiscard]] RuntimeFailure divisionByZero();
[[nodiscard]] RuntimeFailure typeMismatch();
[[nodiscard]] RuntimeFailure fileNotFound();
[[nodiscard]] RuntimeFailure deviceIoError();  // a write that failed
[[nodiscard]] RuntimeFailure inputPastEndOfFile();
[[nodiscard]] RuntimeFailure outOfMemory();
[[nodiscard]] RuntimeFailure pathFileAccessError();
[[nodiscard]] RuntimeFailure pathNotFound();
[[nodiscard]] RuntimeFailure invalidPicture();
// A file that is not of the kind it should be, or damaged (a project file); its cause says how.
[[nodiscard]] RuntimeFailure invalidFileFormat();
[[nodiscard]] RuntimeFailure controlArrayElementExists();  // "Object already loaded"
// "Control array element 'N' doesn't exist", N the index asked for.
[[nodiscard]] RuntimeFailure controlArrayElementMissing(int index);

}  // namespace brelvo::common
