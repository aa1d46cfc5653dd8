#include "sessionlog/system_filter.h"

#include <algorithm>

#include "storage/text_lines.h"

namespace uptrail {
namespace {

constexpr char kIdentitySeparator = '/';
constexpr char kListSeparator = '|';
// Up to this many systems a direct comparison beats making a lower-case copy to look up.
constexpr std::size_t kFewSystems = 16;
// An identity is serial, an empty part and the Windows folder: "1A2B3C4D//c:\windows".
constexpr std::size_t kIdentityParts = 3;
// The recorded drive ("c:") that the drive the running system sees replaces.
constexpr std::size_t kDriveLength = 2;

// ASCII only, and without the C library's locale lookup: every entry of the log is
// compared with the systems found so far.
char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), UpperAscii);
    return upper;
}

std::string DriveOfSerial(std::string_view serialKey, const DriveTable& drives) {
    const auto found = std::find_if(drives.begin(), drives.end(), [&](const auto& drive) {
        return SameIdentity(drive.first, serialKey);
    });
    return found == drives.end() ? std::string() : found->second;
}

}  // namespace

std::string FormatSystemName(std::string_view identity, const DriveTable& drives) {
    const auto parts = SplitAt(identity, kIdentitySeparator);
    if (parts.size() < kIdentityParts) return {};
    // The drive table is keyed by the serial and the "/" after it.
    std::string serialKey(parts[0]);
    serialKey.append(1, kIdentitySeparator).append(parts[1]);
    const std::string drive = DriveOfSerial(serialKey, drives);
    const std::string folder = UpperCase(parts[2]);
    if (drive.empty()) return "- " + folder;
    // A hand-edited identity may hold a folder shorter than a drive.
    return drive + folder.substr(std::min(kDriveLength, folder.size()));
}

bool SameIdentity(std::string_view a, std::string_view b) {
    // Nearly every comparison meets the identity spelled as it was written; the byte
    // comparison settles those at once.
    return a == b || SameNameIgnoringCase(a, b);
}

std::vector<std::string> ShownSystems(std::string_view sysList, const std::string& systemId) {
    std::vector<std::string> shown;
    for (const auto part : SplitAt(sysList, kListSeparator))
        if (!part.empty()) shown.emplace_back(part);
    if (shown.empty()) shown.push_back(systemId);
    return shown;
}

bool IsShown(const std::vector<std::string>& shown, std::string_view identity) {
    return std::any_of(shown.begin(), shown.end(),
                       [&](const std::string& system) { return SameIdentity(system, identity); });
}

std::vector<bool> ListedIdentities(std::span<const std::string_view> identities,
                                   const std::vector<std::string>& shown, bool allSystems) {
    std::vector<bool> listed(identities.size());
    for (std::size_t system = 0; system < listed.size(); ++system)
        listed[system] = allSystems || IsShown(shown, identities[system]);
    return listed;
}

std::string CheckedSystemList(const std::vector<SystemChoice>& items) {
    std::string list;
    for (const SystemChoice& item : items) {
        if (!item.checked || item.tag.empty()) continue;
        if (!list.empty()) list += kListSeparator;
        list += item.tag;
    }
    return list;
}

SystemExits::SystemExits(std::string systemId) : systemId_(std::move(systemId)) {
    exits_.push_back({systemId_, std::nullopt});
}

SystemExits::Exit* SystemExits::Find(std::string_view identity) {
    if (exits_.size() <= kFewSystems) {
        const auto found = std::find_if(exits_.begin(), exits_.end(), [&](const Exit& exit) {
            return SameIdentity(exit.identity, identity);
        });
        return found == exits_.end() ? nullptr : &*found;
    }
    if (byLowerIdentity_.empty()) {
        // The first of a kind wins, as the search in order finds it.
        for (std::size_t at = 0; at < exits_.size(); ++at)
            byLowerIdentity_.emplace(AsciiLowerCase(exits_[at].identity), at);
    }
    const auto found = byLowerIdentity_.find(AsciiLowerCase(identity));
    return found == byLowerIdentity_.end() ? nullptr : &exits_[found->second];
}

void SystemExits::Note(std::string_view identity, DateTime end) {
    Exit* const found = Find(identity);
    if (!found) {
        exits_.push_back({std::string(identity), end});
        if (!byLowerIdentity_.empty())
            byLowerIdentity_.emplace(AsciiLowerCase(identity), exits_.size() - 1);
    } else if (!found->end || *found->end < end) {
        // Updated in place: the identity keeps its first spelling, so the own system stays
        // the own system whatever case a hand-edited line writes it in.
        found->end = end;
    }
}

std::vector<SystemChoice> SystemExits::MenuItems(const std::vector<std::string>& shown,
                                                 bool allSystems, const DriveTable& drives,
                                                 const Locale& locale) const {
    const auto isChecked = [&](std::string_view identity) {
        return allSystems || IsShown(shown, identity);
    };
    std::vector<SystemChoice> items;
    items.push_back({FormatSystemName(systemId_, drives), systemId_, isChecked(systemId_)});
    for (const Exit& exit : exits_) {
        if (exit.identity == systemId_ || !exit.end) continue;
        std::string caption = FormatSystemName(exit.identity, drives) +
                              "\t(Last Exit: " + locale.DateTimeText(*exit.end) + ")";
        items.push_back({std::move(caption), exit.identity, isChecked(exit.identity)});
    }
    return items;
}

}  // namespace uptrail
