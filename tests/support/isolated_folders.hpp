// Every test program works in folders of its own (tests/support/isolated_folders.cpp, linked into each).
#pragma once

#include <string>

namespace brelvo::testing_support {

// The folder this test program was given before main: HOME, XDG_CONFIG_HOME, XDG_DATA_HOME,
// XDG_CACHE_HOME, XDG_RUNTIME_DIR and TMPDIR all lie inside it. Removed when the program ends.
const std::string& isolatedRoot();

}  // namespace brelvo::testing_support
