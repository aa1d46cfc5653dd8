#include "win32/shell/alarm_sound.h"

#include <mmsystem.h>

namespace uptrail {

void PlayAlarmSound(HINSTANCE instance) {
    PlaySoundW(L"ALARM", instance, SND_RESOURCE | SND_ASYNC);
}

}  // namespace uptrail
