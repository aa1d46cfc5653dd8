#pragma once
#include <string>
#include <string_view>

namespace uptrail {

// A section of a text file is a header line "[name]" (blanks around it allowed, the name
// compared exactly) and its body: the lines after it up to the next header line (any line
// that reads "[...]" without the blanks around it) or the end of the file. Blank lines
// inside a body are no part of its content. These functions work on the whole file text
// in memory; section_file.h puts them on disk.

inline constexpr std::string_view kDefaultSectionDelimiter = "~";

// Whether a line, as read from the file, is the header of some section. A line that opens
// a bracket without closing it is a damaged line of a body, as the profile functions read
// it too.
bool IsSectionHeader(std::string_view line);

// The section's lines joined with CR LF, without blank lines and comment lines (first
// character ";"), each delimiter turned into a Tab. An empty `section` reads from the top
// of the file. A missing section gives "".
std::string LoadSectionText(std::string_view fileText, std::string_view section,
                            std::string_view delimiter = kDefaultSectionDelimiter);

// The file text after replacing the section: the old block (header and body, but for the
// blank lines in front of the next header) is taken out, runs of blank lines in the
// rewritten file fold to one, and the new block goes to the end of the file. `data` is
// cut into lines at `delimiter` and at line breaks; blank lines are left out.
std::string SaveSectionText(std::string_view fileText, std::string_view section,
                            std::string_view data,
                            std::string_view delimiter = kDefaultSectionDelimiter);

// Sets one key line of the section in the file text, found as LoadSectionText finds it, so
// that a reader of the section sees the line where it was put. As the profile functions
// set a key: the first line whose key (the text before its first "=", without the blanks
// around it) is `key`, compared without regard to ASCII case, has everything after that
// "=" replaced by `value`; without one, key "=" value is added after the body's last line
// that is not blank; without the section, the section is added at the end of the file.
// Every other byte stays as it was. False when the text was left unchanged (the value was
// stored already).
bool SetSectionValue(std::string& fileText, std::string_view section, std::string_view key,
                     std::string_view value);

// Puts `lines` (each ended by CR LF) first in the section's body, right after its header,
// or adds the section with them at the end of the file. Every other byte stays as it was.
void PrependSectionLines(std::string& fileText, std::string_view section, std::string_view lines);

}  // namespace uptrail
