// Files are written as single-byte text while the windows hold UTF-8; output read by other programs is
// UTF-8 throughout.
#pragma once

#include <string>
#include <string_view>

namespace brelvo::common {

// A character up to U+00FF becomes its one byte and any other character "?". A byte that starts no
// valid UTF-8 sequence is taken as a single-byte character already and kept.
std::string singleByteText(std::string_view text);

// The reverse, for output that must be valid UTF-8 whatever it holds: well-formed UTF-8 sequences are
// kept as they are, and every byte that starts none is taken as a single-byte character, the one
// singleByteText makes of U+0080..U+00FF, and written as that character in UTF-8 (0xB0 becomes "°",
// C2 B0). ASCII comes out unchanged.
std::string utf8Text(std::string_view text);

}  // namespace brelvo::common
