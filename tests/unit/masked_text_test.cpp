#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string_view>

#include "alarm/masked_text.h"

namespace uptrail {

// Found by GoogleTest next to the type, so a failure shows the text and the caret.
void PrintTo(const MaskedEdit& edit, std::ostream* out) {
    *out << '"' << edit.text << "\" caret " << edit.caret;
}

namespace {

constexpr std::string_view kShift = "####:##:00";
constexpr std::size_t kFarBeyondTheEnd = 1000;
const std::optional<MaskedEdit> kRefused;

TEST(MaskedText, TypingOverwritesTheNextPlacePastFixedTextAndRefusesAnythingElse) {
    const struct {
        std::string_view mask;
        std::string_view text;
        std::size_t caret;
        char typed;
        std::optional<MaskedEdit> expected;
    } cases[] = {
        {kShift, "0000:00:00", 0, '5', MaskedEdit{"5000:00:00", 1}},
        {kShift, "1234:56:00", 4, '7', MaskedEdit{"1234:76:00", 6}},  // past the ':'
        {kShift, "1234:56:00", 6, '9', MaskedEdit{"1234:59:00", 7}},  // the last place
        {kShift, "1234:56:00", 7, '9', kRefused},  // only fixed text is left
        {kShift, "1234:56:00", 10, '9', kRefused},
        {kShift, "1234:56:00", kFarBeyondTheEnd, '9', kRefused},
        {kShift, "1234:56:00", 0, 'a', kRefused},
        {kShift, "1234:56:00", 0, ':', kRefused},
        {kShift, "1234:56:00", 0, ' ', kRefused},
        {kShift, "1234:56:00", 0, '\xB2', kRefused},  // a superscript two in Latin-1
        {"", "", 0, '1', kRefused},
        {"##:##", "12", 3, '7', MaskedEdit{"12:70", 4}},  // a short text is conformed first
        {"##:##", "1x-3\xC3", 0, '9', MaskedEdit{"90:30", 1}},  // and a damaged one repaired
    };
    for (const auto& c : cases)
        EXPECT_EQ(TypeIntoMask(c.mask, c.text, c.caret, c.typed), c.expected)
            << "'" << c.typed << "' at " << c.caret << " into " << c.text;
}

TEST(MaskedText, BackspaceAndDeleteZeroTheNearestPlaceOnTheirSide) {
    constexpr bool kBackspace = true;
    constexpr bool kDelete = false;
    const struct {
        std::size_t caret;
        bool backward;
        std::optional<MaskedEdit> expected;
    } cases[] = {
        {5, kBackspace, MaskedEdit{"1230:56:00", 3}},  // over the ':' onto the place before
        {1, kBackspace, MaskedEdit{"0234:56:00", 0}},
        {0, kBackspace, kRefused},
        {kFarBeyondTheEnd, kBackspace, MaskedEdit{"1234:50:00", 6}},
        {4, kDelete, MaskedEdit{"1234:06:00", 6}},
        {6, kDelete, MaskedEdit{"1234:50:00", 7}},
        {7, kDelete, kRefused},
        {kFarBeyondTheEnd, kDelete, kRefused},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EraseInMask(kShift, "1234:56:00", c.caret, c.backward), c.expected)
            << (c.backward ? "Backspace" : "Delete") << " at " << c.caret;
    EXPECT_EQ(EraseInMask("", "", 0, kBackspace), kRefused);
    EXPECT_EQ(EraseInMask("", "", 0, kDelete), kRefused);
}

TEST(MaskedText, ErasingASelectionZeroesItsPlacesAndLeavesTheCaretAtItsStart) {
    EXPECT_EQ(EraseRangeInMask(kShift, "1234:56:00", 2, 6), (MaskedEdit{"1200:06:00", 2}));
    EXPECT_EQ(EraseRangeInMask(kShift, "1234:56:00", 0, kFarBeyondTheEnd),
              (MaskedEdit{"0000:00:00", 0}));
    EXPECT_EQ(EraseRangeInMask(kShift, "1234:56:00", 4, 5), kRefused) << "only the ':'";
    EXPECT_EQ(EraseRangeInMask(kShift, "1234:56:00", 7, kFarBeyondTheEnd), kRefused);
    EXPECT_EQ(EraseRangeInMask(kShift, "1234:56:00", 6, 2), kRefused) << "start after end";
}

TEST(MaskedText, PastingTypesTheDigitsFromTheCaretAndDropsWhatDoesNotFit) {
    const struct {
        std::size_t caret;
        std::string_view pasted;
        std::optional<MaskedEdit> expected;
    } cases[] = {
        {0, "12:30", MaskedEdit{"1230:45:00", 4}},
        {2, " 7 ", MaskedEdit{"0070:45:00", 3}},
        {4, "9:99", MaskedEdit{"0000:99:00", 7}},  // the third 9 finds no place
        {0, "0012:34:56", MaskedEdit{"0012:34:00", 7}},
        {0, "ab:-", kRefused},
        {0, "", kRefused},
        {7, "12", kRefused},
        {kFarBeyondTheEnd, "12", kRefused},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PasteIntoMask(kShift, "0000:45:00", c.caret, c.pasted), c.expected)
            << '"' << c.pasted << "\" at " << c.caret;
}

TEST(MaskedText, ConformingFillsThePlacesWithTheDigitsInOrderAndTakesFixedTextFromTheMask) {
    const struct {
        std::string_view mask;
        std::string_view text;
        std::string_view expected;
    } cases[] = {
        {"##:##:00", "1:30", "13:00:00"},
        {"####:##:##", "12:34:56", "1234:56:00"},
        {"##:##:##", "0012:34:00", "00:12:34"},  // too long: surplus digits dropped
        {"##:##", "\xC2\xB2" "4x5", "45:00"},  // non-ASCII bytes are no digits
        {"##:##", "", "00:00"},
        {"", "123", ""},
        {"#0#", "99", "909"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConformToMask(c.mask, c.text), c.expected) << c.text << " into " << c.mask;
    EXPECT_EQ(MaskFilled(kShift), "0000:00:00");
    EXPECT_EQ(MaskFilled("##.#x"), "00.0x");
}

}  // namespace
}  // namespace uptrail
