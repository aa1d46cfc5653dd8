#pragma once
#include <atomic>
#include <cstddef>

namespace uptrail {

// Memory for a process that does one job and ends, such as a report: blocks are cut one
// after another from a stretch of huge pages (see PageMemory) and none is given back
// before the process ends, so that the many blocks of a report of megabytes cost a few
// page faults instead of one for every 4 KiB. Once the stretch is used up, or when it could
// not be had, Allocate gives nothing and the caller turns to the general heap. Never
// destroyed: blocks may be given back while the process ends, after any destructor ran.
class BumpArena {
public:
    constexpr BumpArena() = default;

    // Takes a stretch of at least `size` bytes; only the first call does, and it is made
    // before any other thread starts.
    void Reserve(std::size_t size);

    // A block of `size` bytes aligned for any fundamental type, or nullptr.
    void* Allocate(std::size_t size) noexcept;

    // Whether `block` came from this arena.
    bool Holds(const void* block) const noexcept {
        const char* const bytes = static_cast<const char*>(block);
        return begin_ != nullptr && bytes >= begin_ && bytes < begin_ + size_;
    }

private:
    char* begin_ = nullptr;
    std::size_t size_ = 0;
    std::atomic<std::size_t> used_{0};
};

}  // namespace uptrail
