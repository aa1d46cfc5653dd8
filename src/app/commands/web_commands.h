#pragma once
#include <string>
#include <string_view>

#include "app/main_context.h"
#include "base/version_info.h"

namespace uptrail {

// The maker's addresses, built each time from the version record. Its comments field holds
// the site address, ", ", and a "mailto:" address.
std::string_view SiteAddress(const VersionRecord& version = kVersion);
std::string_view MailAddress(const VersionRecord& version = kVersion);  // empty when not given

// site/Products/<title>/
std::string ProductPageAddress(const VersionRecord& version = kVersion);
// mailto:...?subject=<title>; the title needs no encoding.
std::string FeedbackAddress(const VersionRecord& version = kVersion);
// site/Products/<title>/<file name>_Setup.exe
std::string SetupAddress(const VersionRecord& version = kVersion);
// site/Products/<title>/<file name>.js, where the newest published version is described.
std::string UpdateDescriptionAddress(const VersionRecord& version = kVersion);

// "We&bsite...": the program's page in the user's browser.
void OnRightSiteClick(MainContext& context);
// "&Feedback...": a new mail to the maker in the user's mail program.
void OnRightMailClick(MainContext& context);

}  // namespace uptrail
