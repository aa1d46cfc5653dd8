#pragma once
#include <windows.h>

#include <filesystem>
#include <string>

namespace uptrail::testing {

// The folder of the running test program; the build puts the tests in <build>/tests, the
// program in <build>/src.
inline std::filesystem::path TestProgramFolder() {
    wchar_t self[MAX_PATH]{};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path();
}

// A folder of its own under the temporary folder, with a non-ASCII name so that every test
// using it also proves wide paths work; emptied and removed at the end even when it holds
// read-only files.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path_ = std::filesystem::path(base) /
                (L"uptrail-\u00e9t\u00e9-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(counter_++));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    static inline int counter_ = 0;
    std::filesystem::path path_;
};

}  // namespace uptrail::testing
