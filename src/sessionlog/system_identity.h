#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/system_info.h"

namespace uptrail {

// Drive roots ("C:") keyed by their serial text ("1A2B3C4D/", "--/"), in the order the
// system lists the drives; the first drive with a given key stays.
using DriveTable = std::vector<std::pair<std::string, std::string>>;

// A volume serial number as upper-case hexadecimal without leading zeros, then "/";
// "--/" when the serial could not be read.
std::string DriveSerialText(std::optional<std::uint32_t> serial);

// DriveSerialText of a drive ("C:", or "C" alone).
std::string DriveSerial(const SystemInfo& system, std::string_view drive);

// The identity of the running installation: the serial text of the Windows drive, "/",
// the Windows folder in lower case, for example "1A2B3C4D//c:\windows".
std::string SystemIdentity(const SystemInfo& system);

// The machine's drives keyed by their serial text; a second drive with the same key
// (another unreadable one, another path to the same volume) is left out.
DriveTable BuildDriveTable(const SystemInfo& system);

}  // namespace uptrail
