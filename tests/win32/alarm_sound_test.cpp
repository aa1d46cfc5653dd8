#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace uptrail {
namespace {

constexpr WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The build puts the tests in <build>/tests and the program in <build>/src.
std::filesystem::path BuiltProgram() {
    std::wstring own(32768, L'\0');
    own.resize(GetModuleFileNameW(nullptr, own.data(), static_cast<DWORD>(own.size())));
    return std::filesystem::path(own).parent_path().parent_path() / L"src" / L"Uptrail.exe";
}

// The program's file mapped for its resources only: nothing of it runs.
class ResourceModule {
public:
    explicit ResourceModule(const std::filesystem::path& file)
        : module_(LoadLibraryExW(file.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ResourceModule() {
        if (module_) FreeLibrary(module_);
    }
    ResourceModule(const ResourceModule&) = delete;
    ResourceModule& operator=(const ResourceModule&) = delete;

    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
    return TRUE;
}

std::string_view ResourceBytes(HMODULE module, HRSRC resource) {
    const HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {static_cast<const char*>(bytes), SizeofResource(module, resource)};
}

std::uint32_t Little32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint16_t Little16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// The chunks of a RIFF file by name; a chunk running past the end is left out, so a
// missing chunk is reported as missing rather than read out of bounds.
struct Chunks {
    std::string_view format;
    std::string_view data;
};

Chunks FindChunks(std::string_view file) {
    Chunks chunks;
    std::size_t at = 12;
    while (at + 8 <= file.size()) {
        const std::string_view id = file.substr(at, 4);
        const std::uint32_t size = Little32(file, at + 4);
        if (size > file.size() - at - 8) break;
        const std::string_view body = file.substr(at + 8, size);
        if (id == "fmt ") chunks.format = body;
        if (id == "data") chunks.data = body;
        at += 8 + size + (size & 1);  // chunks start on even offsets
    }
    return chunks;
}

TEST(AlarmSound, IsAnEnglishCustomResourceOfTheProgram) {
    const ResourceModule program(BuiltProgram());
    ASSERT_NE(program.Get(), nullptr) << BuiltProgram().string() << " did not load";

    std::vector<WORD> languages;
    EnumResourceLanguagesW(program.Get(), L"CUSTOM", L"ALARM", CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::vector<WORD>{kEnglishUs});
    EXPECT_NE(FindResourceExW(program.Get(), L"CUSTOM", L"ALARM", kEnglishUs), nullptr);
}

TEST(AlarmSound, IsFourSecondsOfMonoSixteenBitPcmThatNeitherStaysSilentNorClips) {
    const ResourceModule program(BuiltProgram());
    ASSERT_NE(program.Get(), nullptr) << BuiltProgram().string() << " did not load";
    const HRSRC resource = FindResourceExW(program.Get(), L"CUSTOM", L"ALARM", kEnglishUs);
    ASSERT_NE(resource, nullptr);
    const std::string_view file = ResourceBytes(program.Get(), resource);

    ASSERT_GE(file.size(), 12u);
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(file.substr(8, 4), "WAVE");
    EXPECT_EQ(Little32(file, 4) + 8u, file.size()) << "the RIFF size covers the whole resource";

    const Chunks chunks = FindChunks(file);
    ASSERT_GE(chunks.format.size(), 16u);
    EXPECT_EQ(Little16(chunks.format, 0), 1) << "PCM";
    EXPECT_EQ(Little16(chunks.format, 2), 1) << "channels";
    EXPECT_EQ(Little32(chunks.format, 4), 11025u) << "samples per second";
    EXPECT_EQ(Little32(chunks.format, 8), 22050u) << "bytes per second";
    EXPECT_EQ(Little16(chunks.format, 12), 2) << "block align";
    EXPECT_EQ(Little16(chunks.format, 14), 16) << "bits per sample";
    ASSERT_EQ(chunks.data.size(), 88320u);

    int loudest = 0;
    int clipped = 0;
    std::vector<int> samples;
    for (std::size_t at = 0; at < chunks.data.size(); at += 2) {
        const int sample = static_cast<std::int16_t>(Little16(chunks.data, at));
        samples.push_back(sample);
        loudest = std::max(loudest, std::abs(sample));
        clipped += sample >= 32767 || sample <= -32767;
    }
    EXPECT_GT(loudest, 32767 / 10) << "loud enough to be heard";
    EXPECT_EQ(clipped, 0);
    // Ten milliseconds of silence at the end: a player stopping there makes no click.
    EXPECT_EQ(std::vector<int>(samples.end() - 110, samples.end()), std::vector<int>(110, 0));
}

}  // namespace
}  // namespace uptrail
