// The one save path: the new bytes in place, the replaced file's permissions kept, and on a failure the
// old file as it was and no temporary file left behind.
#include "common/file_replace.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "support/failure_number.hpp"

namespace brelvo::common {
namespace {

namespace fs = std::filesystem;
using testing_support::failureNumber;

// A fresh folder of its own for each test, removed afterwards.
class FileReplace : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "file_replace_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    static void write(const std::string& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary);
        out << bytes;
    }
    static std::string read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Every name in the folder, hidden ones included, under the folder given relative to the test's own.
    std::set<std::string> names(const std::string& under = "") const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder_ / under))
            found.insert(entry.path().filename());
        return found;
    }

    fs::path folder_;
};

TEST_F(FileReplace, NewFileHoldsExactlyTheBytesAndGetsTheUmasksPermissions) {
    const std::string bytes("line 1\r\nline 2\r\n\0\xFF", 18);
    const mode_t previousMask = ::umask(027);
    replaceFile(path("new.txt"), bytes);
    ::umask(previousMask);
    EXPECT_EQ(read(path("new.txt")), bytes);
    struct stat info {};
    ASSERT_EQ(::stat(path("new.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(names(), (std::set<std::string>{"new.txt"}));
}

TEST_F(FileReplace, ReplacedFileKeepsItsPermissionsAndLosesItsOldBytes) {
    write(path("data.txt"), "an older and longer content than the new one");
    ASSERT_EQ(::chmod(path("data.txt").c_str(), 0604), 0);
    replaceFile(path("data.txt"), "new");
    EXPECT_EQ(read(path("data.txt")), "new");
    struct stat info {};
    ASSERT_EQ(::stat(path("data.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(names(), (std::set<std::string>{"data.txt"}));
}

TEST_F(FileReplace, MissingFolderIsPathNotFoundAndWritesNothing) {
    EXPECT_EQ(failureNumber([&] { replaceFile(path("no such folder/data.txt"), "new"); }), 76);
    EXPECT_TRUE(names().empty());
}

// Permission bits would not stop root, who runs the tests in CI; a regular file where the folder should be
// stops everyone.
TEST_F(FileReplace, FileWhereTheFolderShouldBeFailsForEveryUser) {
    write(path("plain"), "a file, not a folder");
    try {
        replaceFile(path("plain/data.txt"), "new");
        ADD_FAILURE() << "no failure";
    } catch (const ReplaceFailure& failure) {
        EXPECT_EQ(failure.number(), 76);
        EXPECT_EQ(failure.description(), "Path not found");
        EXPECT_EQ(failure.step(), ReplaceStep::folder);
    }
    EXPECT_EQ(read(path("plain")), "a file, not a folder");
    EXPECT_EQ(names(), (std::set<std::string>{"plain"}));
}

// A folder cannot be renamed over, by root neither: the write of the temporary file succeeds and the last
// step fails, which must take the temporary away and leave what was there.
TEST_F(FileReplace, FailedRenameRemovesTheTemporaryAndLeavesTheOldEntry) {
    fs::create_directory(folder_ / "taken");
    write(path("taken/inside.txt"), "kept");
    try {
        replaceFile(path("taken"), "new");
        ADD_FAILURE() << "no failure";
    } catch (const ReplaceFailure& failure) {
        EXPECT_EQ(failure.number(), 75);
        EXPECT_EQ(failure.description(), "Path/File access error");
        EXPECT_EQ(failure.step(), ReplaceStep::rename);
    }
    EXPECT_EQ(names(), (std::set<std::string>{"taken"}));
    EXPECT_EQ(read(path("taken/inside.txt")), "kept");
}

// A file-size limit stops a write for every user, root included: the temporary file cannot take the
// bytes, is removed, and the old file keeps its bytes.
TEST_F(FileReplace, FailedWriteRemovesTheTemporaryAndLeavesTheOldFile) {
    write(path("data.txt"), "the file saved last time");
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG
    rlimit small = previous;
    small.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    int number = 0;
    ReplaceStep step = ReplaceStep::target;
    try {
        replaceFile(path("data.txt"), std::string(100, 'x'));
    } catch (const ReplaceFailure& failure) {
        number = failure.number();
        step = failure.step();
    }
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(number, 75);
    EXPECT_EQ(step, ReplaceStep::write);
    EXPECT_EQ(read(path("data.txt")), "the file saved last time");
    EXPECT_EQ(names(), (std::set<std::string>{"data.txt"}));
}

// The temporary file is ".NAME.saving" beside the target: one left by a save cut short is replaced, and a
// folder by that name stops the save before the old file is touched.
TEST_F(FileReplace, TemporaryThatCannotBeMadeStopsTheSave) {
    write(path("data.txt"), "old");
    write(path(".data.txt.saving"), "left by a save cut short");
    replaceFile(path("data.txt"), "new");
    EXPECT_EQ(read(path("data.txt")), "new");
    EXPECT_EQ(names(), (std::set<std::string>{"data.txt"}));

    fs::create_directory(folder_ / ".data.txt.saving");
    try {
        replaceFile(path("data.txt"), "newer");
        ADD_FAILURE() << "no failure";
    } catch (const ReplaceFailure& failure) {
        EXPECT_EQ(failure.number(), 75);
        EXPECT_EQ(failure.step(), ReplaceStep::create);
    }
    EXPECT_EQ(read(path("data.txt")), "new");
    EXPECT_EQ(names(), (std::set<std::string>{".data.txt.saving", "data.txt"}));
}

TEST_F(FileReplace, NameWithoutAFilePartIsAnAccessError) {
    EXPECT_EQ(failureNumber([&] { replaceFile(folder_.string() + "/", "new"); }), 75);
    EXPECT_TRUE(names().empty());
}

TEST_F(FileReplace, TimesAreKeptOnlyWhenAsked) {
    const struct timespec times[2] = {{978'307'200, 250'000'000}, {1'012'608'000, 123'456'789}};
    for (const bool keep : {false, true}) {
        const std::string file = path(keep ? "kept.txt" : "fresh.txt");
        write(file, "old");
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
        ReplaceOptions options;
        options.keepTimes = keep;
        replaceFile(file, "new", options);
        struct stat info {};
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        EXPECT_EQ(read(file), "new");
        if (keep) {
            EXPECT_EQ(info.st_mtim.tv_sec, 1'012'608'000);
            EXPECT_EQ(info.st_mtim.tv_nsec, 123'456'789);
            EXPECT_EQ(info.st_atim.tv_sec, 978'307'200);
            EXPECT_EQ(info.st_atim.tv_nsec, 250'000'000);
        } else {
            EXPECT_GT(info.st_mtim.tv_sec, 1'012'608'000);
        }
    }
}

TEST_F(FileReplace, LinkIsReplacedUnlessLinksAreFollowed) {
    write(path("real.txt"), "old");
    fs::create_symlink("real.txt", folder_ / "link.txt");
    replaceFile(path("link.txt"), "through the link", ReplaceOptions{.followLinks = true});
    EXPECT_TRUE(fs::is_symlink(folder_ / "link.txt"));
    EXPECT_EQ(read(path("real.txt")), "through the link");

    replaceFile(path("link.txt"), "in place of the link");
    EXPECT_FALSE(fs::is_symlink(folder_ / "link.txt"));
    EXPECT_EQ(read(path("link.txt")), "in place of the link");
    EXPECT_EQ(read(path("real.txt")), "through the link");
    EXPECT_EQ(names(), (std::set<std::string>{"link.txt", "real.txt"}));
}

TEST_F(FileReplace, RefusedTargetIsLeftAloneBeforeAnythingIsWritten) {
    fs::create_directory(folder_ / "taken");
    const ReplaceOptions refuse{.refuseUnwritable = true};
    try {
        checkReplaceable(path("taken"), refuse);
        ADD_FAILURE() << "no failure";
    } catch (const ReplaceFailure& failure) {
        EXPECT_EQ(failure.number(), 75);
        EXPECT_EQ(failure.step(), ReplaceStep::target);
    }
    EXPECT_EQ(failureNumber([&] { replaceFile(path("taken"), "new", refuse); }), 75);
    EXPECT_EQ(names(), (std::set<std::string>{"taken"}));
    // A file that is not there yet, or one that may be written, is not refused.
    EXPECT_EQ(failureNumber([&] { checkReplaceable(path("new.txt"), refuse); }), 0);
    write(path("old.txt"), "old");
    EXPECT_EQ(failureNumber([&] { checkReplaceable(path("old.txt"), refuse); }), 0);
}

}  // namespace
}  // namespace brelvo::common
