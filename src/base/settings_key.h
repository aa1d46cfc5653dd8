#pragma once
#include <string>

#include "base/version_info.h"

namespace uptrail {

// The program's key under HKEY_LOCAL_MACHINE: SOFTWARE\<company>\<title>, from the
// version record.
inline std::string SettingsKeyPath() {
    std::string path = "SOFTWARE\\";
    path += kVersion.company;
    path += '\\';
    path += kVersion.title;
    return path;
}

}  // namespace uptrail
