#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace uptrail {

// A document cut between the children of its root into parts that are documents of their
// own, so that several threads can read one part each: every part but the first opens
// with the root's start tag, every part but the last ends with its end tag. Read one
// after the other, the parts hand on what the whole does, the repeated root aside.
//
// A cut is only a guess at where a child starts (a comment or nested elements of the
// same name can look alike); it is right exactly when every part is well-formed, so a
// reader must read the whole document instead when a part is not.
class XmlParts {
public:
    // `text` is the document after its XML declaration. `wrapped` says that it has no root
    // of its own and is read inside `root`; a document whose prologue holds a type
    // declaration, or whose root is empty, is never cut.
    XmlParts(std::string_view text, bool wrapped, std::string_view root);

    // Up to `wanted` parts of about equal size, each cut made where the end tag of a child
    // named `child` is followed by the start tag of another; one part, the whole document,
    // where no such place is found.
    [[nodiscard]] std::vector<std::vector<std::string_view>> Cut(std::string_view child,
                                                                 std::size_t wanted) const;

    // The whole document as one part: inside `root` when it is wrapped.
    [[nodiscard]] std::vector<std::string_view> Whole() const {
        return Part(0, text_.size(), true, true);
    }

private:
    std::vector<std::string_view> Part(std::size_t from, std::size_t to, bool first,
                                       bool last) const;

    std::string_view text_;
    bool wrapped_;
    std::string rootStart_;    // the start tag each later part opens with
    std::string rootEnd_;      // the end tag each earlier part closes with
    std::size_t content_ = 0;  // where the root's content starts in the text
    bool cuttable_ = false;
};

}  // namespace uptrail
