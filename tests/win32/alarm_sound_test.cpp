#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace uptrail {
namespace {

std::uint32_t Little(std::string_view bytes, std::size_t at, std::size_t size = 4) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

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
    const HRSRC resource = FindResourceExW(module, L"CUSTOM", L"ALARM",
                                           MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(resource, nullptr);
    const std::string_view file(
        static_cast<const char*>(LockResource(LoadResource(module, resource))),
        SizeofResource(module, resource));
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(file.substr(8, 4), "WAVE");
    EXPECT_EQ(Little(file, 4) + 8u, file.size()) << "the RIFF size covers the whole resource";

    const std::size_t format = file.find("fmt ") + 8;
    const std::size_t data = file.find("data") + 8;
    ASSERT_TRUE(format < data && data <= file.size()) << "a format chunk, then the samples";
    EXPECT_EQ(Little(file, format, 2), 1u) << "PCM";
    EXPECT_EQ(Little(file, format + 2, 2), 1u) << "channels";
    EXPECT_EQ(Little(file, format + 4), 11025u) << "samples per second";
    EXPECT_EQ(Little(file, format + 8), 22050u) << "bytes per second";
    EXPECT_EQ(Little(file, format + 12, 2), 2u) << "block align";
    EXPECT_EQ(Little(file, format + 14, 2), 16u) << "bits per sample";
    ASSERT_EQ(Little(file, data - 4), 88320u);
    ASSERT_LE(data + 88320, file.size());

    int loudest = 0;
    for (std::size_t at = data; at < data + 88320; at += 2) {
        const int sample = static_cast<std::int16_t>(Little(file, at, 2));
        loudest = std::max(loudest, std::abs(sample));
    }
    EXPECT_GT(loudest, 32767 / 10) << "loud enough to be heard";
    EXPECT_LT(loudest, 32767) << "not clipped";
    FreeLibrary(module);
}

}  // namespace
}  // namespace uptrail
