#include "app/commands/preference_toggles.h"

#include "app/commands/start_with_windows.h"
#include "app/tray_presence.h"
#include "base/duration_text.h"
#include "storage/settings_store.h"

namespace uptrail {
namespace {

// The animation level is the check mark plus this: 3 (all hands) when on, 2 when off.
constexpr int kAnimationLevelBase = 2;

void PutNumber(MainContext& context, const SettingName& name, int value) {
    Put(context.Settings(), name, std::to_string(value));
}

}  // namespace

void OnRightAutoClick(MainContext& context) {
    MainState& state = context.state;
    Registry& registry = context.platform.registry;
    // Setup puts the entry in the machine's list, which a standard user cannot change:
    // Windows' own prompt asks for an administrator, and a copy of the program started
    // with those rights removes the entry and exits. The check mark shows what is stored,
    // so a declined or failed removal leaves it on.
    if (!StoreStartWithWindows(registry, !state.options.mRightAuto.checked))
        static_cast<void>(context.platform.desktop.RunElevated(kStartWithWindowsOffSwitch));
    state.options.mRightAuto.checked = StartsWithWindows(registry);

    // A program that does not start by itself was started by hand and must stay reachable:
    // the icon may be left out only together with start-with-Windows.
    state.options.mRightWithout.enabled = state.options.mRightAuto.checked;
    if (!state.options.mRightAuto.checked && state.options.mRightWithout.checked)
        OnRightWithoutClick(context);
}

void OnRightWithoutClick(MainContext& context) {
    MainState& state = context.state;
    state.options.mRightWithout.checked = !state.options.mRightWithout.checked;
    PutNumber(context, setting::kHiddenIcon, BoolToFlag(state.options.mRightWithout.checked));
}

void OnRightAnimatedClick(MainContext& context) {
    MainState& state = context.state;
    state.options.mRightAnimated.checked = !state.options.mRightAnimated.checked;
    state.tray.animationLevel =
        BoolToFlag(state.options.mRightAnimated.checked) + kAnimationLevelBase;
    PutNumber(context, setting::kAnimation, state.tray.animationLevel);
}

void OnRightHideClick(MainContext& context) {
    RemoveTrayIcon(context.state.tray, context.platform.tray);
}

void OnRightExitClick(MainContext& context) { context.platform.window.Close(); }

}  // namespace uptrail
