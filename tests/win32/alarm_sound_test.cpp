#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace uptrail {
namespace {

// Read out of the built program, mapped for its resources only: nothing of it runs. The
// build puts the tests in <build>/tests and the program in <build>/src.
TEST(AlarmSound, IsFourSecondsOfMonoSixteenBitPcmThatIsHeardButNotClipped) {
    std::wstring own(32768, L'\0');
    own.resize(GetModuleFileNameW(nullptr, own.data(), static_cast<DWORD>(own.size())));
    const auto program =
        std::filesystem::path(own).parent_path().parent_path() / L"src" / L"Uptrail.exe";
    const HMODULE module = LoadLibraryExW(
        program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr) << program.string() << " did not load";
    const HRSRC resource =
        FindResourceExW(module, L"CUSTOM", L"ALARM", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(resource, nullptr);
    const std::string_view file(
        static_cast<const char*>(LockResource(LoadResource(module, resource))),
        SizeofResource(module, resource));
    // A RIFF size that covers the whole resource; a format of PCM, one channel, 11025 samples
    // and 22050 bytes a second, blocks of two bytes, 16 bits; 88320 bytes of samples.
    constexpr std::string_view kHeader(
        "RIFF\x24\x59\1\0WAVEfmt \x10\0\0\0\1\0\1\0\x11\x2B\0\0"
        "\x22\x56\0\0\2\0\x10\0data\0\x59\1\0",
        44);
    ASSERT_EQ(file.size(), kHeader.size() + 88320);
    EXPECT_EQ(file.substr(0, kHeader.size()), kHeader);

    int loudest = 0;
    for (std::size_t at = kHeader.size(); at < file.size(); at += 2) {
        const std::int16_t sample = static_cast<std::int16_t>(
            static_cast<unsigned char>(file[at]) | static_cast<unsigned char>(file[at + 1]) << 8);
        loudest = std::max(loudest, std::abs(int{sample}));
    }
    EXPECT_GT(loudest, 32767 / 10) << "loud enough to be heard";
    EXPECT_LT(loudest, 32767) << "not clipped";
    FreeLibrary(module);
}

}  // namespace
}  // namespace uptrail
