// Exports of the System log read back as sessions, through the platform's XML reader.
#include "report/event_export.h"

#include <gtest/gtest.h>

#include "base/timestamp.h"
#include "sessionlog/past_sessions.h"

namespace uptrail {
namespace {

// One record as a command-line export of rendered events writes it: UTC time, data by name,
// then the rendered text, none of it data.
std::string Event(std::string_view provider, int id, std::string_view utc,
                  std::string_view data = "") {
    return "<Event xmlns='http://schemas.microsoft.com/win/2004/08/events/event'><System>"
           "<Provider Name='" +
           std::string(provider) + "'/><EventID Qualifiers='0'>" + std::to_string(id) +
           "</EventID><TimeCreated SystemTime='" + std::string(utc) +
           "'/><Computer>DESKTOP-7</Computer></System><EventData>" + std::string(data) +
           "</EventData><RenderingInfo><Message>Said</Message></RenderingInfo></Event>\r\n";
}

// A cold boot (with the system's start time among its data) and a shut-down from the Start
// menu, then a boot that lost its power, as the records of the next boot tell; an
// Application record in between.
std::string TwoSessions() {
    return Event("Microsoft-Windows-Kernel-General", 12, "2026-12-04T07:00:00.5000000Z",
                 "<Data Name='MajorVersion'>10</Data><Data Name='MinorVersion'>0</Data>"
                 "<Data Name='BuildVersion'>19045</Data><Data Name='QfeVersion'>3803</Data>"
                 "<Data Name='ServiceVersion'>0</Data><Data Name='BootMode'>0</Data>"
                 "<Data Name='StartTime'>2026-12-04T06:59:40.500000000Z</Data>") +
           Event("Microsoft-Windows-Kernel-Boot", 27, "2026-12-04T07:00:01.1Z",
                 "<Data Name='BootType'>0</Data>") +
           Event("Application Error", 1000, "2026-12-04T09:00:00Z") +
           Event("User32", 1074, "2026-12-04T16:00:00.7Z",
                 "<Data Name='param1'>C:\\Windows\\explorer.exe (DESKTOP-7)</Data>"
                 "<Data Name='param2'>DESKTOP-7</Data><Data Name='param3'>Other</Data>"
                 "<Data Name='param4'>0x0</Data><Data Name='param5'>power off</Data>"
                 "<Data Name='param6'></Data><Data Name='param7'>DESKTOP-7\\ana</Data>") +
           Event("Microsoft-Windows-Kernel-General", 13, "2026-12-04T16:00:09Z") +
           Event("Microsoft-Windows-Kernel-Boot", 27, "2026-12-05T07:30:00Z",
                 "<Data Name='BootType'>1</Data>") +
           Event("Microsoft-Windows-Kernel-Power", 42, "2026-12-05T10:00:00Z") +
           Event("Microsoft-Windows-Kernel-Boot", 27, "2026-12-05T12:00:00Z",
                 "<Data Name='BootType'>0</Data>") +
           Event("Microsoft-Windows-Kernel-Power", 41, "2026-12-05T12:00:20Z",
                 "<Data Name='BugcheckCode'>0</Data>");
}

std::string Utf16WithMark(std::string_view ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) bytes += std::string{c, '\0'};
    return bytes;
}

TEST(EventExport, BothLayoutsInAnyEncodingGiveTheSameSessionsInLocalTime) {
    const FixedTimeZone centralEurope(std::chrono::hours{1});
    const std::string plain = TwoSessions();
    // A saved layout may hold line breaks around a number.
    std::string indented;
    std::size_t from = 0;
    for (std::size_t at; (at = plain.find("'0'>", from)) != std::string::npos; from = at + 4)
        indented.append(plain, from, at + 4 - from).append("\n");
    indented.append(plain, from);
    const std::string saved =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Events>" + indented + "</Events>";
    for (const std::string& document : {plain, Utf16WithMark(saved), "\xEF\xBB\xBF" + saved}) {
        const EventExport found = ReadEventExport(document, SystemXmlReader(), centralEurope);
        ASSERT_TRUE(found.xml.wellFormed) << found.xml.error;
        EXPECT_EQ(found.events, 9u);
        EXPECT_EQ(found.computer, "DESKTOP-7");
        for (const auto& record : found.records) EXPECT_LE(record.values.size(), 7u);
        const PastSessions past = SessionsFromRecords(found.records, "x");
        ASSERT_EQ(past.sessions.size(), 2u);
        EXPECT_EQ(FormatTimestamp(past.sessions[0].start), "2026:12:04:07:59:40")
            << "the system's start time among the data, in local time";
        EXPECT_EQ(FormatTimestamp(past.sessions[0].end), "2026:12:04:17:00:09");
        EXPECT_EQ(past.sessions[0].reason, "Shut down by DESKTOP-7\\ana from the Start menu");
        EXPECT_EQ(FormatTimestamp(past.sessions[1].end), "2026:12:05:11:00:00");
        EXPECT_EQ(past.sessions[1].cause, SessionCause::kCrashed);
        EXPECT_EQ(past.sessions[1].reason,
                  "Power lost or the PC was turned off without shutting down");
    }
    // "é" takes two bytes of UTF-8; a character beyond the first 65536 is a pair of UTF-16 units.
    const std::string one = Event("User32", 1074, "2026-12-04T16:00:00Z");
    const std::size_t name = one.find("DESKTOP-7");
    const std::string emoji = Utf16WithMark(one.substr(0, name) + "A") +
                              std::string("\xE9\x00\x3D\xD8\x00\xDE", 6) +
                              Utf16WithMark(one.substr(name + 9)).substr(2);
    EXPECT_EQ(ReadEventExport(emoji, SystemXmlReader(), centralEurope).computer,
              "A\xC3\xA9\xF0\x9F\x98\x80");
}

// Entities that expand without end are refused, not followed; an export of no events is
// still XML. A cut export, and a document that is no XML, are read by the report's tests.
TEST(EventExport, EntitiesThatExplodeAreRefusedAndAnExportOfNoEventsIsStillXml) {
    const EventExport found = ReadEventExport(
        "<?xml version='1.0'?><!DOCTYPE e [<!ENTITY a 'aaaaaaaaaa'>"
        "<!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;'>"
        "<!ENTITY c '&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;'>"
        "<!ENTITY d '&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;'>"
        "<!ENTITY e '&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;'>"
        "<!ENTITY f '&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;'>"
        "<!ENTITY g '&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;'>]>"
        "<Events><Event><System><Computer>&g;&g;&g;&g;</Computer></System></Event></Events>",
        SystemXmlReader(), FixedTimeZone());
    EXPECT_FALSE(found.xml.wellFormed);
    EXPECT_TRUE(found.records.empty());
    EXPECT_TRUE(ReadEventExport("<Events/>", SystemXmlReader(), FixedTimeZone()).xml.wellFormed);
}

// A large export is cut into parts read at once; wherever a cut falls, what is found is what
// reading it whole finds, or the whole is read after all.
TEST(EventExport, ReadInPartsFindsWhatTheWholeDocumentHolds) {
    const FixedTimeZone utc;
    const std::string events = TwoSessions();
    const std::size_t third = events.find("<Event", events.size() / 3);
    const std::string nested =
        events.substr(0, third) +
        "<Event><UserData><Event><Data>1</Data></Event> <Event/></UserData></Event>" +
        events.substr(third);
    const std::string commented =
        events.substr(0, third) + "<!-- <Event> --><?pi <Event>?>" + events.substr(third);
    const std::string rooted =
        "<?xml version='1.0'?>\n<!-- x --><Events xmlns:u='urn:x' a='>'>" + commented + "</Events>";
    const std::string declared =
        "<!DOCTYPE Events [<!ATTLIST Provider Name CDATA 'User32'>]>"
        "<Events>" +
        std::string(events).replace(events.find(" Name='Application Error'"), 25, "") + "</Events>";
    // The PC renamed, its records out of order: the name is the newest record's.
    const auto on = [](std::string_view computer, std::string_view time) {
        std::string event = Event("Microsoft-Windows-Kernel-Power", 42, time);
        return event.replace(event.find("DESKTOP-7"), 9, computer);
    };
    const std::string renamed = on("OLD", "2026-12-01T08:00:00Z") +
                                on("NEW", "2026-12-03T08:00:00Z") +
                                on("MID", "2026-12-02T08:00:00Z");
    for (const std::string& document :
         {events, nested, rooted, declared, renamed, events.substr(0, events.size() - 300)}) {
        const EventExport whole = ReadEventExportInParts(document, SystemXmlReader(), utc, 1);
        for (const std::size_t parts : {2u, 3u, 9u}) {
            SCOPED_TRACE(std::to_string(parts) + " parts of " + document.substr(0, 60));
            const EventExport found =
                ReadEventExportInParts(document, SystemXmlReader(), utc, parts);
            EXPECT_EQ(found.events, whole.events);
            EXPECT_EQ(found.computer, whole.computer);
            EXPECT_EQ(found.xml.wellFormed, whole.xml.wellFormed);
            EXPECT_EQ(found.xml.line, whole.xml.line);
            ASSERT_EQ(found.records.size(), whole.records.size());
            for (std::size_t i = 0; i < found.records.size(); ++i) {
                EXPECT_EQ(found.records[i].event, whole.records[i].event);
                EXPECT_EQ(found.records[i].time, whole.records[i].time);
                EXPECT_EQ(found.records[i].values, whole.records[i].values);
            }
        }
    }
}

}  // namespace
}  // namespace uptrail
