#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace uptrail {

// Text typed into a fixed pattern, such as a duration "####:##:00": every '#' of the mask
// is a place for one digit, every other character is fixed text that the user cannot
// change. The user only overwrites places, so the text keeps the mask's length, and a
// program reading it finds every field where the mask puts it.
//
// Text and mask are expected to have the same length. A text of another length is first
// conformed (ConformToMask); a text of the right length keeps the digits in its places,
// any other character in a place reading as "0", and takes its fixed text from the mask.
// Digits are the ASCII '0' to '9'; every other byte is text like any other.
inline constexpr char kMaskPlace = '#';

// The mask with every place `digit`: "####:##:00" gives "0000:00:00".
std::string MaskFilled(std::string_view mask, char digit = '0');

// A text after a key, and where the caret stands (0 is before the first character).
struct MaskedEdit {
    std::string text;
    std::size_t caret = 0;

    bool operator==(const MaskedEdit&) const = default;
};

// A key typed with the caret at `caret`: a digit overwrites the first place at or after
// the caret, past any fixed text, and the caret moves just past it. Anything but a digit,
// or no place left, gives nothing: the key is refused.
std::optional<MaskedEdit> TypeIntoMask(std::string_view mask, std::string_view text,
                                       std::size_t caret, char typed);

// Backspace (`backward`) sets the nearest place before the caret to "0" and moves the
// caret onto it; Delete sets the first place at or after the caret to "0" and moves the
// caret past it. Nothing when there is no such place.
std::optional<MaskedEdit> EraseInMask(std::string_view mask, std::string_view text,
                                      std::size_t caret, bool backward);

// Backspace or Delete over the selection [start, end): every place in it becomes "0" and
// the caret stands at its start. Nothing when the selection holds no place.
std::optional<MaskedEdit> EraseRangeInMask(std::string_view mask, std::string_view text,
                                           std::size_t start, std::size_t end);

// Pasting at the caret: the digits of `pasted` overwrite the places from the caret on,
// one after another as if typed, and the caret stands past the last one written. Other
// characters of `pasted` are passed over, and digits beyond the last place are dropped.
// Nothing when `pasted` holds no digit or no place is left.
std::optional<MaskedEdit> PasteIntoMask(std::string_view mask, std::string_view text,
                                        std::size_t caret, std::string_view pasted);

// The digits of `text`, in order, fill the places from the left; places left over are
// "0"; fixed text always comes from the mask. "1:30" in "##:##:00" gives "13:00:00".
std::string ConformToMask(std::string_view mask, std::string_view text);

}  // namespace uptrail
