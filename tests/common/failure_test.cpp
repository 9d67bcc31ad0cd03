// The failures carry the numbers and texts users and log readers know them by.
#include "common/failure.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/data_file.hpp"

namespace brelvo::common {
namespace {

TEST(RuntimeFailure, EachFailureHasItsNumberAndDescription) {
    struct Expected {
        RuntimeFailure failure;
        int number;
        std::string text;
    };
    const std::vector<Expected> cases = {
        {invalidProcedureCall(), 5, "Invalid procedure call or argument"},
        {overflow(), 6, "Overflow"},
        {outOfMemory(), 7, "Out of memory"},
        {subscriptOutOfRange(), 9, "Subscript out of range"},
        {divisionByZero(), 11, "Division by zero"},
        {typeMismatch(), 13, "Type mismatch"},
        {fileNotFound(), 53, "File not found"},
        {deviceIoError(), 57, "Device I/O error"},
        {inputPastEndOfFile(), 62, "Input past end of file"},
        {pathFileAccessError(), 75, "Path/File access error"},
        {pathNotFound(), 76, "Path not found"},
        {invalidFileFormat(), 321, "Invalid file format"},
        {controlArrayElementMissing(12), 340, "Control array element '12' doesn't exist"},
        {invalidPicture(), 481, "Invalid picture"},
        {controlArrayElementExists(), 360, "Object already loaded"},
    };
    for (const Expected& c : cases) {
        EXPECT_EQ(c.failure.number(), c.number) << c.text;
        EXPECT_EQ(c.failure.description(), c.text);
        EXPECT_EQ(std::string(c.failure.what()), c.text);
        EXPECT_EQ(failureText(c.failure), c.text);  // no cause, no second line
    }
    // A description of its own keeps the kind's number; the cause goes on the line below.
    RuntimeFailure own(failures::kInputPastEndOfFile, "Input past end of file in pond.RAT");
    own.because("Only 2 of 5 rows.");
    EXPECT_TRUE(own.is(failures::kInputPastEndOfFile));
    EXPECT_FALSE(own.is(failures::kSubscriptOutOfRange));
    EXPECT_EQ(failureText(own), "Input past end of file in pond.RAT\nOnly 2 of 5 rows.");
}

TEST(RuntimeFailure, ADataFileThatCannotBeReadIsAFailureNamingIt) {
    const std::string folder = ::testing::TempDir();
    const std::string missing = folder + "/no such storm.STM";
    const std::optional<RuntimeFailure> absent = dataFileFailure(missing);
    ASSERT_TRUE(absent.has_value());
    EXPECT_EQ(absent->number(), 53);
    EXPECT_EQ(absent->cause(), "There is no file \"" + missing + "\".");
    const std::optional<RuntimeFailure> notAFile = dataFileFailure(folder);
    ASSERT_TRUE(notAFile.has_value());
    EXPECT_EQ(notAFile->number(), 75);
    EXPECT_EQ(notAFile->cause(), "\"" + folder + "\" is not a regular file (a folder, a device or a pipe).");
    // The reader says the same, as a thrown failure.
    try {
        (void)readDataFile(missing, kMaxDataFileBytes);
        ADD_FAILURE() << "read a missing file";
    } catch (const RuntimeFailure& failure) {
        EXPECT_EQ(failureText(failure), "File not found\nThere is no file \"" + missing + "\".");
    }
}

TEST(RuntimeFailure, CaughtAsStandardExceptionKeepsNumber) {
    try {
        throw fileNotFound();
    } catch (const std::exception& e) {
        const auto* failure = dynamic_cast<const RuntimeFailure*>(&e);
        ASSERT_NE(failure, nullptr);
        EXPECT_EQ(failure->number(), 53);
        EXPECT_STREQ(e.what(), "File not found");
    }
}

}  // namespace
}  // namespace brelvo::common
