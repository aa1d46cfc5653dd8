#include <windows.h>

#include "base/text_encoding.h"
#include "win32/platform/wide_text.h"

namespace uptrail {

std::filesystem::path PathFromAnsi(std::string_view text) {
    return std::filesystem::path(WideFromAnsi(text));
}

std::string AnsiFromPath(const std::filesystem::path& path) { return AnsiFromWide(path.native()); }

}  // namespace uptrail
