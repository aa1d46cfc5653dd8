#include "app/log_change.h"

#include <utility>

namespace uptrail {
namespace {

LogChange MakeChange(MainContext& context, std::string kind,
                     std::function<void(const SettingsStore&)> apply,
                     std::function<void()> written) {
    // The settings are taken afresh at every run: the log may have moved meanwhile.
    return LogChange{std::move(kind),
                     [&context, apply = std::move(apply)](FileSystem& staged) {
                         apply(context.Settings().On(staged));
                     },
                     std::move(written)};
}

}  // namespace

bool ChangeLog(MainContext& context, std::string kind,
               std::function<void(const SettingsStore& settings)> apply,
               std::function<void()> written, WriteHaste haste) {
    return context.writer.Run(
        context.state.session.logFile,
        MakeChange(context, std::move(kind), std::move(apply), std::move(written)), haste);
}

bool ChangeLogOnce(MainContext& context, std::function<void(const SettingsStore& settings)> apply) {
    LogChange change = MakeChange(context, {}, std::move(apply), {});
    change.keepWhenRefused = false;
    return context.writer.Run(context.state.session.logFile, std::move(change));
}

}  // namespace uptrail
