#include "app/commands/preference_toggles.h"

#include "base/duration_text.h"
#include "base/version_info.h"
#include "storage/registry_store.h"
#include "storage/settings_store.h"

namespace uptrail {
namespace {

// The animation level is the check mark plus this: 3 (all hands) when on, 2 when off.
constexpr int kAnimationLevelBase = 2;

void PutNumber(MainContext& context, const SettingName& name, int value) {
    Put(context.Settings(), name, std::to_string(value));
}

// Without administrator rights the write and the delete land under HKEY_CURRENT_USER
// (RegWrite and RegRemoveValue see to that), whose Run key Windows honours as well. Should
// even that be refused, the option simply stays as it was at the next start.
void StoreStartWithWindows(Registry& registry, bool on) {
    if (on) {
        static_cast<void>(RegWrite(registry, RegistryRoot::kLocalMachine, kRunKeyPath,
                                   kVersion.description, StartWithWindowsCommand()));
    } else {
        static_cast<void>(RegRemoveValue(registry, RegistryRoot::kLocalMachine, kRunKeyPath,
                                         kVersion.description));
    }
}

}  // namespace

std::string StartWithWindowsCommand() {
    std::string command(kVersion.exeName);
    command += ".exe";
    return command;
}

bool StartsWithWindows(Registry& registry) {
    return RegRead(registry, RegistryRoot::kLocalMachine, kRunKeyPath, kVersion.description) ==
           StartWithWindowsCommand();
}

void OnRightAutoClick(MainContext& context) {
    MainState& state = context.state;
    state.options.mRightAuto.checked = !state.options.mRightAuto.checked;
    StoreStartWithWindows(context.platform.registry, state.options.mRightAuto.checked);

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
    MainState& state = context.state;
    if (state.tray.iconShown) context.platform.tray.Delete();
    // Cleared even when the delete is refused: the shell refuses it for an icon it no
    // longer has, and a clear flag lets the clock timer add the icon afresh.
    state.tray.iconShown = false;
}

void OnRightExitClick(MainContext& context) { context.platform.window.Close(); }

}  // namespace uptrail
