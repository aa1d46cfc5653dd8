#pragma once
#include <filesystem>

#include "app/main_context.h"

namespace uptrail {

// The don't-create-icon and hide items stay out of the menu; the option the first one
// carries stays in force.
void HideTrayIconItems(MainState& state);

// Loads the options into the menu items and the animation level. On a first start (or
// when the program has moved), which the program key's default value not naming
// `programFolder` tells, it instead stores the folder and turns the animated clock and
// start-with-Windows on, storing both.
void ApplyStoredOptions(MainContext& context, const std::filesystem::path& programFolder);

}  // namespace uptrail
