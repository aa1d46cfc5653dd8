#ifndef _WIN32
#include "posix/read_to_end.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace uptrail {
namespace {

// A file of its own with the given bytes, gone once it is closed.
class FileWith {
public:
    explicit FileWith(const std::string& bytes) {
        char name[] = "/tmp/uptrail-read-XXXXXX";
        descriptor_ = ::mkstemp(name);
        EXPECT_GE(descriptor_, 0);
        ::unlink(name);
        EXPECT_EQ(::write(descriptor_, bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    ~FileWith() { ::close(descriptor_); }
    FileWith(const FileWith&) = delete;
    FileWith& operator=(const FileWith&) = delete;

    // Back at the beginning, so that every read takes the whole file.
    int Open() {
        ::lseek(descriptor_, 0, SEEK_SET);
        return descriptor_;
    }

private:
    int descriptor_ = -1;
};

std::string BytesOf(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 % 251);
    return bytes;
}

// The size the file had when it was opened may be wrong by the time it is read: a file
// that grew since (a hint too small, down to none) or shrank (a hint too large). Sizes
// around a page, and one past a huge page and a half. Each is read whole at a limit of its
// own size and refused at one byte less, whatever the hint.
TEST(ReadToEnd, TakesEveryByteWhateverSizeTheFileWasSaidToHave) {
    for (const std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, (3u << 20) + 5}) {
        const std::string expected = BytesOf(size);
        FileWith file(expected);
        for (const std::uint64_t hint : {std::uint64_t{size}, std::uint64_t{0},
                                         std::uint64_t{size / 3}, std::uint64_t{2 * size + 9}}) {
            FileBytes bytes;
            const DescriptorRead read = ReadToEnd(file.Open(), hint, size, bytes);
            EXPECT_EQ(read.error, 0);
            EXPECT_FALSE(read.tooLarge);
            EXPECT_TRUE(bytes.Text() == expected) << size << " bytes, hint " << hint;
            // More bytes than the limit are refused, found one byte past it.
            if (size == 0) continue;
            FileBytes refused;
            EXPECT_TRUE(ReadToEnd(file.Open(), hint, size - 1, refused).tooLarge) << size;
            EXPECT_TRUE(refused.Text().empty());
        }
    }
}

}  // namespace
}  // namespace uptrail
#endif
