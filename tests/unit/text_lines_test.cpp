#include "storage/text_lines.h"

#include <gtest/gtest.h>

#include <string>

namespace uptrail {
namespace {

// FindLineBreak passes over eight bytes at a time: a break is found wherever it stands in
// or across those words, CR and LF alike, and the bytes that only look close are passed.
TEST(TextLines, FindLineBreakFindsTheFirstCrOrLfFromWhereItStarts) {
    for (const char lineEnd : {'\r', '\n'})
        for (std::size_t at = 0; at < 20; ++at)
            for (std::size_t start = 0; start <= at; start += 3) {
                std::string text(24, 'x');
                text[at] = lineEnd;
                text[23] = '\n';
                EXPECT_EQ(FindLineBreak(text, start), at) << at << " from " << start;
            }
    EXPECT_EQ(FindLineBreak("\x0C\x0E\x8D\x8A\x0B\x2D\x2A\x1D" "abcdefgh", 0), std::string_view::npos);
    EXPECT_EQ(FindLineBreak("ab\ncd", 3), std::string_view::npos);
    EXPECT_EQ(FindLineBreak("ab\ncd", 7), std::string_view::npos);
    EXPECT_EQ(FindLineBreak("", 0), std::string_view::npos);
}

TEST(TextLines, CountLinesCountsTheLinesSplitLinesGives) {
    const struct {
        std::string text;
        std::size_t lines;
    } cases[] = {
        {"", 0},         {"a", 1},           {"a\r\n", 1},     {"a\r\nb", 2},
        {"\r\n\r\n", 2}, {"\r\r", 2},        {"\n\r", 2},      {"a\rb\nc\r\nd", 4},
        {"\r", 1},       {"a\n\nb\r\r\n", 4}, {std::string(40, '\n'), 40},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CountLines(c.text), c.lines) << c.text;
        EXPECT_EQ(SplitLines(c.text).size(), c.lines) << c.text;
    }
}

}  // namespace
}  // namespace uptrail
