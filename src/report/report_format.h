#pragma once
#include <string>

#include "report/report_options.h"
#include "report/report_writer.h"
#include "report/session_report.h"

namespace uptrail {

// The report in the format asked for:
// - text: the ten "&Statistics" captions (label, Tab, value), the listed sessions as the
//   session list shows them with a mark for how they ended (X crashed, ! closed by hand),
//   and the systems with their last exit, "[x]" before those listed. Texts are the log's
//   own bytes (ANSI).
// - csv: one row per listed session, newest first, after a header row: start, end,
//   minutes, cause, system. Times in ISO 8601 local time; fields quoted as RFC 4180
//   quotes them.
// - json: {"statistics": {...}, "sessions": [...]}: figures as numbers (null where the tray
//   shows "-" or nothing), times in ISO 8601 local time, texts in UTF-8.
void WriteReport(const SessionReport& report, ReportFormat format, ReportOutput& output);

}  // namespace uptrail
