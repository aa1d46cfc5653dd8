#pragma once
#include <cstddef>
#include <string>

namespace uptrail::bench {

// The System log of a PC exported as a command-line export writes it: <Event> elements
// with their whole System part, one per line, oldest first, without a root element. Most
// records are of services, updates, drivers, logons and the clock, which tell nothing of
// sessions; every few hundred a session boots, sleeps now and then, and shuts down or (one
// in ten) crashes, which the next boot reports. The newest session still runs. The same
// count always gives the same bytes.
struct GeneratedExport {
    std::string text;
    std::size_t sessions = 0;  // the sessions it shows from start to end
};

// An export of `records` <Event> elements (at least a boot's few).
GeneratedExport GenerateEventExport(int records);

}  // namespace uptrail::bench
