// Saving a user's file through a temporary file beside it, renamed over it only when complete, so a
// failed save never costs the user the file that was there.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common {

// Writes `bytes` as the file `target`; a replaced file keeps its permissions. Failures are
// RuntimeFailures: pathNotFound() when the folder does not exist, pathFileAccessError() otherwise.
void replaceFile(const std::string& target, std::string_view bytes);

}  // namespace brelvo::common
