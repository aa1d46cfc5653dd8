#include "report/xml_parts.h"

#include <algorithm>

namespace uptrail {
namespace {

constexpr std::string_view kNameEnds = " \t\r\n/>";

// Where the start tag opening at `at` ends (its ">"), or npos: a ">" inside a quoted
// attribute value does not end it.
std::size_t TagEnd(std::string_view text, std::size_t at) {
    char quote = 0;
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return std::string_view::npos;
}

// Where the root's start tag opens, after comments and processing instructions; npos when
// there is none or a type declaration comes first (its entities and default attributes
// would be missing from the later parts).
std::size_t RootStart(std::string_view text) {
    for (std::size_t at = text.find('<'); at != std::string_view::npos;) {
        const std::string_view rest = text.substr(at);
        std::string_view closing;
        if (rest.starts_with("<?"))
            closing = "?>";
        else if (rest.starts_with("<!--"))
            closing = "-->";
        else if (rest.starts_with("<!"))
            return std::string_view::npos;
        else
            return at;
        const std::size_t end = text.find(closing, at + 2);
        if (end == std::string_view::npos) return end;
        at = text.find('<', end + closing.size());
    }
    return std::string_view::npos;
}

// "<name>" or "</name>", built by appending: GCC 12 warns wrongly of overlapping copies in
// the string concatenation that would say the same.
std::string Tag(std::string_view opening, std::string_view name) {
    std::string tag(opening);
    tag.append(name);
    tag.push_back('>');
    return tag;
}

// Whether, after blanks, an element named `child` starts at `at`.
bool OpensChild(std::string_view text, std::size_t at, std::string_view child) {
    at = text.find_first_not_of(" \t\r\n", at);
    if (at == std::string_view::npos || text[at] != '<') return false;
    const std::string_view name = text.substr(at + 1, child.size());
    const std::size_t after = at + 1 + child.size();
    return name == child && after < text.size() &&
           kNameEnds.find(text[after]) != std::string_view::npos;
}

}  // namespace

XmlParts::XmlParts(std::string_view text, bool wrapped, std::string_view root)
    : text_(text), wrapped_(wrapped) {
    if (wrapped) {
        rootStart_ = Tag("<", root);
        rootEnd_ = Tag("</", root);
        cuttable_ = true;
        return;
    }
    const std::size_t start = RootStart(text);
    if (start == std::string_view::npos) return;
    const std::size_t end = TagEnd(text, start);
    if (end == std::string_view::npos || text[end - 1] == '/') return;
    const std::string_view name =
        text.substr(start + 1, text.find_first_of(kNameEnds, start + 1) - (start + 1));
    rootStart_ = text.substr(start, end + 1 - start);
    rootEnd_ = Tag("</", name);
    content_ = end + 1;
    cuttable_ = !name.empty();
}

std::vector<std::vector<std::string_view>> XmlParts::Cut(std::string_view child,
                                                         std::size_t wanted) const {
    std::vector<std::size_t> cuts{0};
    const std::string closing = Tag("</", child);
    for (std::size_t part = 1; cuttable_ && part < wanted; ++part) {
        const std::size_t from =
            std::max({content_, cuts.back() + 1, text_.size() / wanted * part});
        std::size_t at = text_.find(closing, from);
        while (at != std::string_view::npos && !OpensChild(text_, at + closing.size(), child))
            at = text_.find(closing, at + 1);
        if (at == std::string_view::npos) break;
        cuts.push_back(text_.find('<', at + closing.size()));
    }
    cuts.push_back(text_.size());
    std::vector<std::vector<std::string_view>> parts;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i)
        parts.push_back(Part(cuts[i], cuts[i + 1], i == 0, i + 2 == cuts.size()));
    return parts;
}

std::vector<std::string_view> XmlParts::Part(std::size_t from, std::size_t to, bool first,
                                             bool last) const {
    const std::string_view content = text_.substr(from, to - from);
    if (wrapped_) return {rootStart_, content, rootEnd_};
    if (first && last) return {content};
    if (first) return {content, rootEnd_};
    if (last) return {rootStart_, content};
    return {rootStart_, content, rootEnd_};
}

}  // namespace uptrail
