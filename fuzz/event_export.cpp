// An XML export of the System log of any bytes, read through expat and turned into
// sessions. The reading counts no more records than events, gives a cut export the records
// before its cut, and the sessions hold what the records promise whatever their order.
#include "report/event_export.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "base/timestamp.h"
#include "fuzz_support.h"
#include "sessionlog/past_sessions.h"

namespace uptrail::fuzz {
namespace {

using std::chrono::hours;

constexpr std::string_view kSystem = "1A2B3C4D//c:\\windows";

bool SameRecords(const ShutdownRecord& a, const ShutdownRecord& b) {
    return a.event == b.event && a.time == b.time && a.values == b.values;
}

std::string Describe(const PastSession& session) {
    return FormatTimestamp(session.start) + "=" + FormatTimestamp(session.end) + "=" +
           std::to_string(static_cast<int>(session.cause)) + "=" + session.reason + "\n";
}

std::string Describe(const PastSessions& past) {
    std::string text;
    for (const PastSession& session : past.sessions) text += Describe(session);
    for (const SleepPeriod& sleep : past.sleeps)
        text += "sleep " + FormatTimestamp(sleep.start) + "=" + FormatTimestamp(sleep.end) + "\n";
    return text;
}

bool Starts(ShutdownEvent event) {
    return event == ShutdownEvent::kBoot || event == ShutdownEvent::kSystemStarted ||
           event == ShutdownEvent::kLogStarted;
}

// What the next boot writes about the session before it: no sign of that session's life.
bool WrittenByTheNextBoot(ShutdownEvent event) {
    return event == ShutdownEvent::kUncleanReboot || event == ShutdownEvent::kUnexpected ||
           event == ShutdownEvent::kBugCheck;
}

bool AnyAt(const std::vector<ShutdownRecord>& records, DateTime time, bool (*kind)(ShutdownEvent)) {
    return std::any_of(records.begin(), records.end(),
                       [&](const ShutdownRecord& r) { return r.time == time && kind(r.event); });
}

// Every session runs forward from a start to a record of its own life, before the
// next one starts; every sleep lies inside one of them or the one still running.
void CheckSessions(const PastSessions& past, const std::vector<ShutdownRecord>& records,
                   const std::string& document) {
    const std::string context = Describe(past) + "\n" + document;
    for (std::size_t i = 0; i < past.sessions.size(); ++i) {
        const PastSession& session = past.sessions[i];
        Require(
            session.cause == SessionCause::kWindowsEnded || session.cause == SessionCause::kCrashed,
            "a session ended otherwise than by Windows or a crash", context);
        Require(session.start <= session.end, "a session ends before it starts", context);
        Require(i == 0 || past.sessions[i - 1].end <= session.start,
                "sessions out of order or overlapping", context);
        // A start record, or the system's own start time that one of them gives.
        Require(AnyAt(records, session.start, Starts) ||
                    std::any_of(records.begin(), records.end(),
                                [&](const ShutdownRecord& r) {
                                    return r.event == ShutdownEvent::kSystemStarted &&
                                           session.start <= r.time &&
                                           r.time - session.start <= std::chrono::hours{24};
                                }),
                "a session starts at no start record", context);
        Require(
            AnyAt(records, session.end, [](ShutdownEvent e) { return !WrittenByTheNextBoot(e); }),
            "a session ends at no record of its own", context);
    }
    for (const SleepPeriod& sleep : past.sleeps) {
        Require(sleep.system == kSystem, "a sleep of another system", context);
        Require(sleep.start <= sleep.end, "a sleep ends before it starts", context);
        Require(std::any_of(past.sessions.begin(), past.sessions.end(),
                            [&](const PastSession& s) {
                                return s.start <= sleep.start && sleep.end <= s.end;
                            }),
                "a sleep outside every session", context);
    }
}

bool SamePast(const PastSessions& a, const PastSessions& b) {
    const auto session = [](const PastSession& s) {
        return std::tie(s.start, s.end, s.cause, s.reason);
    };
    const auto sleep = [](const SleepPeriod& s) { return std::tie(s.start, s.end, s.system); };
    return std::equal(a.sessions.begin(), a.sessions.end(), b.sessions.begin(), b.sessions.end(),
                      [&](const auto& x, const auto& y) { return session(x) == session(y); }) &&
           std::equal(a.sleeps.begin(), a.sleeps.end(), b.sleeps.begin(), b.sleeps.end(),
                      [&](const auto& x, const auto& y) { return sleep(x) == sleep(y); });
}

// The records backwards with half of them repeated: the same past, as records may come in
// any order, repeated or not.
void CheckOrderDoesNotMatter(const PastSessions& past, std::vector<ShutdownRecord> records,
                             const std::string& document) {
    std::reverse(records.begin(), records.end());
    const std::vector<ShutdownRecord> repeated(records.begin(),
                                               records.begin() + records.size() / 2);
    records.insert(records.end(), repeated.begin(), repeated.end());
    const PastSessions again = SessionsFromRecords(records, kSystem);
    Require(SamePast(past, again), "records in another order give another past",
            Describe(past) + "\n" + Describe(again) + "\n" + document);
}

// An export cut short gives the records before the cut: those of the whole export, up to
// some point.
void CheckCut(const EventExport& whole, const std::string& document, std::size_t cut,
              const TimeZone& zone) {
    const EventExport part = ReadEventExport(document.substr(0, cut), SystemXmlReader(), zone);
    const std::string context = "cut at " + std::to_string(cut) + "\n" + document;
    Require(part.events <= whole.events, "a cut export holds more events", context);
    Require(part.records.size() <= whole.records.size() &&
                std::equal(part.records.begin(), part.records.end(), whole.records.begin(),
                           SameRecords),
            "a cut export holds other records than the whole one's first", context);
}

// A document read in parts at once gives what it gives read whole, wherever the cuts fall.
void CheckParts(const EventExport& whole, const std::string& document, std::size_t parts,
                const TimeZone& zone) {
    const EventExport read = ReadEventExportInParts(document, SystemXmlReader(), zone, parts);
    const std::string context = std::to_string(parts) + " parts\n" + document;
    Require(read.events == whole.events && read.computer == whole.computer &&
                read.xml.wellFormed == whole.xml.wellFormed && read.xml.line == whole.xml.line,
            "a document read in parts gives other events or another outcome", context);
    Require(std::equal(read.records.begin(), read.records.end(), whole.records.begin(),
                       whole.records.end(), SameRecords),
            "a document read in parts gives other records", context);
}

}  // namespace
}  // namespace uptrail::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace uptrail;
    using namespace uptrail::fuzz;
    const std::string document(reinterpret_cast<const char*>(data), size);
    const FixedTimeZone centralEurope(hours{1});

    const EventExport found = ReadEventExport(document, SystemXmlReader(), centralEurope);
    Require(found.records.size() <= found.events, "more records than events", document);
    Require(!found.records.empty() || found.computer.empty(), "a computer named by no record",
            document);
    Require(found.xml.wellFormed || !found.xml.error.empty(), "a fault without its reason",
            document);

    const PastSessions past = SessionsFromRecords(found.records, kSystem);
    CheckSessions(past, found.records, document);
    CheckOrderDoesNotMatter(past, found.records, document);
    // Any cut point will do, as long as the same input always makes the same one.
    const std::size_t cut = size == 0 ? 0 : (data[0] * 256u + data[size / 2]) % (size + 1);
    CheckCut(found, document, cut, centralEurope);
    CheckParts(found, document, 2 + size % 7, centralEurope);
    return 0;
}
