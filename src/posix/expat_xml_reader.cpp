#include "posix/expat_xml_reader.h"

#include <expat.h>

#include <limits>
#include <memory>
#include <vector>

namespace uptrail {
namespace {

// "prefix:name" reads as "name": the reader is not namespace-aware, and event exports put
// everything in one default namespace anyway.
std::string_view LocalName(const XML_Char* name) {
    const std::string_view full(name);
    const std::size_t colon = full.rfind(':');
    return colon == std::string_view::npos ? full : full.substr(colon + 1);
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    std::vector<XmlAttribute> found;
    for (const XML_Char** at = attributes; at[0] != nullptr; at += 2)
        found.push_back({LocalName(at[0]), at[1]});
    static_cast<XmlHandler*>(data)->StartElement(LocalName(name), found);
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
    static_cast<XmlHandler*>(data)->EndElement(LocalName(name));
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
    static_cast<XmlHandler*>(data)->Text(std::string_view(text, static_cast<std::size_t>(length)));
}

struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

}  // namespace

XmlOutcome ExpatXmlReader::Read(std::string_view document, XmlHandler& handler) const {
    const std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate("UTF-8"));
    if (!parser) return {false, "out of memory", 0};
    XML_SetUserData(parser.get(), &handler);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser.get(), OnText);
    // Handed on in pieces an int can count; the last says the document ends.
    constexpr std::size_t kPiece = std::numeric_limits<int>::max() / 2;
    do {
        const std::string_view piece = document.substr(0, kPiece);
        document.remove_prefix(piece.size());
        if (XML_Parse(parser.get(), piece.data(), static_cast<int>(piece.size()),
                      document.empty() ? XML_TRUE : XML_FALSE) != XML_STATUS_OK)
            return {false, XML_ErrorString(XML_GetErrorCode(parser.get())),
                    XML_GetCurrentLineNumber(parser.get())};
    } while (!document.empty());
    return {};
}

const XmlReader& SystemXmlReader() {
    static const ExpatXmlReader reader;
    return reader;
}

}  // namespace uptrail
