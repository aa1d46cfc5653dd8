#include "report/report_writer.h"

#include <algorithm>
#include <cstring>

namespace uptrail {

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

}  // namespace uptrail
