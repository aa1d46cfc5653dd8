#include "app/commands/update_check.h"

#include <algorithm>
#include <utility>

#include "app/commands/web_commands.h"
#include "base/settings_key.h"
#include "base/version_info.h"
#include "base/version_text.h"
#include "storage/registry_store.h"
#include "storage/setting_names.h"

namespace uptrail {
namespace {

constexpr int kHttpOk = 200;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kNotAccessibleText =
    "Remote resource is not accessible now.\r\nPlease try later.";
constexpr std::string_view kUpToDateText = "Your copy of the application is up to date.";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads a description from the front, one token at a time.
class DescriptionReader {
public:
    explicit DescriptionReader(std::string_view text) : rest_(text) {}

    void SkipBlanks() {
        while (!rest_.empty() && IsBlank(rest_.front())) rest_.remove_prefix(1);
    }
    bool Take(std::string_view token) {
        if (!rest_.starts_with(token)) return false;
        rest_.remove_prefix(token.size());
        return true;
    }
    // A keyword counts only when a blank follows, so "variable" is not "var" + "iable".
    bool TakeWord(std::string_view word) {
        if (rest_.size() <= word.size() || !rest_.starts_with(word) || !IsBlank(rest_[word.size()]))
            return false;
        rest_.remove_prefix(word.size());
        return true;
    }
    // The text up to the closing quote that matches the opening one.
    std::optional<std::string_view> TakeQuoted() {
        if (rest_.empty() || (rest_.front() != '"' && rest_.front() != '\'')) return std::nullopt;
        const char quote = rest_.front();
        const std::size_t end = rest_.find(quote, 1);
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view quoted = rest_.substr(1, end - 1);
        rest_.remove_prefix(end + 1);
        return quoted;
    }
    bool AtEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

bool IsVersionText(std::string_view text) {
    if (text.empty() || text.size() > kMaxVersionLength) return false;
    if (!IsDigit(text.front()) || !IsDigit(text.back())) return false;
    if (text.find("..") != std::string_view::npos) return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c) || c == '.'; });
}

// The next dot-separated part of a version, taken off the front; empty once none is left.
std::string_view TakePart(std::string_view& version) {
    const std::size_t dot = version.find('.');
    const std::string_view part = version.substr(0, dot);
    version = dot == std::string_view::npos ? std::string_view{} : version.substr(dot + 1);
    return part;
}

// Compares two runs of digits by value, however long they are: without leading zeros the
// longer number is the larger, and numbers of one length compare as text.
std::strong_ordering CompareNumbers(std::string_view left, std::string_view right) {
    const auto significant = [](std::string_view digits) {
        const std::size_t first = digits.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view{} : digits.substr(first);
    };
    left = significant(left);
    right = significant(right);
    if (left.size() != right.size()) return left.size() <=> right.size();
    return left.compare(right) <=> 0;
}

// Rich text takes "\", "{" and "}" literally only when escaped; bytes outside printable
// ASCII are written as hexadecimal escapes of the ANSI code page.
std::string RtfEscape(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            escaped += '\\';
            escaped += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            escaped += "\\'";
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0xF];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

void ShowUpdateOutcome(Desktop& desktop, const UpdateCheck& check) {
    switch (check.result) {
    case UpdateCheckResult::kNotAccessible:
        desktop.ShowMessage(kNotAccessibleText, kVersion.title, MessageIcon::kStop);
        return;
    case UpdateCheckResult::kCurrent:
        desktop.ShowMessage(kUpToDateText, kVersion.title, MessageIcon::kInformation);
        return;
    case UpdateCheckResult::kNewer: {
        const std::string setup = SetupAddress();
        if (desktop.ShowUpdateOffer(UpdateOfferRichText(check.publishedVersion, setup)))
            desktop.OpenAddress(setup);
        return;
    }
    }
}

}  // namespace

std::optional<std::string> ParseUpdateDescription(std::string_view description) {
    DescriptionReader reader(description);
    reader.Take(kByteOrderMark);
    reader.SkipBlanks();
    if (reader.TakeWord("var")) reader.SkipBlanks();
    if (!reader.Take("version")) return std::nullopt;
    reader.SkipBlanks();
    if (!reader.Take("=")) return std::nullopt;
    reader.SkipBlanks();
    const std::optional<std::string_view> version = reader.TakeQuoted();
    if (!version || !IsVersionText(*version)) return std::nullopt;
    reader.SkipBlanks();
    reader.Take(";");
    reader.SkipBlanks();
    if (!reader.AtEnd()) return std::nullopt;
    return std::string(*version);
}

std::strong_ordering CompareVersions(std::string_view left, std::string_view right) {
    while (!left.empty() || !right.empty()) {
        const std::strong_ordering order = CompareNumbers(TakePart(left), TakePart(right));
        if (order != 0) return order;
    }
    return std::strong_ordering::equal;
}

std::string UpdateOfferRichText(std::string_view newVersion, std::string_view setupAddress) {
    return "{\\rtf1\\ansi{\\colortbl;\\red0\\green0\\blue255;}\\f0\\fs16 Version " +
           RtfEscape(newVersion) + " is now available to download:\\par \\cf1{\\ul " +
           RtfEscape(setupAddress) + "}}";
}

std::string UpdateAddress(Registry& registry) {
    std::string stored = RegRead(registry, RegistryRoot::kLocalMachine, SettingsKeyPath(),
                                 setting::kUpdateAddress.key);
    return stored.empty() ? UpdateDescriptionAddress() : stored;
}

UpdateCheck EvaluateUpdateResponse(const HttpResponse& response, std::string_view localVersion) {
    if (response.error != kOk || response.status != kHttpOk) return {};
    std::optional<std::string> published = ParseUpdateDescription(response.body);
    if (!published) return {};
    if (CompareVersions(*published, localVersion) <= 0) return {UpdateCheckResult::kCurrent, {}};
    return {UpdateCheckResult::kNewer, std::move(*published)};
}

void OnRightUpdateClick(MainContext& context) {
    MenuItemState& item = context.state.options.mRightUpdate;
    if (!item.enabled) return;
    if (context.platform.http.StartGet(UpdateAddress(context.platform.registry),
                                       kUpdateCheckTimeout)) {
        item.enabled = false;
        return;
    }
    // A request that cannot even start has no answer to wait for.
    ShowUpdateOutcome(context.platform.desktop, {});
}

void OnUpdateCheckFinished(MainContext& context, const HttpResponse& response) {
    context.state.options.mRightUpdate.enabled = true;
    ShowUpdateOutcome(context.platform.desktop,
                      EvaluateUpdateResponse(response, VersionText(true)));
}

}  // namespace uptrail
