#include <gtest/gtest.h>

#include "storage/section_text.h"
#include "storage/text_lines.h"

namespace uptrail {
namespace {

TEST(SaveSectionText, EmptyingTheLastSectionLeavesItsBareHeaderAtTheEnd) {
    const std::string file =
        "[Common]\r\nLastWin=A\r\n\r\n[Log]\r\n2026:01:01:00:00:00=2026:01:01:01:00:00=0=A\r\n"
        "2026:01:02:00:00:00=2026:01:02:01:00:00=2=A\r\n";
    EXPECT_EQ(SaveSectionText(file, "Log", ""), "[Common]\r\nLastWin=A\r\n\r\n[Log]\r\n");
}

TEST(SaveSectionText, SavingEmptyThenLinesLeavesOneBlankLineBeforeTheHeader) {
    const std::string file = "[Log]\r\nold=1=0=A\r\n\r\n[Common]\r\nLastWin=A\r\n";
    const auto emptied = SaveSectionText(file, "Log", "");
    const auto saved = SaveSectionText(emptied, "Log", "a=b=0=A\r\nc=d=1=A", "\r\n");
    EXPECT_EQ(saved, "\r\n[Common]\r\nLastWin=A\r\n\r\n[Log]\r\na=b=0=A\r\nc=d=1=A\r\n");
}

TEST(SaveSectionText, CutsDataIntoLinesAtTheDelimiterAndStopsAtTheFirstEmptyPiece) {
    struct Case {
        const char* data;
        const char* delimiter;
        const char* lines;
    };
    const Case cases[] = {
        {"a\r\nb", "\r\n", "a\r\nb\r\n"},
        {"a\r\n\r\nb", "\r\n", "a\r\n"},
        {"a\r\nb\r\n", "\r\n", "a\r\nb\r\n"},
        {"one two", "~", "one two\r\n"},
        {"one\r\ntwo", "~", "one\r\ntwo\r\n"},  // no delimiter: line breaks stay line breaks
        {"one~two", "~", "one\r\ntwo\r\n"},
        {"one~~two", "~", "one\r\n"},
        {"", "~", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SaveSectionText("", "S", c.data, c.delimiter), std::string("[S]\r\n") + c.lines)
            << "data: " << c.data;
    }
}

TEST(SaveSectionText, TakesOutAMiddleSectionWithItsCommentsAndKeepsTheLineAfterIt) {
    const std::string file =
        "[A]\r\nx=1\r\n[Log]\r\n; note\r\ne=1=0=S\r\n   [B]  \r\ny=2\r\n";
    EXPECT_EQ(SaveSectionText(file, "Log", "n=1=0=S"),
              "[A]\r\nx=1\r\n[B]\r\ny=2\r\n[Log]\r\nn=1=0=S\r\n");
}

TEST(SaveSectionText, FoldsBlankRunsOnlyWhenItRewritesTheFile) {
    const std::string file = "[A]\r\nx=1\r\n\r\n   \r\n\r\n[B]\r\ny=2\r\n[Log]\r\ne=1=0=S\r\n";
    EXPECT_EQ(SaveSectionText(file, "Log", ""), "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n[Log]\r\n");

    const std::string noSection = "[A]\r\nx=1\r\n\r\n\r\n\r\n[B]\r\n";
    EXPECT_EQ(SaveSectionText(noSection, "Log", "e"), noSection + "[Log]\r\ne\r\n");
}

TEST(SaveSectionText, ABodyLineOfBlanksEndsTheOldBlock) {
    const std::string file = "[Log]\r\ne1\r\n    \r\ne2\r\n";
    EXPECT_EQ(SaveSectionText(file, "Log", "n"), "\r\ne2\r\n[Log]\r\nn\r\n");
}

TEST(SaveSectionText, ASectionThatRunsToTheEndOfTheFileIsDroppedWhole) {
    EXPECT_EQ(SaveSectionText("[A]\r\nx=1\r\n[Log]\r\ne1\r\ne2", "Log", "n"),
              "[A]\r\nx=1\r\n[Log]\r\nn\r\n");
    EXPECT_EQ(SaveSectionText("[A]\r\n[Log]", "Log", "n"), "[A]\r\n\r\n[Log]\r\nn\r\n");
}

TEST(SaveSectionText, FindsHeadersWithBlanksAroundThemButNotInAnotherCase) {
    EXPECT_EQ(SaveSectionText("  [Log]  \r\ne\r\n", "Log", ""), "[Log]\r\n");
    EXPECT_EQ(SaveSectionText("[log]\r\ne\r\n", "Log", ""), "[log]\r\ne\r\n[Log]\r\n");
    EXPECT_EQ(SaveSectionText("[ Log ]\r\ne\r\n", "Log", ""), "[ Log ]\r\ne\r\n[Log]\r\n");
}

TEST(SaveSectionText, OnlyTheFirstOfTwoEqualHeadersIsReplaced) {
    EXPECT_EQ(SaveSectionText("[Log]\r\na\r\n[Log]\r\nb\r\n", "Log", "c"),
              "[Log]\r\nb\r\n[Log]\r\nc\r\n");
}

TEST(SaveSectionText, NeverGluesTheHeaderOntoALastLineWithoutItsLineEnd) {
    EXPECT_EQ(SaveSectionText("[A]\r\nx=1", "Log", "e"), "[A]\r\nx=1\r\n[Log]\r\ne\r\n");
}

TEST(SaveSectionText, ReadsFilesWithLoneLineFeedsOrCarriageReturns) {
    EXPECT_EQ(SaveSectionText("[A]\nx=1\n[Log]\ne\n\n[B]\n", "Log", ""),
              "[A]\r\nx=1\r\n\r\n[B]\r\n[Log]\r\n");
    EXPECT_EQ(SaveSectionText("[Log]\re\r[B]\r", "Log", ""), "[B]\r\n[Log]\r\n");
}

TEST(LoadSectionText, ReturnsTheBodyWithTabsForDelimitersAndWithoutComments) {
    const std::string file =
        "[Common]\r\nLastWin=A\r\n[Log]\r\na~b=1\r\n;comment\r\n   \r\nc=2\r\n\r\nafter\r\n";
    EXPECT_EQ(LoadSectionText(file, "Log"), "a\tb=1\r\n   \r\nc=2");
}

TEST(LoadSectionText, EndsTheBodyAtAnEmptyLineOrALineStartingWithABracket) {
    EXPECT_EQ(LoadSectionText("[Log]\r\na\r\n[B]\r\nb\r\n", "Log"), "a");
    EXPECT_EQ(LoadSectionText("[Log]\r\na\r\n [B]\r\nb\r\n", "Log"), "a\r\n [B]\r\nb");
    EXPECT_EQ(LoadSectionText("[Log]\r\n\r\na\r\n", "Log"), "");
}

TEST(LoadSectionText, GivesNothingForAMissingSectionOrAnotherLetterCase) {
    EXPECT_EQ(LoadSectionText("[A]\r\nx=1\r\n", "Log"), "");
    EXPECT_EQ(LoadSectionText("[log]\r\nx=1\r\n", "Log"), "");
    EXPECT_EQ(LoadSectionText("", "Log"), "");
    EXPECT_EQ(LoadSectionText("  [Log] \r\nx=1\r\n", "Log"), "x=1");
}

TEST(LoadSectionText, AnEmptySectionNameReadsTheTopOfTheFile) {
    EXPECT_EQ(LoadSectionText("top1\r\ntop2\r\n\r\n[Log]\r\nx\r\n", ""), "top1\r\ntop2");
    EXPECT_EQ(LoadSectionText("[Log]\r\nx\r\n", ""), "");
}

TEST(LoadSectionText, ReadsBackWhatASaveWroteWithTheSameDelimiter) {
    const auto file = SaveSectionText("[A]\r\nx=1\r\n", "Alarm",
                                      "2026:12:06:08:00:00=0=Tea\r\n2026:12:07:08:00:00=1440=",
                                      "\r\n");
    EXPECT_EQ(LoadSectionText(file, "Alarm", "\r\n"),
              "2026:12:06:08:00:00=0=Tea\r\n2026:12:07:08:00:00=1440=");
    const auto words = SaveSectionText("", "Log", "one~two");
    EXPECT_EQ(LoadSectionText(words, "Log"), "one\r\ntwo");
}

TEST(LoadSectionText, TakesAnyBytesWithoutReadingOutOfBounds) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 37) & 0xFF));
    const std::string file = "[Log]\r\n" + binary + "\r\n" + std::string(100000, 'x');
    const auto text = LoadSectionText(file, "Log");
    for (const auto line : SplitLines(text)) {
        ASSERT_FALSE(line.empty());
        EXPECT_NE(line.front(), '[');
        EXPECT_NE(line.front(), ';');
    }
    const auto saved = SaveSectionText(file, "Log", "e");
    EXPECT_TRUE(saved.ends_with("[Log]\r\ne\r\n"));
    EXPECT_EQ(LoadSectionText(saved, "Log"), "e");
}

}  // namespace
}  // namespace uptrail
