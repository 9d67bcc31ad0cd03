// Before main, each test program makes a fresh temporary folder and points HOME, the XDG folders and
// TMPDIR into it: settings and recent lists (QSettings), the user's data folder, the browser engine's
// profile and every temporary file a test makes land there, never in another test program's folders
// (ctest runs them side by side, and each discovered GoogleTest case is a program run of its own) nor
// in the user's. The working hydrograph file beside the executables is the one file shared; the tests
// that write it take the ctest resource lock brelvo_working_file (tests/app/CMakeLists.txt).
#include "support/isolated_folders.hpp"

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace brelvo::testing_support {

namespace {

namespace fs = std::filesystem;

class IsolatedFolders {
  public:
    IsolatedFolders() {
        const char* parent = std::getenv("TMPDIR");
        std::string pattern =
            std::string(parent != nullptr && *parent != '\0' ? parent : "/tmp") + "/brelvo-test-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) fail("cannot make a temporary folder in", pattern);
        root_ = pattern;
        const struct {
            const char* variable;
            const char* folder;
        } folders[] = {{"HOME", "home"},
                       {"XDG_CONFIG_HOME", "config"},
                       {"XDG_DATA_HOME", "data"},
                       {"XDG_CACHE_HOME", "cache"},
                       {"XDG_RUNTIME_DIR", "runtime"},
                       {"TMPDIR", "tmp"},
                       {"TEST_TMPDIR", "tmp"}};
        for (const auto& f : folders) {
            const std::string path = root_ + "/" + f.folder;
            std::error_code ec;
            fs::create_directories(path, ec);
            // Qt wants the runtime folder to be this user's alone.
            if (ec || ::chmod(path.c_str(), 0700) != 0) fail("cannot make", path);
            ::setenv(f.variable, path.c_str(), 1);
        }
    }
    ~IsolatedFolders() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    IsolatedFolders(const IsolatedFolders&) = delete;
    IsolatedFolders& operator=(const IsolatedFolders&) = delete;

    const std::string& root() const { return root_; }

  private:
    // Running on in the shared folders would let tests interfere again: stop instead.
    [[noreturn]] static void fail(const char* what, const std::string& path) {
        std::fprintf(stderr, "test set-up: %s %s\n", what, path.c_str());
        std::_Exit(2);
    }

    std::string root_;
};

const IsolatedFolders& folders() {
    static const IsolatedFolders instance;
    return instance;
}

// Made before main, so that no test and no library reads the shared folders first.
const IsolatedFolders& madeBeforeMain = folders();

}  // namespace

const std::string& isolatedRoot() {
    return folders().root();
}

}  // namespace brelvo::testing_support
