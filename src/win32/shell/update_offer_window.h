#pragma once
#include <windows.h>

#include <string_view>

namespace uptrail {

// Shows the update offer: its rich text, with the buttons "Cancel" and "Download", and
// waits for the user. True when the user chose "Download".
[[nodiscard]] bool ShowUpdateOfferWindow(HINSTANCE instance, std::string_view richText);

}  // namespace uptrail
