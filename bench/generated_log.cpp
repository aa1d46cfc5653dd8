#include "generated_log.h"

#include <cstdint>

#include "base/timestamp.h"
#include "sequence.h"
#include "storage/text_lines.h"

namespace uptrail::bench {
namespace {

struct Session {
    DateTime start;
    DateTime end;
    int cause;
    const std::string* system;
};

std::vector<Session> Sessions(int entries, DateTime before) {
    using std::chrono::minutes;
    using std::chrono::seconds;
    Sequence random(20261204);
    std::vector<Session> sessions;
    sessions.reserve(static_cast<std::size_t>(entries));
    DateTime at{};
    for (int i = 0; i < entries; ++i) {
        const auto length = minutes{5 + random.Next(14 * 60)} + seconds{random.Next(60)};
        const auto gap = minutes{1 + random.Next(random.Next(10) == 0 ? 3 * 1440 : 600)};
        const std::uint32_t ending = random.Next(10);
        const int cause = ending < 8 ? 0 : (ending == 8 ? 1 : 2);
        const std::uint32_t which = random.Next(10);
        const std::string* system = &GeneratedSystems()[which < 7 ? 0 : (which < 9 ? 1 : 2)];
        sessions.push_back({at, at + length, cause, system});
        at += length + gap;
    }
    // Shifted so that the newest ends three hours before `before`, leaving room for the
    // session that ran last and is not logged yet.
    const auto shift =
        sessions.empty() ? seconds{0} : (before - std::chrono::hours{3}) - sessions.back().end;
    for (Session& session : sessions) {
        session.start += shift;
        session.end += shift;
    }
    return sessions;
}

}  // namespace

GeneratedLog GenerateLog(int entries, DateTime before) {
    GeneratedLog log;
    const std::vector<Session> sessions = Sessions(entries, before);
    log.ownSystem = GeneratedSystems()[0];
    log.lastEnd = sessions.empty() ? before - std::chrono::hours{3} : sessions.back().end;
    const std::string lastEnd = FormatTimestamp(log.lastEnd);
    // The own installation ran last: its session, closed by Windows, waits to be logged.
    const DateTime previousStart = log.lastEnd + std::chrono::minutes{10};
    const std::string previousClose = FormatTimestamp(previousStart + std::chrono::hours{2});

    log.text = "[Common]\r\nLastWin=" + log.ownSystem + "\r\nCurStroke=" + previousClose + "\r\n";
    for (const std::string& system : GeneratedSystems()) {
        const bool own = system == log.ownSystem;
        log.text += "[" + system + "]\r\nAnimation=3\r\nAutoStart=1\r\nLastStart=" +
                    (own ? FormatTimestamp(previousStart) : lastEnd) +
                    "\r\nLastClose=" + (own ? previousClose : lastEnd) +
                    "\r\nLastCause=0\r\nRestart=" + lastEnd +
                    "\r\nListMode=0\r\nSysList=" + system + "\r\n";
    }
    log.text += "[Log]\r\n";
    for (const Session& session : sessions) {
        log.entryLines.push_back(FormatTimestamp(session.start) + "=" +
                                 FormatTimestamp(session.end) + "=" +
                                 std::to_string(session.cause) + "=" + *session.system);
        log.text += log.entryLines.back() + std::string(kCrLf);
    }
    return log;
}

}  // namespace uptrail::bench
