#include "posix/read_to_end.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "posix/page_memory.h"

namespace uptrail {
namespace {

std::size_t SizeOf(std::uint64_t bytes) {
    return static_cast<std::size_t>(std::min<std::uint64_t>(bytes, SIZE_MAX));
}

}  // namespace

DescriptorRead ReadToEnd(int descriptor, std::uint64_t sizeHint, std::uint64_t limit,
                         FileBytes& bytes) {
    const std::uint64_t most = limit < UINT64_MAX ? limit + 1 : limit;
    PageMemory memory(SizeOf(std::min(sizeHint, limit) + 1));
    std::size_t done = 0;
    for (;;) {
        if (memory.Size() == 0) return {ENOMEM};
        if (done == most) return {0, true};
        const std::size_t room = SizeOf(std::min<std::uint64_t>(memory.Size(), most));
        if (done == room) {
            PageMemory larger(SizeOf(std::min<std::uint64_t>(2 * std::uint64_t{done}, most)));
            if (larger.Size() > 0) std::memcpy(larger.Data(), memory.Data(), done);
            memory = std::move(larger);
            continue;
        }
        const ssize_t read = ::read(descriptor, memory.Data() + done, room - done);
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) return {errno};
        if (read == 0) break;
        done += static_cast<std::size_t>(read);
    }
    bytes = std::move(memory).KeepAsFile(done);
    return {};
}

}  // namespace uptrail
