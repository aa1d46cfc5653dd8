#include "app/commands/about_box.h"

#include "base/version_text.h"
#include "storage/text_lines.h"

namespace uptrail {
namespace {

constexpr std::string_view kCommentsSeparator = ", ";
constexpr std::size_t kMinimumWidthInBlanks = 60;

// One sentence a line: every ". " ends a line after its full stop.
std::string SentencePerLine(std::string_view description) {
    std::string text;
    std::size_t start = 0;
    for (std::size_t found; (found = description.find(". ", start)) != std::string_view::npos;
         start = found + 2)
        text.append(description.substr(start, found + 1 - start)).append(kCrLf);
    text.append(description.substr(start));
    return text;
}

}  // namespace

std::string AboutCaption(const VersionRecord& version) {
    return "About " + std::string(version.legalTrademarks);
}

std::string AboutText(const VersionRecord& version, std::string_view extra) {
    const std::string_view comments = version.comments;
    const std::size_t split = comments.find(kCommentsSeparator);
    const std::string_view site = comments.substr(0, split);

    std::string text = SentencePerLine(version.description);
    text.append(kCrLf).append("Version ").append(VersionText(false, version)).append(kCrLf);
    if (!extra.empty()) text.append(extra).append(kCrLf);
    text.append(kMinimumWidthInBlanks, ' ').append(kCrLf);
    text.append(version.legalCopyright).append(kCrLf);
    text.append(site).append(kCrLf);
    if (split != std::string_view::npos)
        text.append(comments.substr(split + kCommentsSeparator.size())).append(kCrLf);
    return text;
}

void OnRightAboutClick(MainContext& context) {
    context.platform.desktop.ShowAbout(AboutText(), AboutCaption());
}

}  // namespace uptrail
