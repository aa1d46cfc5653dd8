#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace uptrail {

struct XmlAttribute {
    std::string_view name;  // the local name, without a namespace prefix
    std::string_view value;
};

// What a reader finds in a document, in its order; names are local names and every text
// is UTF-8, whatever the document's own encoding. A text may come in several pieces.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void StartElement(std::string_view name, std::span<const XmlAttribute> attributes) = 0;
    virtual void EndElement(std::string_view name) = 0;
    virtual void Text(std::string_view text) = 0;
};

struct XmlOutcome {
    bool wellFormed = true;
    std::string error;       // why the document was not read to its end
    std::uint64_t line = 0;  // where, counted from 1
};

// A real XML parser of the platform. It reads the document as UTF-8 whatever its
// declaration says, and refuses what is not well-formed, runaway entity expansion
// included. What it found before a fault has been handed on.
class XmlReader {
public:
    virtual ~XmlReader() = default;
    // The document is the pieces one after the other: a wrapping around a large document
    // costs no copy of it.
    [[nodiscard]] virtual XmlOutcome Read(std::span<const std::string_view> pieces,
                                          XmlHandler& handler) const = 0;
};

// The platform's own reader: expat off Windows, XmlLite on Windows.
const XmlReader& SystemXmlReader();

}  // namespace uptrail
