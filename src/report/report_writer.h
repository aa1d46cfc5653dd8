#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "base/put_text.h"

namespace uptrail {

// Where the report's text goes, a piece at a time.
class ReportOutput {
public:
    virtual ~ReportOutput() = default;
    virtual void Write(std::string_view text) = 0;
};

// An output that may fail on the way (a full disk, a reader that went away): it tells at
// the end whether every piece arrived.
class FinishedOutput : public ReportOutput {
public:
    virtual bool Finish() = 0;
};

// Keeps the whole text, for callers that want it as one string.
class StringOutput final : public ReportOutput {
public:
    explicit StringOutput(std::string& text) : text_(text) {}
    void Write(std::string_view text) override { text_.append(text); }

private:
    std::string& text_;
};

// Report text made in a buffer of its own and handed on whenever the buffer fills: a report
// of 32000 sessions is megabytes, and memory touched for the first time costs more than
// making the text. The destructor hands on what is left.
class ReportWriter {
public:
    static constexpr std::size_t kBufferSize = 256 * 1024;

    explicit ReportWriter(ReportOutput& output);
    ~ReportWriter();
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    void Text(std::string_view text);

    // Room for the next `size` bytes; Commit says where they ended.
    char* Room(std::size_t size);
    void Commit(char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

    void Flush();

private:
    ReportOutput& output_;
    std::unique_ptr<char[]> buffer_;
    std::size_t size_ = kBufferSize;
    std::size_t used_ = 0;
};

}  // namespace uptrail
