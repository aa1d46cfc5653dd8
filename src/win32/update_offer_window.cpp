#include "win32/update_offer_window.h"

namespace uptrail {

// Placeholder until the offer window lands: no offer is accepted.
bool ShowUpdateOfferWindow(HINSTANCE, std::string_view) { return false; }

}  // namespace uptrail
