#include "sessionlog/system_identity.h"

#include <algorithm>

namespace uptrail {
namespace {

constexpr std::string_view kUnreadableSerial = "--";

// The Windows folder is ANSI text; only ASCII letters are lowered, so the bytes of a
// multi-byte code page are never split or changed and the identity stays the same on
// every code page an installation may switch to.
std::string AsciiLowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

std::string UpperHex(std::uint32_t number) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    do {
        hex.insert(hex.begin(), kDigits[number & 0xF]);
        number >>= 4;
    } while (number != 0);
    return hex;
}

}  // namespace

std::string DriveSerialText(std::optional<std::uint32_t> serial) {
    std::string text = serial ? UpperHex(*serial) : std::string(kUnreadableSerial);
    text += '/';
    return text;
}

std::string DriveSerial(const SystemInfo& system, std::string_view drive) {
    std::string name(drive);
    if (name.size() == 1) name += ':';
    return DriveSerialText(system.VolumeSerial(name));
}

std::string SystemIdentity(const SystemInfo& system) {
    const std::string windowsFolder = AsciiLowerCase(system.WindowsFolder());
    std::string identity = DriveSerial(system, std::string_view(windowsFolder).substr(0, 2));
    identity += '/';
    identity += windowsFolder;
    return identity;
}

DriveTable BuildDriveTable(const SystemInfo& system) {
    DriveTable table;
    for (const std::string& drive : system.DrivePaths()) {
        std::string key = DriveSerial(system, drive);
        const bool known = std::any_of(table.begin(), table.end(),
                                       [&key](const auto& entry) { return entry.first == key; });
        if (!known) table.emplace_back(std::move(key), drive);
    }
    return table;
}

}  // namespace uptrail
