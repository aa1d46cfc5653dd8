#include <gtest/gtest.h>

#include "storage/section_text.h"
#include "storage/text_lines.h"

namespace uptrail {
namespace {

TEST(SaveSectionText, TakesOutTheOldBlockAndPutsTheNewOneAtTheEnd) {
    const struct {
        const char* rule;
        std::string_view file;
        std::string_view data;
        std::string_view expected;
    } cases[] = {
        {"emptying the last section leaves its bare header",
         "[Common]\r\nLastWin=A\r\n\r\n[Log]\r\ne=1=0=A\r\nf=2=2=A\r\n", "",
         "[Common]\r\nLastWin=A\r\n\r\n[Log]\r\n"},
        {"a middle section goes with its comments; the line after it stays",
         "[A]\r\nx=1\r\n[Log]\r\n; note\r\ne=1=0=S\r\n   [B]  \r\ny=2\r\n", "n=1=0=S",
         "[A]\r\nx=1\r\n[B]\r\ny=2\r\n[Log]\r\nn=1=0=S\r\n"},
        {"blank runs fold when the file is rewritten",
         "[A]\r\nx=1\r\n\r\n   \r\n\r\n[B]\r\ny=2\r\n[Log]\r\ne=1=0=S\r\n", "",
         "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n[Log]\r\n"},
        {"but not when the section is only added", "[A]\r\nx=1\r\n\r\n\r\n\r\n[B]\r\n", "e",
         "[A]\r\nx=1\r\n\r\n\r\n\r\n[B]\r\n[Log]\r\ne\r\n"},
        {"a body line of blanks ends the old block", "[Log]\r\ne1\r\n    \r\ne2\r\n", "n",
         "\r\ne2\r\n[Log]\r\nn\r\n"},
        {"a section that runs to the end goes whole", "[A]\r\nx=1\r\n[Log]\r\ne1\r\ne2", "n",
         "[A]\r\nx=1\r\n[Log]\r\nn\r\n"},
        {"a bare header at the end", "[A]\r\n[Log]", "n", "[A]\r\n\r\n[Log]\r\nn\r\n"},
        {"a header with blanks around it", "  [Log]  \r\ne\r\n", "", "[Log]\r\n"},
        {"a header in another case is another section", "[log]\r\ne\r\n", "",
         "[log]\r\ne\r\n[Log]\r\n"},
        {"blanks inside the brackets make another section", "[ Log ]\r\ne\r\n", "",
         "[ Log ]\r\ne\r\n[Log]\r\n"},
        {"only the first of two equal headers is replaced", "[Log]\r\na\r\n[Log]\r\nb\r\n", "c",
         "[Log]\r\nb\r\n[Log]\r\nc\r\n"},
        {"the header never joins a last line without its line end", "[A]\r\nx=1", "e",
         "[A]\r\nx=1\r\n[Log]\r\ne\r\n"},
        {"lone line feeds", "[A]\nx=1\n[Log]\ne\n\n[B]\n", "",
         "[A]\r\nx=1\r\n\r\n[B]\r\n[Log]\r\n"},
        {"lone carriage returns", "[Log]\re\r[B]\r", "", "[B]\r\n[Log]\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SaveSectionText(c.file, "Log", c.data), c.expected) << c.rule;
}

TEST(SaveSectionText, SavingEmptyThenLinesLeavesOneBlankLineBeforeTheHeader) {
    const std::string file = "[Log]\r\nold=1=0=A\r\n\r\n[Common]\r\nLastWin=A\r\n";
    const auto emptied = SaveSectionText(file, "Log", "");
    const auto saved = SaveSectionText(emptied, "Log", "a=b=0=A\r\nc=d=1=A", "\r\n");
    EXPECT_EQ(saved, "\r\n[Common]\r\nLastWin=A\r\n\r\n[Log]\r\na=b=0=A\r\nc=d=1=A\r\n");
}

TEST(SaveSectionText, CutsDataIntoLinesAtTheDelimiterAndStopsAtTheFirstEmptyPiece) {
    const struct {
        const char *data, *delimiter, *lines;
    } cases[] = {
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

TEST(LoadSectionText, ReadsTheBodyUpToAnEmptyLineOrABracketWithoutComments) {
    const struct {
        const char* rule;
        std::string_view file;
        std::string_view section;
        std::string_view expected;
    } cases[] = {
        {"delimiters become Tabs, comments go, a blank line ends the body",
         "[Common]\r\nLastWin=A\r\n[Log]\r\na~b=1\r\n;comment\r\n   \r\nc=2\r\n\r\nafter\r\n",
         "Log", "a\tb=1\r\n   \r\nc=2"},
        {"a header ends the body", "[Log]\r\na\r\n[B]\r\nb\r\n", "Log", "a"},
        {"an indented bracket does not", "[Log]\r\na\r\n [B]\r\nb\r\n", "Log", "a\r\n [B]\r\nb"},
        {"an empty first line", "[Log]\r\n\r\na\r\n", "Log", ""},
        {"a missing section", "[A]\r\nx=1\r\n", "Log", ""},
        {"another letter case", "[log]\r\nx=1\r\n", "Log", ""},
        {"an empty file", "", "Log", ""},
        {"blanks around the header", "  [Log] \r\nx=1\r\n", "Log", "x=1"},
        {"an empty name reads the top of the file", "top1\r\ntop2\r\n\r\n[Log]\r\nx\r\n", "",
         "top1\r\ntop2"},
        {"an empty name and a header on top", "[Log]\r\nx\r\n", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(LoadSectionText(c.file, c.section), c.expected) << c.rule;
}

TEST(LoadSectionText, ReadsBackWhatASaveWroteWithTheSameDelimiter) {
    const auto file = SaveSectionText("[A]\r\nx=1\r\n", "Alarm",
                                      "2026:12:06:08:00:00=0=Tea\r\n2026:12:07:08:00:00=1440=",
                                      "\r\n");
    EXPECT_EQ(LoadSectionText(file, "Alarm", "\r\n"),
              "2026:12:06:08:00:00=0=Tea\r\n2026:12:07:08:00:00=1440=");
    EXPECT_EQ(LoadSectionText(SaveSectionText("", "Log", "one~two"), "Log"), "one\r\ntwo");
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
