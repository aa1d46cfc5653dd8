#pragma once
#include <windows.h>

namespace uptrail {

// Starts the alarm sound, compiled into the module `instance` as resource "ALARM", and
// returns at once; the sound plays once and stops any sound this program was playing. A
// machine without sound output is no reason to bother the user: nothing is reported.
void PlayAlarmSound(HINSTANCE instance);

}  // namespace uptrail
