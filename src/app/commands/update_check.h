#pragma once
#include <chrono>
#include <compare>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/main_context.h"
#include "platform/http_client.h"
#include "platform/registry.h"

namespace uptrail {

// The update description is a small JavaScript file on the maker's site that assigns the
// newest published version's text, and nothing else:
//
//     var version = "5.00.100";
//
// Blanks and line ends may stand between the parts, "var" and the semicolon may be left
// out, single quotes do as well as double ones, and a UTF-8 byte order mark is skipped.
// The version is digits and dots, every part at least one digit, at most
// kMaxVersionLength characters. Anything else is a malformed description.
inline constexpr std::size_t kMaxVersionLength = 32;

// The version text a description assigns; nothing when the description is malformed.
std::optional<std::string> ParseUpdateDescription(std::string_view description);

// Orders two version texts of digits and dots by their numbers, part by part from the
// left; a missing part counts as 0, so 5.00.100 is newer than 5.00.26 and 5.0 equals 5.00.0.
std::strong_ordering CompareVersions(std::string_view left, std::string_view right);

// The offer's rich text: the line "Version <version> is now available to download:" and
// under it the setup address in blue, underlined. Both texts are escaped, so nothing in
// them can change the formatting.
std::string UpdateOfferRichText(std::string_view newVersion, std::string_view setupAddress);

// The address the update description is read from: "UpdateAddress" of the program's key
// when set, else the site's.
std::string UpdateAddress(Registry& registry);

// How long the check may take altogether: long enough for a slow line, short enough that
// a user waiting for the answer to a silent server is told soon.
inline constexpr std::chrono::seconds kUpdateCheckTimeout{5};

enum class UpdateCheckResult {
    kNotAccessible,  // unreachable, an HTTP error, or a malformed description
    kCurrent,        // the published version is not newer than this one
    kNewer,
};

struct UpdateCheck {
    UpdateCheckResult result = UpdateCheckResult::kNotAccessible;
    std::string publishedVersion;  // set for kNewer
};

// What the response to the description's request says, held against `localVersion`.
UpdateCheck EvaluateUpdateResponse(const HttpResponse& response, std::string_view localVersion);

// "Check for &Update...": starts reading the update description in the background and
// disables the item until the outcome is shown. While a check runs, a request for another
// (the command can also arrive by number) starts nothing.
void OnRightUpdateClick(MainContext& context);

// The description's response has come: the item is enabled again, and the outcome is
// reported, or the newer version's setup program offered and its address opened when the
// user chooses "Download".
void OnUpdateCheckFinished(MainContext& context, const HttpResponse& response);

}  // namespace uptrail
