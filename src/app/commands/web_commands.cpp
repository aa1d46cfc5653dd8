#include "app/commands/web_commands.h"

namespace uptrail {
namespace {

constexpr std::string_view kCommentsSeparator = ", ";

}  // namespace

std::string_view SiteAddress(const VersionRecord& version) {
    return version.comments.substr(0, version.comments.find(kCommentsSeparator));
}

std::string_view MailAddress(const VersionRecord& version) {
    const std::size_t split = version.comments.find(kCommentsSeparator);
    if (split == std::string_view::npos) return {};
    return version.comments.substr(split + kCommentsSeparator.size());
}

std::string ProductPageAddress(const VersionRecord& version) {
    return std::string(SiteAddress(version)) + "/Products/" + std::string(version.title) + "/";
}

std::string FeedbackAddress(const VersionRecord& version) {
    return std::string(MailAddress(version)) + "?subject=" + std::string(version.title);
}

std::string SetupAddress(const VersionRecord& version) {
    return ProductPageAddress(version) + std::string(version.exeName) + "_Setup.exe";
}

std::string UpdateDescriptionAddress(const VersionRecord& version) {
    return ProductPageAddress(version) + std::string(version.exeName) + ".js";
}

// What the shell makes of an address is its business: a failure to open one is silent.
void OnRightSiteClick(MainContext& context) {
    context.platform.desktop.OpenAddress(ProductPageAddress());
}

void OnRightMailClick(MainContext& context) {
    // Without a mail address there is nobody to write to.
    if (MailAddress().empty()) return;
    context.platform.desktop.OpenAddress(FeedbackAddress());
}

}  // namespace uptrail
