#include "posix/page_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string_view>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#define UPTRAIL_ASAN
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UPTRAIL_ASAN
#endif
#endif
#ifdef UPTRAIL_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace uptrail {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t RoundUp(std::size_t size, std::size_t unit) { return (size + unit - 1) / unit * unit; }

std::size_t SmallPage() {
    const long size = ::sysconf(_SC_PAGESIZE);
    return size > 0 ? static_cast<std::size_t>(size) : 4096;
}

// A last stretch of 256 KiB or more is a huge page too. Clearing 2 MiB costs about what
// making 200 small pages present costs on a PC, but in a virtual machine each small page
// can cost as much as the whole huge page: there a log of 8000 sessions (500 KiB) took
// half as long again on small pages. At most 1.75 MiB lies unused.
std::size_t MappedSize(std::size_t size) {
    const std::size_t tail = size % kHugePage;
    if (tail >= kHugePage / 8) return RoundUp(size, kHugePage);
    return RoundUp(size, SmallPage());
}

void* Map(std::size_t size) {
    void* const mapped =
        ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return mapped == MAP_FAILED ? nullptr : mapped;
}

// `size` bytes that begin at a huge page's boundary, which a huge page needs. The
// mapping is made a huge page longer and the ends beyond the boundaries are given back.
char* MapAligned(std::size_t size) {
    auto* const mapped = static_cast<char*>(Map(size + kHugePage));
    if (mapped == nullptr) return nullptr;
    const auto address = reinterpret_cast<std::uintptr_t>(mapped);
    const std::size_t head = RoundUp(address, kHugePage) - address;
    if (head > 0) ::munmap(mapped, head);
    if (kHugePage - head > 0) ::munmap(mapped + head + size, kHugePage - head);
    return mapped + head;
}

}  // namespace

PageMemory::PageMemory(std::size_t size, [[maybe_unused]] Present present) {
    const std::size_t mapped = MappedSize(size == 0 ? 1 : size);
    if (mapped < size || mapped > SIZE_MAX - kHugePage) return;  // no address space is that large
    const bool huge = mapped >= kHugePage;
    data_ = huge ? MapAligned(mapped) : static_cast<char*>(Map(mapped));
    if (data_ == nullptr) return;
    size_ = mapped;
    // Advice only: a system without huge pages, or one too old to populate in one call,
    // refuses it, and the pages are then made as they are touched.
#ifdef MADV_HUGEPAGE
    if (huge) ::madvise(data_, size_, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
    if (present == Present::kAtOnce) ::madvise(data_, size_, MADV_POPULATE_WRITE);
#endif
}

PageMemory& PageMemory::operator=(PageMemory&& other) noexcept {
    if (this == &other) return *this;
    Free();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    return *this;
}

FileBytes PageMemory::KeepAsFile(std::size_t used) && {
    char* const data = std::exchange(data_, nullptr);
    const std::size_t size = std::exchange(size_, 0);
#ifdef UPTRAIL_ASAN
    // A reader that runs past the file's end is caught, as it is in the sanitizer's heap.
    ASAN_POISON_MEMORY_REGION(data + used, size - used);
#endif
    return FileBytes(std::string_view(data, used), [data, size] {
#ifdef UPTRAIL_ASAN
        ASAN_UNPOISON_MEMORY_REGION(data, size);
#endif
        ::munmap(data, size);
    });
}

char* PageMemory::KeepUntilExit() && {
    size_ = 0;
    return std::exchange(data_, nullptr);
}

void PageMemory::Free() {
    if (data_ != nullptr) ::munmap(std::exchange(data_, nullptr), std::exchange(size_, 0));
}

}  // namespace uptrail
