#include "chart/markup.h"

#include <cstdint>

#include "base/text_encoding.h"
#include "base/utf8_sequence.h"
#include "sessionlog/statistics.h"

namespace uptrail {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool IsContinuation(std::string_view text, std::size_t at) {
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
}

// A letter or sign of Latin-1 standing alone: no continuation byte follows it, so it is
// no damaged UTF-8 but text of a single-byte code page. Bytes below 0xA0 would be control
// characters as Latin-1.
bool IsLatin1Character(std::string_view text, std::size_t at) {
    return static_cast<unsigned char>(text[at]) >= 0xA0 && !IsContinuation(text, at + 1);
}

void AppendLatin1(std::string& out, unsigned char byte) {
    out += static_cast<char>(0xC0 | (byte >> 6));
    out += static_cast<char>(0x80 | (byte & 0x3F));
}

// U+FFFE and U+FFFF are well-formed UTF-8 but no characters XML admits.
bool IsNonCharacter(std::string_view sequence) {
    return sequence == "\xEF\xBF\xBE" || sequence == "\xEF\xBF\xBF";
}

void AppendCharacter(std::string& out, std::string_view sequence) {
    switch (sequence.front()) {
    case '&': out += "&amp;"; return;
    case '<': out += "&lt;"; return;
    case '>': out += "&gt;"; return;
    case '"': out += "&quot;"; return;
    case '\'': out += "&#39;"; return;
    default: break;
    }
    // Control characters have no place in XML; a Tab reads as a blank.
    if (sequence.size() == 1 && static_cast<unsigned char>(sequence.front()) < 0x20)
        out += ' ';
    else if (IsNonCharacter(sequence))
        out += kReplacement;
    else
        out += sequence;
}

}  // namespace

std::string MarkupText(std::string_view ansi) { return MarkupUtf8(Utf8FromAnsi(ansi)); }

std::string MarkupUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool damaged = false;  // the bytes before were replaced: a continuation byte is more damage
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length > 0) {
            AppendCharacter(out, text.substr(at, length));
            at += length;
            damaged = false;
        } else if (!(damaged && IsContinuation(text, at)) && IsLatin1Character(text, at)) {
            AppendLatin1(out, static_cast<unsigned char>(text[at]));
            ++at;
            damaged = false;
        } else {
            out += kReplacement;
            at += Utf8IllFormedLength(text, at);
            damaged = true;
        }
    }
    return out;
}

std::string OneDecimal(std::int64_t part, std::int64_t whole, std::int64_t scale) {
    if (whole <= 0) return "0.0";
    const std::int64_t tenths = RoundHalfToEven(part * 10 * scale, whole);
    const std::string sign = tenths < 0 ? "-" : "";
    const std::int64_t magnitude = tenths < 0 ? -tenths : tenths;
    return sign + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10);
}

}  // namespace uptrail
