#pragma once
#include "platform/xml_reader.h"

namespace uptrail {

// XmlReader on expat, which refuses runaway entity expansion by its own limits.
class ExpatXmlReader final : public XmlReader {
public:
    XmlOutcome Read(std::span<const std::string_view> pieces, XmlHandler& handler) const override;
};

}  // namespace uptrail
