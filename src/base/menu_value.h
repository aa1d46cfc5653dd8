#pragma once
#include <string>
#include <string_view>

namespace uptrail {

// Writes a value into a menu caption: the label (the caption up to its first Tab), then a
// Tab and the value, which menus show right-aligned; an empty value leaves the label alone.
void SetMenuValue(std::string& caption, std::string_view value);

}  // namespace uptrail
