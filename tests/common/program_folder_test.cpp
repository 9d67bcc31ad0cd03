// Where the working hydrograph file goes: beside the program, or in the user's data folder when the
// program's folder cannot be written.
#include "common/program_folder.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brelvo::common {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable (unsets it for nullopt) for the life of the object.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedVariable() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

class ProgramFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "program_folder_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        program_ = (root_ / "bin").string();
        fs::create_directory(program_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    fs::path root_;
    std::string program_;
    std::vector<std::string> asked_;  // the folders the check was asked about
};

TEST_F(ProgramFolder, WritableProgramFolderIsTheWorkingFolder) {
    const ScopedVariable xdg("XDG_DATA_HOME", (root_ / "data").string());
    const std::string folder = workingFolderFor(program_, [&](const std::string& f) {
        asked_.push_back(f);
        return true;
    });
    EXPECT_EQ(folder, program_);
    EXPECT_EQ(asked_, std::vector<std::string>{program_});
    EXPECT_FALSE(fs::exists(root_ / "data"));  // nothing made where it is not needed
}

TEST_F(ProgramFolder, ReadOnlyProgramFolderFallsBackToTheDataHomeWhichIsCreated) {
    const ScopedVariable xdg("XDG_DATA_HOME", (root_ / "data").string());
    const ScopedVariable home("HOME", (root_ / "home").string());
    const std::string folder = workingFolderFor(program_, [](const std::string&) { return false; });
    EXPECT_EQ(folder, (root_ / "data" / "brelvo").string());
    EXPECT_TRUE(fs::is_directory(root_ / "data" / "brelvo"));
    EXPECT_FALSE(fs::exists(root_ / "home"));
}

TEST_F(ProgramFolder, WithoutADataHomeTheFolderIsUnderHome) {
    for (const std::optional<std::string>& unset :
         {std::optional<std::string>(), std::optional<std::string>("")}) {
        const ScopedVariable xdg("XDG_DATA_HOME", unset);
        const ScopedVariable home("HOME", (root_ / "home").string());
        const std::string folder = workingFolderFor(program_, [](const std::string&) { return false; });
        EXPECT_EQ(folder, (root_ / "home" / ".local" / "share" / "brelvo").string());
        EXPECT_TRUE(fs::is_directory(root_ / "home" / ".local" / "share" / "brelvo"));
    }
}

TEST_F(ProgramFolder, WithNeitherVariableTheProgramFolderStays) {
    const ScopedVariable xdg("XDG_DATA_HOME", std::nullopt);
    const ScopedVariable home("HOME", std::nullopt);
    EXPECT_EQ(workingFolderFor(program_, [](const std::string&) { return false; }), program_);
}

// An installed program (bin/ beside share/brelvo/) looks for a data file beside itself, then in the
// user's data folder, then in share/brelvo; a build folder has no installed data folder.
TEST_F(ProgramFolder, InstalledDataFilesAreLookedForBesideTheProgramThenForTheUserThenInShare) {
    const ScopedVariable xdg("XDG_DATA_HOME", (root_ / "data").string());
    EXPECT_EQ(installedDataFolderFor(program_), "");
    EXPECT_EQ(dataSearchFoldersFor(program_, program_),
              (std::vector<std::string>{program_, (root_ / "data" / "brelvo").string()}));

    fs::create_directories(root_ / "share" / "brelvo");
    const std::string share = (root_ / "share" / "brelvo").string();
    EXPECT_EQ(installedDataFolderFor(program_), share);
    const std::string dialogs = (root_ / "data" / "brelvo").string();
    EXPECT_EQ(dataSearchFoldersFor(dialogs, program_), (std::vector<std::string>{dialogs, program_, share}));
    EXPECT_EQ(dataSearchFoldersFor(program_, program_), (std::vector<std::string>{program_, dialogs, share}));
}

// The test program's own folder (the build's output folder) can be written by whoever built it.
TEST_F(ProgramFolder, WorkingHydrographFileIsTempGrfBesideTheProgram) {
    const std::string here = fs::canonical("/proc/self/exe").parent_path().string();
    EXPECT_EQ(programFolder(), here);
    EXPECT_EQ(workingHydrographFile(), here + "/Temp.GRF");
}

}  // namespace
}  // namespace brelvo::common
