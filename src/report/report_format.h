#pragma once
#include <string>

#include "report/session_report.h"

namespace uptrail {

// The report as text: the ten "&Statistics" captions (label, Tab, value), the listed
// sessions as the session list shows them with a mark for how they ended (X crashed,
// ! closed by hand), and the systems with their last exit, "[x]" before those listed.
// Texts are the log's own bytes (ANSI).
std::string FormatReportText(const SessionReport& report);

// One row per listed session, newest first, after a header row: start, end, minutes,
// cause, system. Times in ISO 8601 local time; fields quoted as RFC 4180 quotes them.
std::string FormatReportCsv(const SessionReport& report);

// {"statistics": {...}, "sessions": [...]}: figures as numbers (null where the tray shows
// "-" or nothing), times in ISO 8601 local time, texts in UTF-8.
std::string FormatReportJson(const SessionReport& report);

// "2026-12-04T08:03:07"; a year beyond four digits takes a sign, as ISO 8601 writes it.
std::string FormatIsoLocalTime(DateTime value);

}  // namespace uptrail
