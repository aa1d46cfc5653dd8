#pragma once
#include <string>
#include <string_view>

namespace uptrail {

// The version record's company and title, which name the program's registry key.
inline constexpr std::string_view kSettingsCompanyName = "Tamsk";
inline constexpr std::string_view kSettingsProgramTitle = "Uptrail";

// The program's key under HKEY_LOCAL_MACHINE: SOFTWARE\<company>\<title>.
inline std::string SettingsKeyPath() {
    std::string path = "SOFTWARE\\";
    path += kSettingsCompanyName;
    path += '\\';
    path += kSettingsProgramTitle;
    return path;
}

}  // namespace uptrail
