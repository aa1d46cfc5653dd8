#include "base/text_encoding.h"

namespace uptrail {

// Off Windows the tests treat paths as plain bytes: the ANSI text is the path.
std::filesystem::path PathFromAnsi(std::string_view text) {
    return std::filesystem::path(std::string(text));
}

std::string AnsiFromPath(const std::filesystem::path& path) { return path.string(); }

}  // namespace uptrail
