#include "base/version_text.h"

#include "base/duration_text.h"

namespace uptrail {

std::string VersionText(bool compact, const VersionRecord& version) {
    std::string text = std::to_string(version.major) + ".";
    if (compact)
        text += version.minor >= 1 ? std::to_string(version.minor) : "00";
    else
        text += FormatPadded(version.minor % 100, 2);
    if (version.revision >= 1) {
        text += ".";
        text +=
            compact ? std::to_string(version.revision) : FormatPadded(version.revision % 10000, 4);
    }
    return text;
}

}  // namespace uptrail
