// The numbered run-time failures: what() carries the same description the user is shown.
#include "common/failure.hpp"

#include <utility>

#include "common/messages.hpp"

namespace brelvo::common {

RuntimeFailure::RuntimeFailure(const FailureKind& kind)
    : RuntimeFailure(kind, std::string(kind.description)) {}

RuntimeFailure::RuntimeFailure(const FailureKind& kind, std::string description)
    : std::runtime_error(description), number_(kind.number), description_(std::move(description)) {}

RuntimeFailure invalidProcedureCall() {
    return RuntimeFailure(failures::kInvalidProcedureCall);
}
RuntimeFailure overflow() {
    return RuntimeFailure(failures::kOverflow);
}
RuntimeFailure subscriptOutOfRange() {
    return RuntimeFailure(failures::kSubscriptOutOfRange);
}
RuntimeFailure divisionByZero() {
    return RuntimeFailure(failures::kDivisionByZero);
}
RuntimeFailure typeMismatch() {
    return RuntimeFailure(failures::kTypeMismatch);
}
RuntimeFailure fileNotFound() {
    return RuntimeFailure(failures::kFileNotFound);
}
RuntimeFailure deviceIoError() {
    return RuntimeFailure(failures::kDeviceIoError);
}
RuntimeFailure inputPastEndOfFile() {
    return RuntimeFailure(failures::kInputPastEndOfFile);
}
RuntimeFailure outOfMemory() {
    return RuntimeFailure(failures::kOutOfMemory);
}
RuntimeFailure pathFileAccessError() {
    return RuntimeFailure(failures::kPathFileAccessError);
}
RuntimeFailure pathNotFound() {
    return RuntimeFailure(failures::kPathNotFound);
}
RuntimeFailure invalidPicture() {
    return RuntimeFailure(failures::kInvalidPicture);
}
RuntimeFailure invalidFileFormat() {
    return RuntimeFailure(failures::kInvalidFileFormat);
}
RuntimeFailure controlArrayElementExists() {
    return RuntimeFailure(failures::kObjectAlreadyLoaded);
}
RuntimeFailure controlArrayElementMissing(int index) {
    return RuntimeFailure(failures::kControlArrayElementMissing,
                          msg::controlArrayElementMissing(std::to_string(index)));
}

std::string failureText(const RuntimeFailure& failure) {
    return failure.cause().empty() ? failure.description() : failure.description() + "\n" + failure.cause();
}

}  // namespace brelvo::common
