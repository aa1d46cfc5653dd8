#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shutdown_records.h"
#include "platform/time_zone.h"
#include "platform/xml_reader.h"

namespace uptrail {

// What an XML export of the System log holds of a PC's sessions, as a command-line export
// or Event Viewer writes it: <Event> elements, under a root element or none.
struct EventExport {
    // The records that tell sessions, and every other System-log record as a sign of
    // activity, in local time.
    std::vector<ShutdownRecord> records;
    std::string computer;    // the PC's name, as its newest record gives it
    std::size_t events = 0;  // every <Event> read, of any log
    XmlOutcome xml;          // where reading stopped, when it did
};

// Reads the export through `reader`. Each record's time, stored in UTC, is turned into the
// local time of `zone`; its values are its data in their order, by property, never its
// message. An export cut short gives the events before the cut. A large export is read in
// parts on as many threads as the processors allow.
EventExport ReadEventExport(std::string_view document, const XmlReader& reader,
                            const TimeZone& zone);

// The same, read in up to `parts` parts at once whatever the document's size: what
// ReadEventExport finds must not depend on how it was cut.
EventExport ReadEventExportInParts(std::string_view document, const XmlReader& reader,
                                   const TimeZone& zone, std::size_t parts);

}  // namespace uptrail
