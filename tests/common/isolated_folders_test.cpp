// The test programs' own folders: settings, user data and temporary files of one test program never
// meet another's, however ctest runs them side by side.
#include "support/isolated_folders.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/program_folder.hpp"

namespace brelvo::testing_support {
namespace {

namespace fs = std::filesystem;

bool inside(const fs::path& path, const fs::path& folder) {
    const fs::path p = path.lexically_normal();
    const fs::path f = folder.lexically_normal();
    return std::mismatch(f.begin(), f.end(), p.begin(), p.end()).first == f.end();
}

TEST(IsolatedFolders, HomeSettingsDataAndTemporaryFilesLieInThisProgramsOwnFolder) {
    const fs::path root = isolatedRoot();
    ASSERT_TRUE(fs::is_directory(root));
    EXPECT_EQ(root.filename().string().rfind("brelvo-test-", 0), 0u) << root;
    for (const char* variable :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* value = std::getenv(variable);
        ASSERT_NE(value, nullptr) << variable;
        EXPECT_TRUE(inside(value, root)) << variable << "=" << value;
        EXPECT_TRUE(fs::is_directory(value)) << variable;
    }
    // What the tests and the program actually use follows them.
    EXPECT_TRUE(inside(fs::temp_directory_path(), root));
    EXPECT_TRUE(inside(::testing::TempDir(), root));
    EXPECT_EQ(common::userDataFolder(), (root / "data" / "brelvo").string());
}

}  // namespace
}  // namespace brelvo::testing_support
