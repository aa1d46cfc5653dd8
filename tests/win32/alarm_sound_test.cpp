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
    // A RIFF file of PCM samples, one channel of 16 bits, whose sizes cover the resource.
    const auto number = [&](std::size_t at, std::size_t bytes) {
        std::uint32_t value = 0;
        for (std::size_t i = bytes; i-- > 0;)
            value = value << 8 | static_cast<unsigned char>(file.at(at + i));
        return value;
    };
    constexpr std::size_t kHeader = 44;
    ASSERT_GT(file.size(), kHeader);
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(number(4, 4), file.size() - 8);
    EXPECT_EQ(number(20, 2), 1u) << "PCM";
    EXPECT_EQ(number(22, 2), 1u) << "mono";
    EXPECT_EQ(number(34, 2), 16u) << "bits a sample";
    EXPECT_EQ(file.substr(36, 4), "data");
    EXPECT_EQ(number(40, 4), file.size() - kHeader);
    EXPECT_EQ((file.size() - kHeader) / number(28, 4), 4u) << "seconds";

    int loudest = 0;
    for (std::size_t at = kHeader; at + 1 < file.size(); at += 2)
        loudest = std::max(loudest, std::abs(int{static_cast<std::int16_t>(number(at, 2))}));
    EXPECT_GT(loudest, 32767 / 10) << "loud enough to be heard";
    EXPECT_LT(loudest, 32767) << "not clipped";
    FreeLibrary(module);
}

}  // namespace
}  // namespace uptrail
