// The one save path: the new bytes in place, the replaced file's permissions kept, and on a failure the
// old file as it was and no temporary file left behind.
#include "common/file_replace.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

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

// A folder by the target's name is refused for every user, root included, before the temporary file is
// made: nothing is written and what was there stays.
TEST_F(FileReplace, FolderByTheNameIsRefusedBeforeTheTemporaryIsMade) {
    fs::create_directory(folder_ / "taken");
    write(path("taken/inside.txt"), "kept");
    try {
        replaceFile(path("taken"), "new");
        ADD_FAILURE() << "no failure";
    } catch (const ReplaceFailure& failure) {
        EXPECT_EQ(failure.number(), 75);
        EXPECT_EQ(failure.description(), "Path/File access error");
        EXPECT_EQ(failure.step(), ReplaceStep::target);
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
    std::string reason;
    try {
        replaceFile(path("data.txt"), std::string(100, 'x'));
    } catch (const ReplaceFailure& failure) {
        number = failure.number();
        step = failure.step();
        reason = failure.reason();
    }
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(number, 75);
    EXPECT_EQ(step, ReplaceStep::write);
    EXPECT_EQ(reason, "the file is too large for the disk");
    // A full disk is said as such.
    EXPECT_EQ(ReplaceFailure(ReplaceStep::write, ENOSPC).reason(), "the disk is full");
    EXPECT_EQ(read(path("data.txt")), "the file saved last time");
    EXPECT_EQ(names(), (std::set<std::string>{"data.txt"}));
}

// The temporary file is ".NAME.PID.TID.N.saving" beside the target, N counting the process's saves: a
// file left there by an earlier process of the same number whose save was cut short is replaced, and a
// folder by that name stops the save before the old file is touched.
TEST_F(FileReplace, TemporaryThatCannotBeMadeStopsTheSave) {
    write(path("data.txt"), "old");
    const std::string temporary = nextTemporaryName("data.txt");
    EXPECT_TRUE(temporary.starts_with(".data.txt." + std::to_string(::getpid()) + "." +
                                      std::to_string(::gettid()) + "."));
    EXPECT_TRUE(temporary.ends_with(".saving"));
    write(path(temporary), "left by a save cut short");
    replaceFile(path("data.txt"), "new");
    EXPECT_EQ(read(path("data.txt")), "new");
    EXPECT_EQ(names(), (std::set<std::string>{"data.txt"}));

    // Every save takes a name of its own.
    EXPECT_NE(nextTemporaryName("data.txt"), temporary);
    const std::string blocked = nextTemporaryName("data.txt");
    fs::create_directory(folder_ / blocked);
    try {
        replaceFile(path("data.txt"), "newer");
        ADD_FAILURE() << "no failure";
    } catch (const ReplaceFailure& failure) {
        EXPECT_EQ(failure.number(), 75);
        EXPECT_EQ(failure.step(), ReplaceStep::create);
        EXPECT_EQ(failure.reason(), "something is in the way of its temporary file");
    }
    EXPECT_EQ(read(path("data.txt")), "new");
    EXPECT_EQ(names(), (std::set<std::string>{blocked, "data.txt"}));
    // The next save takes the next name, past the folder left in the way.
    replaceFile(path("data.txt"), "newest");
    EXPECT_EQ(read(path("data.txt")), "newest");
    EXPECT_EQ(names(), (std::set<std::string>{blocked, "data.txt"}));
}

// Threads of one process saving the same file at once never meet in a temporary file: every save
// succeeds, the file holds one of them whole, and no temporary file is left.
TEST_F(FileReplace, ThreadsSavingTheSameFileNeverMeet) {
    constexpr int kThreads = 4, kSaves = 60;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int k = 0; k < kSaves; ++k) {
                try {
                    replaceFile(path("shared.txt"), std::string(1000 + t, static_cast<char>('a' + t)));
                } catch (const ReplaceFailure&) {
                    ++failures;
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures, 0);
    const std::string last = read(path("shared.txt"));
    ASSERT_GE(last.size(), 1000u);
    ASSERT_LT(last.size(), 1000u + kThreads);
    EXPECT_EQ(last, std::string(last.size(), static_cast<char>('a' + (last.size() - 1000))));
    EXPECT_EQ(names(), (std::set<std::string>{"shared.txt"}));
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

// A save onto a symbolic link writes the file the link names, as an editor does: the link stays a link,
// also along a chain of links, a relative link into another folder, and a link whose file is not there yet.
TEST_F(FileReplace, LinksAreWrittenThroughToTheFileTheyName) {
    fs::create_directory(folder_ / "real");
    write(path("real/data.txt"), "old");
    ASSERT_EQ(::chmod(path("real/data.txt").c_str(), 0640), 0);
    fs::create_symlink("real/data.txt", folder_ / "link.txt");
    fs::create_symlink("link.txt", folder_ / "second.txt");
    replaceFile(path("second.txt"), "through two links");
    EXPECT_TRUE(fs::is_symlink(folder_ / "link.txt"));
    EXPECT_TRUE(fs::is_symlink(folder_ / "second.txt"));
    EXPECT_EQ(read(path("real/data.txt")), "through two links");
    struct stat info {};
    ASSERT_EQ(::stat(path("real/data.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(names(), (std::set<std::string>{"link.txt", "real", "second.txt"}));
    EXPECT_EQ(names("real"), (std::set<std::string>{"data.txt"}));
    EXPECT_EQ(saveTarget(path("second.txt")), path("real/data.txt"));

    fs::create_symlink("real/new.txt", folder_ / "dangling.txt");
    replaceFile(path("dangling.txt"), "a new file");
    EXPECT_TRUE(fs::is_symlink(folder_ / "dangling.txt"));
    EXPECT_EQ(read(path("real/new.txt")), "a new file");

    // A circle of links is refused by name, and nothing is written.
    fs::create_symlink("loop2", folder_ / "loop1");
    fs::create_symlink("loop1", folder_ / "loop2");
    try {
        replaceFile(path("loop1"), "new");
        ADD_FAILURE() << "no failure";
    } catch (const ReplaceFailure& failure) {
        EXPECT_EQ(failure.number(), 75);
        EXPECT_EQ(failure.reason(), "it is a symbolic link that leads in a circle");
    }
    EXPECT_EQ(names(),
              (std::set<std::string>{"dangling.txt", "link.txt", "loop1", "loop2", "real", "second.txt"}));
}

// A read-only file is refused by its permission bits for every user (root, who runs the tests in CI, may
// write any file, and the rename would replace it without a word); a folder or a device is never replaced.
// Each refusal comes before anything is written and says why.
TEST_F(FileReplace, ReadOnlyFilesFoldersAndDevicesAreRefusedBeforeAnythingIsWritten) {
    struct Case {
        std::string name;
        ReplaceStep step;
        std::string reason;
    };
    write(path("read-only.txt"), "kept");
    ASSERT_EQ(::chmod(path("read-only.txt").c_str(), 0444), 0);
    fs::create_directory(folder_ / "taken");
    write(path("taken/inside.txt"), "kept");
    fs::create_symlink("read-only.txt", folder_ / "to read-only.txt");
    fs::create_symlink("/dev/full", folder_ / "full.txt");
    const Case cases[] = {
        {"read-only.txt", ReplaceStep::readOnly, "the file is read-only"},
        {"to read-only.txt", ReplaceStep::readOnly, "the file is read-only"},
        {"taken", ReplaceStep::target, "a folder has that name"},
        {"full.txt", ReplaceStep::target, "it is not a regular file"},
    };
    for (const Case& c : cases) {
        for (const bool checkOnly : {true, false}) {
            try {
                if (checkOnly) {
                    checkReplaceable(path(c.name));
                } else {
                    replaceFile(path(c.name), "new");
                }
                ADD_FAILURE() << c.name << ": no failure";
            } catch (const ReplaceFailure& failure) {
                EXPECT_EQ(failure.number(), 75) << c.name;
                EXPECT_EQ(failure.description(), "Path/File access error") << c.name;
                EXPECT_EQ(failure.step(), c.step) << c.name;
                EXPECT_EQ(failure.reason(), c.reason) << c.name;
            }
        }
    }
    EXPECT_EQ(read(path("read-only.txt")), "kept");
    EXPECT_EQ(read(path("taken/inside.txt")), "kept");
    EXPECT_EQ(names(), (std::set<std::string>{"full.txt", "read-only.txt", "taken", "to read-only.txt"}));
    // A file that is not there yet, or one that may be written, is not refused.
    EXPECT_EQ(failureNumber([&] { checkReplaceable(path("new.txt")); }), 0);
    write(path("old.txt"), "old");
    EXPECT_EQ(failureNumber([&] { checkReplaceable(path("old.txt")); }), 0);
    // A missing folder says so.
    try {
        replaceFile(path("no such folder/data.txt"), "new");
        ADD_FAILURE() << "no failure";
    } catch (const ReplaceFailure& failure) {
        EXPECT_EQ(failure.reason(), "its folder does not exist");
    }
}

}  // namespace
}  // namespace brelvo::common
