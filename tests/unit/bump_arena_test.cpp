#ifndef _WIN32
#include "posix/bump_arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace uptrail {
namespace {

// Blocks of any size, zero too, are aligned, lie in the stretch without overlapping, and
// can be written whole; once the stretch is used up nothing more is handed out.
TEST(BumpArena, HandsOutAlignedBlocksThatDoNotOverlapUntilItIsUsedUp) {
    BumpArena arena;
    EXPECT_EQ(arena.Allocate(16), nullptr);  // nothing before the stretch is taken
    arena.Reserve(1 << 20);
    const char* previousEnd = nullptr;
    std::size_t handedOut = 0;
    for (const std::size_t size : {0u, 1u, 15u, 16u, 17u, 4096u, 100000u, 500000u}) {
        auto* const block = static_cast<char*>(arena.Allocate(size));
        ASSERT_NE(block, nullptr) << size;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % alignof(std::max_align_t), 0u);
        EXPECT_TRUE(arena.Holds(block));
        EXPECT_TRUE(arena.Holds(block + (size == 0 ? 0 : size - 1)));
        EXPECT_TRUE(previousEnd == nullptr || block >= previousEnd);
        std::memset(block, 0x5a, size);
        previousEnd = block + (size == 0 ? 1 : size);
        handedOut += size;
    }
    EXPECT_EQ(arena.Allocate(std::size_t{2} << 20), nullptr);
    EXPECT_EQ(arena.Allocate(SIZE_MAX), nullptr);
    while (arena.Allocate(4096) != nullptr) handedOut += 4096;
    EXPECT_GE(handedOut, (std::size_t{1} << 20) - 4096 - 8 * alignof(std::max_align_t));
    int elsewhere = 0;
    EXPECT_FALSE(arena.Holds(&elsewhere));
}

}  // namespace
}  // namespace uptrail
#endif
