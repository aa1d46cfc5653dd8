#pragma once
#include <string>
#include <string_view>

#include "app/main_context.h"
#include "base/version_info.h"

namespace uptrail {

// "About " and the program name with its trademark sign.
std::string AboutCaption(const VersionRecord& version = kVersion);

// The About box's text: the description one sentence a line, the version, `extra` when
// given, a wide blank line that keeps the box from getting narrow, the legal notice, the
// site address and, when the comments name one, the mail address.
std::string AboutText(const VersionRecord& version = kVersion, std::string_view extra = {});

// "&About..." and a double click on the tray icon.
void OnRightAboutClick(MainContext& context);

}  // namespace uptrail
