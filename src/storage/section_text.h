#pragma once
#include <string>
#include <string_view>

namespace uptrail {

// A section of a text file is a header line "[name]" (blanks around it allowed, the name
// compared exactly) and the lines after it. These functions work on the whole file text
// in memory; section_file.h puts them on disk.

inline constexpr std::string_view kDefaultSectionDelimiter = "~";

// The section's lines up to the first empty line or line that starts with "[", joined with
// CR LF; comment lines (first character ";") left out, each delimiter turned into a Tab.
// An empty `section` reads from the top of the file. A missing section gives "".
std::string LoadSectionText(std::string_view fileText, std::string_view section,
                            std::string_view delimiter = kDefaultSectionDelimiter);

// The file text after replacing the section: the old block (header, body up to a line
// that is blank or starts with "[", trimmed) is taken out, runs of blank lines in the
// rewritten file fold to one, and the new block goes to the end of the file. `data` is
// cut into lines at `delimiter`; the lines stop at the first empty piece.
std::string SaveSectionText(std::string_view fileText, std::string_view section,
                            std::string_view data,
                            std::string_view delimiter = kDefaultSectionDelimiter);

}  // namespace uptrail
