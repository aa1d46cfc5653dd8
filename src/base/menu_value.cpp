#include "base/menu_value.h"

#include <algorithm>

namespace uptrail {

void SetMenuValue(std::string& caption, std::string_view value) {
    caption.resize(std::min(caption.find('\t'), caption.size()));
    if (value.empty()) return;
    caption += '\t';
    caption += value;
}

}  // namespace uptrail
