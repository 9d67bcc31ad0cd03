// Files are written as single-byte text while the windows hold UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common {

// A character up to U+00FF becomes its one byte and any other character "?". A byte that starts no
// valid UTF-8 sequence is taken as a single-byte character already and kept.
std::string singleByteText(std::string_view text);

}  // namespace brelvo::common
