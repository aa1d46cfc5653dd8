#include "posix/bump_arena.h"

#include <utility>

#include "posix/page_memory.h"

namespace uptrail {
namespace {

constexpr std::size_t kAlignment = alignof(std::max_align_t);

}  // namespace

void BumpArena::Reserve(std::size_t size) {
    if (begin_ != nullptr) return;
    PageMemory memory(size, PageMemory::Present::kWhenTouched);
    size_ = memory.Size();
    begin_ = std::move(memory).KeepUntilExit();
}

void* BumpArena::Allocate(std::size_t size) noexcept {
    if (begin_ == nullptr || size > size_) return nullptr;
    const std::size_t rounded = (size + kAlignment - 1) / kAlignment * kAlignment;
    const std::size_t room = rounded == 0 ? kAlignment : rounded;
    std::size_t used = used_.load(std::memory_order_relaxed);
    do {
        if (room > size_ - used) return nullptr;
    } while (!used_.compare_exchange_weak(used, used + room, std::memory_order_relaxed));
    return begin_ + used;
}

}  // namespace uptrail
