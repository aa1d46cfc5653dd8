#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace uptrail {

// The profile file format (sections of key=value lines) as the platform's private-profile
// functions read and edit it. Everything here works on the file's raw ANSI bytes and does
// no I/O, so the exact behaviour, byte for byte, is testable anywhere.
//
// How the platform sees a file:
// - A line ends at CR LF, at a lone CR or at a lone LF; blank lines are ignored.
// - A header line starts, after blanks, with "[" and has a "]" later on the line; the
//   section name is the text between them without surrounding blanks.
// - A line that starts, after blanks, with ";" is a comment: never a key, never a header.
// - Any other line with an "=" is a key line: the key is the text before the first "=",
//   the value the text after it, both without surrounding blanks.
// - Names of sections and keys compare without regard to (ASCII) case; the first matching
//   section wins, and within it the first matching key.
// - Lines in front of the first header belong to no section.

// Characters, the terminating zero included, of the buffer ReadProfile hands the platform.
inline constexpr std::size_t kProfileBufferSize = 32767;

// What GetPrivateProfileStringA copies into a buffer of `bufferSize` characters for `key`
// in `section`: the value, without one pair of enclosing quotes (" or '), cut to
// bufferSize - 1 characters. Nothing when the section or the key is missing.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key,
                                            std::size_t bufferSize = kProfileBufferSize);

// What GetPrivateProfileStringA copies in place of a missing value: the default, cut to the
// buffer, without trailing blanks.
std::string ProfileDefaultValue(std::string_view defaultValue,
                                std::size_t bufferSize = kProfileBufferSize);

// The file's bytes after WritePrivateProfileStringA(section, key, value). The file is edited
// in place: a new key line goes right after the section's last key line, a new section goes
// at the end, and every other byte stays as it was. A value written to an existing key
// replaces everything after its "=" up to the line end, blanks included; the key as spelt
// and whatever stands before the "=" stay. (The platform keeps the blanks around the old
// value, so a blank value rewritten with a blank grows by one at every write.) An empty
// `text` stands for a missing file, which the platform creates.
std::string SetProfileValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value);

// SetProfileValue on `text` itself for a key that is there: what follows its "=" is
// replaced and no other byte moves, so a heartbeat writes back the very buffer it read instead
// of a copy of the file. False, with `text` unchanged, when the section or key is missing.
bool ReplaceProfileValueInPlace(std::string& text, std::string_view section, std::string_view key,
                                std::string_view value);

// The file's bytes after WritePrivateProfileStringA(section, key, NULL): the key's line is
// removed; a missing section or key leaves the bytes as they are.
std::string DeleteProfileKey(std::string_view text, std::string_view section, std::string_view key);

// The file's bytes after WritePrivateProfileStringA(section, NULL, ...): the header and
// every line up to the next header are removed.
std::string DeleteProfileSection(std::string_view text, std::string_view section);

}  // namespace uptrail
