#pragma once
#include <string>
#include <string_view>

namespace uptrail {

// Whether two names are equal without regard to ASCII letter case, as the profile
// functions compare section and key names, and as system identities and event providers
// are told apart. No locale is asked: every entry of a log may be compared.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// The text with its ASCII capitals made small, as SameNameIgnoringCase compares: a key for
// looking names up without regard to case.
std::string AsciiLowerCase(std::string_view text);

}  // namespace uptrail
