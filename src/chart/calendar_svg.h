#pragma once
#include <string>
#include <vector>

#include "sessionlog/session_periods.h"

namespace uptrail {

// The calendar as an SVG element: a cell per day of `days` (consecutive, oldest first),
// a column per week from Monday, shaded by the hours the system ran, with a legend; a day
// with a crash is marked. Each cell's title gives its date and figures.
std::string CalendarSvg(const std::vector<PeriodFigures>& days);

// The shade of a day with this running time: 0 (none) to 4 (more than 12 hours).
int ShadeOf(std::int64_t onSeconds);

}  // namespace uptrail
