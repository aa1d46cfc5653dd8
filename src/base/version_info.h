#pragma once
#include <string_view>

#include "base/version.h"

namespace uptrail {

// The version record as the code uses it: title, file name without extension, company,
// description and comments (site address, ", ", "mailto:" address).
struct VersionRecord {
    std::string_view title;
    std::string_view exeName;
    std::string_view company;
    std::string_view description;
    std::string_view comments;
    std::string_view legalCopyright;
    std::string_view legalTrademarks;
    int major;
    int minor;
    int revision;
};

inline constexpr VersionRecord kVersion{
    UPTRAIL_TITLE,         UPTRAIL_EXE_NAME,         UPTRAIL_COMPANY,    UPTRAIL_DESCRIPTION,
    UPTRAIL_COMMENTS,      UPTRAIL_COPYRIGHT,        UPTRAIL_TRADEMARKS, UPTRAIL_VERSION_MAJOR,
    UPTRAIL_VERSION_MINOR, UPTRAIL_VERSION_REVISION,
};

}  // namespace uptrail
