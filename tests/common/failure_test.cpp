// The failures carry the numbers and texts users and log readers know them by.
#include "common/failure.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
        {subscriptOutOfRange(), 9, "Subscript out of range"},
        {divisionByZero(), 11, "Division by zero"},
        {typeMismatch(), 13, "Type mismatch"},
        {fileNotFound(), 53, "File not found"},
        {invalidPicture(), 481, "Invalid picture"},
        {controlArrayElementExists(), 360, "Object already loaded"},
    };
    for (const Expected& c : cases) {
        EXPECT_EQ(c.failure.number(), c.number) << c.text;
        EXPECT_EQ(c.failure.description(), c.text);
        EXPECT_EQ(std::string(c.failure.what()), c.text);
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
