#include "base/utf8_sequence.h"

namespace uptrail {
namespace {

// What a lead byte promises: the sequence's length and the range of its second byte,
// which is where overlong forms, surrogates and code points past U+10FFFF show.
struct Lead {
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

Lead LeadOf(unsigned char byte) {
    if (byte < 0x80) return {1};
    if (byte >= 0xC2 && byte <= 0xDF) return {2};
    if (byte == 0xE0) return {3, 0xA0};
    if (byte == 0xED) return {3, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF) return {3};
    if (byte == 0xF0) return {4, 0x90};
    if (byte >= 0xF1 && byte <= 0xF3) return {4};
    if (byte == 0xF4) return {4, 0x80, 0x8F};
    return {};
}

// How many bytes from `at` agree with a well-formed sequence; its length when all do.
std::size_t AgreeingLength(std::string_view text, std::size_t at, const Lead& lead) {
    if (lead.length == 0) return 0;
    std::size_t length = 1;
    for (; length < lead.length && at + length < text.size(); ++length) {
        const auto byte = static_cast<unsigned char>(text[at + length]);
        const unsigned char low = length == 1 ? lead.low : 0x80;
        const unsigned char high = length == 1 ? lead.high : 0xBF;
        if (byte < low || byte > high) break;
    }
    return length;
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const Lead lead = LeadOf(static_cast<unsigned char>(text[at]));
    const std::size_t agreeing = AgreeingLength(text, at, lead);
    return agreeing == lead.length ? agreeing : 0;
}

std::size_t Utf8IllFormedLength(std::string_view text, std::size_t at) {
    const std::size_t agreeing =
        AgreeingLength(text, at, LeadOf(static_cast<unsigned char>(text[at])));
    return agreeing == 0 ? 1 : agreeing;
}

}  // namespace uptrail
