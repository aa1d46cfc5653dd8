#include "chart/markup.h"

#include <cstdint>

#include "base/text_encoding.h"
#include "sessionlog/statistics.h"

namespace uptrail {
namespace {

bool IsContinuation(std::string_view text, std::size_t at) {
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
}

// The length of the UTF-8 sequence at `at`, or 0 for a byte that starts none. Overlong
// forms and surrogates need not be refused here: the converter never makes them.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    for (std::size_t i = 1; i < length; ++i)
        if (!IsContinuation(text, at + i)) return 0;
    return length;
}

void AppendLatin1(std::string& out, unsigned char byte) {
    out += static_cast<char>(0xC0 | (byte >> 6));
    out += static_cast<char>(0x80 | (byte & 0x3F));
}

}  // namespace

std::string MarkupText(std::string_view ansi) {
    const std::u8string converted = PathFromAnsi(ansi).u8string();
    const std::string_view text(reinterpret_cast<const char*>(converted.data()), converted.size());
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = SequenceLength(text, at);
        const char c = text[at];
        if (length == 0) {
            AppendLatin1(out, static_cast<unsigned char>(c));
            ++at;
            continue;
        }
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '"')
            out += "&quot;";
        else if (c == '\'')
            out += "&#39;";
        // Control characters have no place in XML; a Tab reads as a blank.
        else if (length == 1 && static_cast<unsigned char>(c) < 0x20)
            out += ' ';
        else
            out.append(text, at, length);
        at += length;
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
