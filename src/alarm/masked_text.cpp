#include "alarm/masked_text.h"

#include <algorithm>
#include <utility>

namespace uptrail {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text as the mask allows it, so that every edit starts from a well-formed text.
std::string Fitted(std::string_view mask, std::string_view text) {
    if (text.size() != mask.size()) return ConformToMask(mask, text);
    std::string fitted(mask);
    for (std::size_t i = 0; i < mask.size(); ++i)
        if (mask[i] == kMaskPlace) fitted[i] = IsDigit(text[i]) ? text[i] : '0';
    return fitted;
}

// The first place at or after `from`, or npos.
std::size_t PlaceFrom(std::string_view mask, std::size_t from) {
    return from < mask.size() ? mask.find(kMaskPlace, from) : std::string_view::npos;
}

// The nearest place before `before`, or npos.
std::size_t PlaceBefore(std::string_view mask, std::size_t before) {
    if (before == 0 || mask.empty()) return std::string_view::npos;
    return mask.rfind(kMaskPlace, std::min(before, mask.size()) - 1);
}

}  // namespace

std::string MaskFilled(std::string_view mask, char digit) {
    std::string filled(mask);
    std::replace(filled.begin(), filled.end(), kMaskPlace, digit);
    return filled;
}

std::optional<MaskedEdit> TypeIntoMask(std::string_view mask, std::string_view text,
                                       std::size_t caret, char typed) {
    if (!IsDigit(typed)) return std::nullopt;
    const std::size_t place = PlaceFrom(mask, caret);
    if (place == std::string_view::npos) return std::nullopt;
    MaskedEdit edit{Fitted(mask, text), place + 1};
    edit.text[place] = typed;
    return edit;
}

std::optional<MaskedEdit> EraseInMask(std::string_view mask, std::string_view text,
                                      std::size_t caret, bool backward) {
    const std::size_t place = backward ? PlaceBefore(mask, caret) : PlaceFrom(mask, caret);
    if (place == std::string_view::npos) return std::nullopt;
    MaskedEdit edit{Fitted(mask, text), backward ? place : place + 1};
    edit.text[place] = '0';
    return edit;
}

std::optional<MaskedEdit> EraseRangeInMask(std::string_view mask, std::string_view text,
                                           std::size_t start, std::size_t end) {
    end = std::min(end, mask.size());
    const std::size_t first = PlaceFrom(mask, start);
    if (first == std::string_view::npos || first >= end) return std::nullopt;
    MaskedEdit edit{Fitted(mask, text), start};
    for (std::size_t i = first; i < end; ++i)
        if (mask[i] == kMaskPlace) edit.text[i] = '0';
    return edit;
}

std::optional<MaskedEdit> PasteIntoMask(std::string_view mask, std::string_view text,
                                        std::size_t caret, std::string_view pasted) {
    std::optional<MaskedEdit> edit;
    for (const char c : pasted) {
        if (!IsDigit(c)) continue;
        auto typed = TypeIntoMask(mask, edit ? std::string_view(edit->text) : text,
                                  edit ? edit->caret : caret, c);
        if (!typed) break;
        edit = std::move(typed);
    }
    return edit;
}

std::string ConformToMask(std::string_view mask, std::string_view text) {
    std::string conformed(mask);
    auto digit = text.begin();
    for (char& c : conformed) {
        if (c != kMaskPlace) continue;
        digit = std::find_if(digit, text.end(), IsDigit);
        c = digit != text.end() ? *digit++ : '0';
    }
    return conformed;
}

}  // namespace uptrail
