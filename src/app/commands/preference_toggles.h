#pragma once
#include "app/main_context.h"

namespace uptrail {

// Click handlers of the option items of the right-hand menu. Start-up runs the first
// three too, to set and store the options on a first start.
void OnRightAutoClick(MainContext& context);      // "Start with &Windows"
void OnRightWithoutClick(MainContext& context);   // "Don't create Tray &Icon"
void OnRightAnimatedClick(MainContext& context);  // "Animated &Tray Icon"
void OnRightHideClick(MainContext& context);      // "&Hide Tray Icon"
void OnRightExitClick(MainContext& context);      // "E&xit"

}  // namespace uptrail
