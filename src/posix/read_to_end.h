#pragma once
#include <cstdint>

#include "platform/file_bytes.h"

namespace uptrail {

// What reading a descriptor to its end came to.
struct DescriptorRead {
    int error = 0;          // errno of a read that failed; nothing was kept
    bool tooLarge = false;  // more bytes than the limit: nothing was kept
};

// Every byte from `descriptor` up to its end, into fresh pages (see PageMemory). The size
// the file had when it was opened is a hint: a file that grows or shrinks meanwhile is
// read to its end, or to one byte past `limit`, which tells that it grew too large. With
// room for one byte more than the hint, one read takes the whole file and the next finds
// its end.
DescriptorRead ReadToEnd(int descriptor, std::uint64_t sizeHint, std::uint64_t limit,
                         FileBytes& bytes);

}  // namespace uptrail
