#include <gtest/gtest.h>

#include "storage/tokenizer.h"

namespace uptrail {
namespace {

std::vector<std::string> AllPieces(std::string_view text, std::string_view delimiter) {
    Tokenizer tokenizer;
    std::vector<std::string> pieces;
    for (auto piece = tokenizer.FirstToken(text, delimiter); tokenizer.Position() != 0;
         piece = tokenizer.NextToken(text))
        pieces.push_back(piece);
    return pieces;
}

using Pieces = std::vector<std::string>;

TEST(Tokenizer, CutsATextAtEachDelimiterWithoutAnEmptyLastPiece) {
    EXPECT_EQ(AllPieces("a\r\nb\r\nc", "\r\n"), (Pieces{"a", "b", "c"}));
    EXPECT_EQ(AllPieces("a\r\nb\r\n", "\r\n"), (Pieces{"a", "b"}));
    EXPECT_EQ(AllPieces("a~~b", "~"), (Pieces{"a", "", "b"}));
    EXPECT_EQ(AllPieces("~a", "~"), (Pieces{"", "a"}));
    EXPECT_EQ(AllPieces("plain", "~"), (Pieces{"plain"}));
    EXPECT_EQ(AllPieces("", "~"), Pieces{});
}

TEST(Tokenizer, FirstTokenDefaultsToLineBreaks) {
    Tokenizer tokenizer;
    EXPECT_EQ(tokenizer.FirstToken("one\r\ntwo"), "one");
    EXPECT_EQ(tokenizer.NextToken("one\r\ntwo"), "two");
    EXPECT_EQ(tokenizer.NextToken("one\r\ntwo"), "");
    EXPECT_EQ(tokenizer.Position(), 0);
}

TEST(Tokenizer, AGivenDelimiterReplacesTheCurrentOneAndAnEmptyOneGivesNothing) {
    Tokenizer tokenizer;
    const std::string text = "a,b;c";
    EXPECT_EQ(tokenizer.FirstToken(text, ","), "a");
    EXPECT_EQ(tokenizer.NextToken(text, ";"), "b");
    EXPECT_EQ(tokenizer.NextToken(text), "c");
    EXPECT_EQ(tokenizer.FirstToken(text, ","), "a");
    EXPECT_EQ(tokenizer.NextToken(text, ""), "");
}

TEST(Tokenizer, APositionStartsThePieceAndReceivesTheNextStart) {
    Tokenizer tokenizer;
    const std::string text = "ab=cd=ef";
    tokenizer.FirstToken(text, "=");
    int position = 4;
    EXPECT_EQ(tokenizer.NextToken(text, std::nullopt, &position), "cd");
    EXPECT_EQ(position, 7);
    position = -1;
    EXPECT_EQ(tokenizer.NextToken(text, std::nullopt, &position), "ef");
    EXPECT_EQ(position, 9);
    position = 42;
    EXPECT_EQ(tokenizer.NextToken(text, std::nullopt, &position), "");
    EXPECT_EQ(position, 0);
}

TEST(Tokenizer, AnyOfEndsAPieceAtAnyOfTheDelimitersCharacters) {
    Tokenizer tokenizer;
    const std::string text = "a b,c";
    tokenizer.FirstToken(text, " ,");
    int position = 1;
    EXPECT_EQ(tokenizer.NextToken(text, std::nullopt, &position, true), "a");
    EXPECT_EQ(tokenizer.NextToken(text, std::nullopt, &position, true), "b");
    EXPECT_EQ(tokenizer.NextToken(text, std::nullopt, &position, true), "c");
}

TEST(FindAnyOf, FindsTheFirstOrLastOfASetOfCharacters) {
    EXPECT_EQ(FindAnyOf(1, "hello, world", ",w"), 6);
    EXPECT_EQ(FindAnyOf(7, "hello, world", ",w"), 8);
    EXPECT_EQ(FindAnyOf(1, "hello", "xyz"), 0);
    EXPECT_EQ(FindAnyOf(-5, "hello", "h"), 1);
    EXPECT_EQ(FindAnyOf(99, "hello", "h"), 0);
    EXPECT_EQ(FindAnyOf(12, "hello, world", ",o", CompareMode::kBinary, true), 9);
    EXPECT_EQ(FindAnyOf(99, "hello, world", "h", CompareMode::kBinary, true), 1);
    EXPECT_EQ(FindAnyOf(4, "hello", "h", CompareMode::kBinary, true), 1);
    EXPECT_EQ(FindAnyOf(1, "Hello", "h"), 0);
    EXPECT_EQ(FindAnyOf(1, "Hello", "h", CompareMode::kText), 1);
    EXPECT_EQ(FindAnyOf(1, "", "h"), 0);
    EXPECT_EQ(FindAnyOf(1, "h", ""), 0);
}

}  // namespace
}  // namespace uptrail
