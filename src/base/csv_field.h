#pragma once
#include <string>
#include <string_view>

namespace uptrail {

// A field of a CSV line as RFC 4180 writes it: quoted, with its quotes doubled, when it
// holds a comma, a quote or a line break; as it is otherwise.
std::string CsvField(std::string_view text);

}  // namespace uptrail
