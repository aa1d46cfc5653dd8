#pragma once
#include <string>

#include "base/version_info.h"

namespace uptrail {

// The program's version as text. The full form pads the minor number to two digits and
// the revision to four (5.00.0026); the compact form writes them as they are (5.00.26),
// except that a minor number of 0 is "00". A revision of 0 is left out of both.
std::string VersionText(bool compact, const VersionRecord& version = kVersion);

}  // namespace uptrail
