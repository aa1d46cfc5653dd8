#include "app/startup_options.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/commands/preference_toggles.h"
#include "app/commands/start_with_windows.h"
#include "base/duration_text.h"
#include "base/text_encoding.h"
#include "storage/registry_store.h"
#include "storage/settings_store.h"

namespace uptrail {
namespace {

// From this level on the clock draws its second hand: that is the animated clock.
constexpr int kAnimatedLevel = 3;

// Settings hold numbers as decimal text and are read by their leading number: blanks and
// a sign may come first, whatever follows the digits is ignored, and text without digits
// is 0. A hand-edited value of any length saturates instead of overflowing.
std::int64_t LeadingNumber(std::string_view text) {
    constexpr std::int64_t kBeyondAnyOption = std::int64_t{1} << 40;
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string_view::npos) return 0;
    const bool negative = text[at] == '-';
    if (text[at] == '-' || text[at] == '+') ++at;
    std::int64_t number = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        number = std::min(number * 10 + (text[at] - '0'), kBeyondAnyOption);
    return negative ? -number : number;
}

std::int64_t NumberSetting(MainContext& context, const SettingName& name) {
    return LeadingNumber(Get(context.Settings(), name));
}

// The installation's own section of the log and the program key's default value name the
// folder the program last started from; neither naming it (nothing at all on a first
// start) means a new installation or a moved one. The log's is what every account sees:
// the program key's value may have gone to another account's HKEY_CURRENT_USER. The
// key's alone still tells it for a log an earlier build kept.
bool IsFirstStartFrom(const SettingsStore& settings, const std::string& programFolder) {
    return Get(settings, setting::kInstalledFolder) != programFolder &&
           Get(settings, setting::kProgramFolder) != programFolder;
}

void StoreProgramFolder(const SettingsStore& settings, const std::string& programFolder) {
    Put(settings, setting::kProgramFolder, programFolder);
    Put(settings, setting::kInstalledFolder, programFolder);
}

// The handlers turn an unchecked option on and store it, exactly as a click would.
void TurnOnFirstStartOptions(MainContext& context, const std::string& programFolder) {
    StoreProgramFolder(context.Settings(), programFolder);
    context.state.options.mRightAnimated.checked = false;
    OnRightAnimatedClick(context);
    context.state.options.mRightAuto.checked = false;
    OnRightAutoClick(context);
}

// The icon may stay away only where the program starts with Windows; a copy that does not
// goes without re-creating its icon and stores that choice by one run of its handler.
void LoadIconOption(MainContext& context) {
    MainState& state = context.state;
    const bool startsWithWindows = state.options.mRightAuto.checked;
    state.options.mRightWithout.enabled = startsWithWindows;
    bool suppressed = true;
    if (startsWithWindows)
        suppressed = NumberSetting(context, setting::kHiddenIcon) > 0;
    else
        OnRightWithoutClick(context);
    state.options.mRightWithout.checked = suppressed;
}

void LoadAnimationLevel(MainContext& context) {
    MainState& state = context.state;
    const std::int64_t stored = NumberSetting(context, setting::kAnimation);
    state.tray.animationLevel = MaxOf(MinOf(stored, kMaxAnimationLevel), kMinAnimationLevel);
    state.options.mRightAnimated.checked = state.tray.animationLevel >= kAnimatedLevel;
}

}  // namespace

void HideTrayIconItems(MainState& state) {
    state.options.mRightWithout.visible = false;
    state.options.mRightHide.visible = false;
}

void ApplyStoredOptions(MainContext& context, const std::filesystem::path& programFolder) {
    const std::string folderText = AnsiFromPath(programFolder);
    if (IsFirstStartFrom(context.Settings(), folderText)) {
        TurnOnFirstStartOptions(context, folderText);
        return;
    }
    // Equal values are not written: usually this stores nothing.
    StoreProgramFolder(context.Settings(), folderText);
    context.state.options.mRightAuto.checked = StartsWithWindows(context.platform.registry);
    LoadIconOption(context);
    LoadAnimationLevel(context);
}

}  // namespace uptrail
