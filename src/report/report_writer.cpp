#include "report/report_writer.h"

#include <algorithm>
#include <cstring>

namespace uptrail {
namespace {

// The size of a value; unsigned, because the size of the most negative value has no
// signed counterpart.
std::uint64_t Magnitude(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    return value < 0 ? 0 - bits : bits;
}

int DigitCount(std::uint64_t magnitude) {
    int count = 1;
    for (; magnitude >= 100; magnitude /= 100) count += 2;
    return magnitude >= 10 ? count + 1 : count;
}

}  // namespace

ReportWriter::ReportWriter(ReportOutput& output)
    : output_(output), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}

ReportWriter::~ReportWriter() { Flush(); }

void ReportWriter::Text(std::string_view text) {
    while (!text.empty()) {
        if (used_ == size_) Flush();
        const std::size_t piece = std::min(text.size(), size_ - used_);
        std::memcpy(buffer_.get() + used_, text.data(), piece);
        used_ += piece;
        text.remove_prefix(piece);
    }
}

char* ReportWriter::Room(std::size_t size) {
    if (size_ - used_ < size) Flush();
    // Only names longer than any locale's month names ask for more than the buffer holds.
    if (size_ < size) {
        buffer_ = std::make_unique_for_overwrite<char[]>(size);
        size_ = size;
    }
    return buffer_.get() + used_;
}

void ReportWriter::Flush() {
    if (used_ > 0) output_.Write(std::string_view(buffer_.get(), used_));
    used_ = 0;
}

char* PutPadded(char* at, std::int64_t value, int minDigits) {
    std::uint64_t magnitude = Magnitude(value);
    if (value < 0) *at++ = '-';
    char* const end = at + std::max(DigitCount(magnitude), minDigits);
    // Written from the right, two digits at a time, then padded with zeros.
    char* next = end;
    for (; magnitude >= 100; magnitude /= 100) {
        next -= 2;
        std::memcpy(next, kDigitPairs + 2 * (magnitude % 100), 2);
    }
    if (magnitude >= 10) {
        next -= 2;
        std::memcpy(next, kDigitPairs + 2 * magnitude, 2);
    } else {
        *--next = static_cast<char>('0' + magnitude);
    }
    while (next > at) *--next = '0';
    return end;
}

char* PutNumber(char* at, std::int64_t value) { return PutPadded(at, value, 1); }

}  // namespace uptrail
