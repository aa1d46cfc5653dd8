#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "base/os_error.h"

namespace uptrail {

// A file's bytes as the report reads them: in a string, or in memory the platform took in
// its own way (pages of its own, or a mapping), given back when this object goes.
class FileBytes {
public:
    FileBytes() = default;
    explicit FileBytes(std::string copy) : copy_(std::move(copy)) {}
    FileBytes(std::string_view view, std::function<void()> release)
        : view_(view), release_(std::move(release)) {}
    ~FileBytes() { Release(); }

    FileBytes(FileBytes&& other) noexcept { *this = std::move(other); }
    FileBytes& operator=(FileBytes&& other) noexcept {
        if (this == &other) return *this;
        Release();
        copy_ = std::move(other.copy_);
        view_ = std::exchange(other.view_, {});
        release_ = std::exchange(other.release_, nullptr);
        return *this;
    }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::string_view Text() const { return release_ ? view_ : std::string_view(copy_); }

private:
    void Release() {
        if (release_) std::exchange(release_, nullptr)();
    }

    std::string copy_;
    std::string_view view_;
    std::function<void()> release_;
};

// What a path names, as far as reading it whole goes.
enum class FileKind { kRegular, kFolder, kDevice, kPipe, kOther };

// The outcome of reading a whole file that may be no file at all, or far too large: only a
// regular file is read, and only up to a limit, so that a device that never ends or a pipe
// without a writer can neither exhaust the memory nor hold the reader forever.
struct LimitedRead {
    OsError error = kOk;
    FileKind kind = FileKind::kRegular;  // anything else: nothing was read
    bool tooLarge = false;               // more bytes than the limit: nothing was kept
};

}  // namespace uptrail
