// The numbered run-time failures: what() carries the same description the user is shown.
#include "common/failure.hpp"

#include <utility>

#include "common/messages.hpp"

namespace brelvo::common {

RuntimeFailure::RuntimeFailure(int number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

RuntimeFailure invalidProcedureCall() {
    return {5, std::string(msg::kInvalidProcedureCall)};
}
RuntimeFailure overflow() {
    return {6, std::string(msg::kOverflow)};
}
RuntimeFailure subscriptOutOfRange() {
    return {9, std::string(msg::kSubscriptOutOfRange)};
}
RuntimeFailure divisionByZero() {
    return {11, std::string(msg::kDivisionByZero)};
}
RuntimeFailure typeMismatch() {
    return {13, std::string(msg::kTypeMismatch)};
}
RuntimeFailure fileNotFound() {
    return {53, std::string(msg::kFileNotFound)};
}
RuntimeFailure inputPastEndOfFile() {
    return {62, std::string(msg::kInputPastEndOfFile)};
}
RuntimeFailure outOfMemory() {
    return {7, std::string(msg::kOutOfMemory)};
}
RuntimeFailure pathFileAccessError() {
    return {75, std::string(msg::kPathFileAccessError)};
}
RuntimeFailure pathNotFound() {
    return {76, std::string(msg::kPathNotFound)};
}
RuntimeFailure deviceIoError() {
    return {57, std::string(msg::kDeviceIoError)};
}
RuntimeFailure invalidPicture() {
    return {481, std::string(msg::kInvalidPicture)};
}
RuntimeFailure controlArrayElementExists() {
    return {360, std::string(msg::kObjectAlreadyLoaded)};
}

std::string failureText(const RuntimeFailure& failure) {
    return failure.cause().empty() ? failure.description() : failure.description() + "\n" + failure.cause();
}

}  // namespace brelvo::common
