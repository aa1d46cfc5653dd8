#pragma once
#include "platform/xml_reader.h"

namespace uptrail {

// XmlReader on expat, which refuses runaway entity expansion by its own limits.
class ExpatXmlReader final : public XmlReader {
public:
    XmlOutcome Read(std::string_view document, XmlHandler& handler) const override;
};

}  // namespace uptrail
