// Splitting a script line into its words: blanks, quoted texts with their escapes, and unclosed quotes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/script_runner.hpp"

namespace brelvo::app {
namespace {

using Words = std::vector<std::string>;

TEST(SplitScriptLine, BlanksTabsAndCarriageReturnsSeparateWords) {
    EXPECT_EQ(splitScriptLine("click  120.5\t-40\r"), (Words{"click", "120.5", "-40"}));
    EXPECT_EQ(splitScriptLine("   "), Words{});
    EXPECT_EQ(splitScriptLine(""), Words{});
}

TEST(SplitScriptLine, QuotedTextKeepsItsBlanksAndMayBeEmpty) {
    EXPECT_EQ(splitScriptLine("menu \"Load/Save Map\""), (Words{"menu", "Load/Save Map"}));
    EXPECT_EQ(splitScriptLine("type Text2 \"\""), (Words{"type", "Text2", ""}));
    EXPECT_EQ(splitScriptLine("answer \"  two  blanks \""), (Words{"answer", "  two  blanks "}));
    // A quote ends a word at once, even with no blank after it.
    EXPECT_EQ(splitScriptLine("\"a b\"c"), (Words{"a b", "c"}));
}

TEST(SplitScriptLine, BackslashEscapesOnlyQuotesAndBackslashes) {
    EXPECT_EQ(splitScriptLine(R"(answer "say \"hi\"")"), (Words{"answer", "say \"hi\""}));
    EXPECT_EQ(splitScriptLine(R"(answer "C:\\maps\\a.bmp")"), (Words{"answer", R"(C:\maps\a.bmp)"}));
    // Any other backslash stays as it is, inside quotes and out.
    EXPECT_EQ(splitScriptLine(R"(answer "C:\maps\n" x\"y)"), (Words{"answer", R"(C:\maps\n)", R"(x\"y)"}));
}

TEST(SplitScriptLine, HashInsideALineIsAnOrdinaryCharacter) {
    // Whole-line comments are skipped by the runner; the splitter keeps a # like any other character.
    EXPECT_EQ(splitScriptLine("answer \"# not a comment\" #x"), (Words{"answer", "# not a comment", "#x"}));
}

TEST(SplitScriptLine, UnclosedQuoteIsABadLine) {
    EXPECT_EQ(splitScriptLine("menu \"Load/Save Map"), std::nullopt);
    EXPECT_EQ(splitScriptLine(R"(answer "ends in an escaped quote\")"), std::nullopt);
    EXPECT_EQ(splitScriptLine("\""), std::nullopt);
}

}  // namespace
}  // namespace brelvo::app
