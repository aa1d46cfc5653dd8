#include "posix/expat_xml_reader.h"

#include <expat.h>

#include <algorithm>
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

// What the callbacks reach: the handler, and one list of attributes used again for every
// element, since an export has millions.
struct Reading {
    XmlHandler& handler;
    std::vector<XmlAttribute> attributes;
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    Reading& reading = *static_cast<Reading*>(data);
    reading.attributes.clear();
    for (const XML_Char** at = attributes; at[0] != nullptr; at += 2)
        reading.attributes.push_back({LocalName(at[0]), at[1]});
    reading.handler.StartElement(LocalName(name), reading.attributes);
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
    static_cast<Reading*>(data)->handler.EndElement(LocalName(name));
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
    static_cast<Reading*>(data)->handler.Text(
        std::string_view(text, static_cast<std::size_t>(length)));
}

struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

}  // namespace

XmlOutcome ExpatXmlReader::Read(std::span<const std::string_view> pieces,
                                XmlHandler& handler) const {
    const std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate("UTF-8"));
    if (!parser) return {false, "out of memory", 0};
    Reading reading{handler, {}};
    XML_SetUserData(parser.get(), &reading);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser.get(), OnText);
    // Expat copies what it is given into a buffer of its own: pieces of a megabyte keep
    // that buffer small and warm, where the whole document would be copied to fresh memory.
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    std::size_t left = 0;
    for (const std::string_view piece : pieces) left += piece.size();
    const auto parse = [&](std::string_view part) {
        left -= part.size();
        return XML_Parse(parser.get(), part.data(), static_cast<int>(part.size()),
                         left == 0 ? XML_TRUE : XML_FALSE) == XML_STATUS_OK;
    };
    bool read = left != 0 || parse({});  // an empty document is expat's to refuse
    for (std::string_view piece : pieces) {
        for (; read && !piece.empty(); piece.remove_prefix(std::min(kPiece, piece.size())))
            read = parse(piece.substr(0, kPiece));
    }
    if (!read)
        return {false, XML_ErrorString(XML_GetErrorCode(parser.get())),
                XML_GetCurrentLineNumber(parser.get())};
    return {};
}

const XmlReader& SystemXmlReader() {
    static const ExpatXmlReader reader;
    return reader;
}

}  // namespace uptrail
