#pragma once
#include <cstddef>

#include "platform/file_bytes.h"

namespace uptrail {

// Memory for a file read whole, taken straight from the kernel. A fresh process pays for
// every page it touches first, and for a log of megabytes that was most of a report:
// these pages come zeroed from the kernel and are not cleared again, the stretches of
// 2 MiB lie on huge pages where the system offers them (one page fault where small pages
// take 512, and fewer misses of the address cache while the bytes are read), and the rest
// are made present in one call instead of one fault at a time.
class PageMemory {
public:
    // Whether all pages are made at once (memory about to be filled whole), or each stretch
    // when it is first touched (memory of which only some may be used).
    enum class Present { kAtOnce, kWhenTouched };

    PageMemory() = default;
    // At least `size` bytes; none when the system has no memory to give.
    explicit PageMemory(std::size_t size, Present present = Present::kAtOnce);
    ~PageMemory() { Free(); }

    PageMemory(PageMemory&& other) noexcept { *this = static_cast<PageMemory&&>(other); }
    PageMemory& operator=(PageMemory&& other) noexcept;
    PageMemory(const PageMemory&) = delete;
    PageMemory& operator=(const PageMemory&) = delete;

    char* Data() const { return data_; }
    std::size_t Size() const { return size_; }  // 0: no memory

    // The first `used` bytes as the file's bytes, which give the memory back when they go.
    FileBytes KeepAsFile(std::size_t used) &&;
    // The memory, kept until the process ends.
    char* KeepUntilExit() &&;

private:
    void Free();

    char* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace uptrail
