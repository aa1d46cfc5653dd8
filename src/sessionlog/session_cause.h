#pragma once

namespace uptrail {

// How a session ended, as stored in its entry. A line edited by hand may hold any other
// number; it is kept and shown as it is, and counts as none of these.
enum class SessionCause : int {
    kWindowsEnded = 0,   // the program was closed because Windows ended the session
    kProgramClosed = 1,  // the program was closed some other way before the system went down
    kCrashed = 2,        // no close was recorded; the end is the last heartbeat
};

}  // namespace uptrail
