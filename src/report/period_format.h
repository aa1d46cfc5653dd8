#pragma once
#include "report/report_writer.h"
#include "report/session_report.h"

namespace uptrail {

// The table by period in place of the session list: csv rows after the header
// "period,on_minutes,off_minutes,sessions,crashed,on_percent", or the members of a JSON
// array of objects with the same names. Minutes are real minutes, rounded; off is the
// period's part of the range less on; the share of time on has one decimal.
void WritePeriodCsv(const SessionReport& report, ReportWriter& writer);
void WritePeriodJsonRows(const SessionReport& report, ReportWriter& writer);

}  // namespace uptrail
