#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/date_time.h"
#include "platform/locale.h"
#include "sessionlog/system_identity.h"

namespace uptrail {

// A system offered in "Syste&ms to show": its name with its last exit, its identity, and
// whether its sessions are listed.
struct SystemChoice {
    std::string caption;
    std::string tag;
    bool checked = false;
};

// The name a system is shown by: its Windows folder in upper case, under the drive letter
// the running system sees that volume by ("D:\WINDOWS"), or after "- " when the volume is
// not visible here ("- C:\WINDOWS"). Empty for a text that is no identity.
std::string FormatSystemName(std::string_view identity, const DriveTable& drives);

// Identities are compared without regard to case, as Windows treats folder names.
bool SameIdentity(std::string_view a, std::string_view b);

// The systems whose sessions are listed: `sysList` split at "|"; the own system alone when
// it names none.
std::vector<std::string> ShownSystems(std::string_view sysList, const std::string& systemId);
bool IsShown(const std::vector<std::string>& shown, std::string_view identity);

// By identity (a log's, in its order): whether its sessions are listed. Each identity is
// compared once, not once per entry.
std::vector<bool> ListedIdentities(std::span<const std::string_view> identities,
                                   const std::vector<std::string>& shown, bool allSystems);

// The identities of the checked systems, joined with "|": what "SysList" stores.
std::string CheckedSystemList(const std::vector<SystemChoice>& items);

// Every system found in the log with the end of its newest session. The own system is
// there from the start, without an exit, so that it is offered even before it logged one.
class SystemExits {
public:
    explicit SystemExits(std::string systemId);

    // Entries are noted newest first; an end later than the one noted (a log out of time
    // order) still wins. Takes about the same time however many systems were noted.
    void Note(std::string_view identity, DateTime end);
    std::size_t Size() const { return exits_.size(); }

    // "Syste&ms to show" without its separator: the own system, then the others in the
    // order they were found, each with its last exit.
    std::vector<SystemChoice> MenuItems(const std::vector<std::string>& shown, bool allSystems,
                                        const DriveTable& drives, const Locale& locale) const;

private:
    struct Exit {
        std::string identity;
        std::optional<DateTime> end;
    };
    Exit* Find(std::string_view identity);

    std::string systemId_;
    std::vector<Exit> exits_;
    // Positions in exits_ by identity in lower case; made once there are many systems (a
    // log may name tens of thousands), while a few are compared directly.
    std::unordered_map<std::string, std::size_t> byLowerIdentity_;
};

}  // namespace uptrail
