#pragma once
#include <chrono>

namespace uptrail {

// A local civil date and time to the second, without a time zone: what the log stores.
using DateTime = std::chrono::local_seconds;
using Date = std::chrono::local_days;

}  // namespace uptrail
