// The numbered run-time failures: what() carries the same description the user is shown.
#include "common/failure.hpp"

#include <utility>

namespace brelvo::common {

RuntimeFailure::RuntimeFailure(int number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

RuntimeFailure invalidProcedureCall() {
    return {5, "Invalid procedure call or argument"};
}
RuntimeFailure overflow() {
    return {6, "Overflow"};
}
RuntimeFailure subscriptOutOfRange() {
    return {9, "Subscript out of range"};
}
RuntimeFailure divisionByZero() {
    return {11, "Division by zero"};
}
RuntimeFailure typeMismatch() {
    return {13, "Type mismatch"};
}
RuntimeFailure fileNotFound() {
    return {53, "File not found"};
}
RuntimeFailure inputPastEndOfFile() {
    return {62, "Input past end of file"};
}
RuntimeFailure outOfMemory() {
    return {7, "Out of memory"};
}
RuntimeFailure pathFileAccessError() {
    return {75, "Path/File access error"};
}
RuntimeFailure pathNotFound() {
    return {76, "Path not found"};
}
RuntimeFailure invalidPicture() {
    return {481, "Invalid picture"};
}
RuntimeFailure controlArrayElementExists() {
    return {360, "Object already loaded"};
}

}  // namespace brelvo::common
