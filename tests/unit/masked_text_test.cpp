#include "alarm/masked_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string_view>

namespace uptrail {

// Found by GoogleTest next to the type, so a failure shows the text and the caret.
void PrintTo(const MaskedEdit& edit, std::ostream* out) {
    *out << '"' << edit.text << "\" caret " << edit.caret;
}

namespace {

constexpr std::string_view kShift = "####:##:00";
constexpr std::size_t kFarBeyondTheEnd = 1000;
const std::optional<MaskedEdit> kRefused;

// The real box takes its keys through these under Wine (tests/win32/masked_edit_test.cpp);
// here what its keyboard cannot reach: carets past the end, empty masks, damaged text.
TEST(MaskedText, RefusesKeysWithoutAPlaceAndRepairsADamagedText) {
    EXPECT_EQ(TypeIntoMask(kShift, "1234:56:00", kFarBeyondTheEnd, '9'), kRefused);
    EXPECT_EQ(TypeIntoMask("##:##", "1x-3\xC3", 0, '9'), (MaskedEdit{"90:30", 1}));
    EXPECT_EQ(EraseInMask(kShift, "1234:56:00", kFarBeyondTheEnd, true),
              (MaskedEdit{"1234:50:00", 6}));
    EXPECT_EQ(EraseInMask(kShift, "1234:56:00", kFarBeyondTheEnd, false), kRefused);
    EXPECT_EQ(EraseRangeInMask(kShift, "1234:56:00", 0, kFarBeyondTheEnd),
              (MaskedEdit{"0000:00:00", 0}));
    EXPECT_EQ(EraseRangeInMask(kShift, "1234:56:00", 6, 2), kRefused) << "start after end";
    EXPECT_EQ(PasteIntoMask(kShift, "0000:45:00", 0, "ab:-"), kRefused);
    EXPECT_EQ(PasteIntoMask(kShift, "0000:45:00", kFarBeyondTheEnd, "12"), kRefused);
}

TEST(MaskedText, ConformingFillsThePlacesWithTheDigitsInOrderAndTakesFixedTextFromTheMask) {
    EXPECT_EQ(ConformToMask("##:##:##", "0012:34:00"), "00:12:34") << "surplus digits dropped";
    EXPECT_EQ(ConformToMask("##:##", "\xC2\xB2" "4x5"), "45:00") << "non-ASCII bytes are no digits";
    EXPECT_EQ(ConformToMask("#0#", "99"), "909");
    EXPECT_EQ(MaskFilled("##.#x"), "00.0x");
}

}  // namespace
}  // namespace uptrail
