#include "report/event_export.h"

#include <algorithm>
#include <charconv>
#include <deque>
#include <future>
#include <optional>
#include <thread>
#include <vector>

#include "base/timestamp.h"
#include "report/xml_parts.h"
#include "sessionlog/past_sessions.h"

namespace uptrail {
namespace {

// A document need not be wrapped in one root: several <Event> elements one after the
// other are what a plain command-line export writes. Such a document is read inside this.
constexpr std::string_view kRoot = "Events";

// Below this size a document is read on one thread: a thread's start costs more than the
// reading it saves.
constexpr std::size_t kSmallestPart = std::size_t{4} << 20;
constexpr std::size_t kMostParts = 8;

std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return std::nullopt;
    unsigned value = 0;
    const char* first = text.data() + at;
    const auto [end, error] = std::from_chars(first, first + count, value);
    if (error != std::errc() || end != first + count) return std::nullopt;
    return static_cast<int>(value);
}

// "2026-12-04T07:00:00.1234567Z": the second, in UTC; the fraction is dropped.
std::optional<std::chrono::sys_seconds> ParseSystemTime(std::string_view text) {
    const auto year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    const auto hour = Digits(text, 11, 2), minute = Digits(text, 14, 2);
    const auto second = Digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || text[4] != '-' ||
        text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year{*year},
                                           std::chrono::month{static_cast<unsigned>(*month)},
                                           std::chrono::day{static_cast<unsigned>(*day)}};
    if (!date.ok() || *hour > 23 || *minute > 59 || *second > 60) return std::nullopt;
    return std::chrono::sys_days{date} + std::chrono::hours{*hour} + std::chrono::minutes{*minute} +
           std::chrono::seconds{*second};
}

// The local time at `utc`: the offset in force there, asked at the local time it gives.
DateTime LocalTimeOf(std::chrono::sys_seconds utc, const TimeZone& zone) {
    const DateTime asIfLocal{utc.time_since_epoch()};
    const DateTime guess = asIfLocal + zone.UtcOffset(asIfLocal);
    return asIfLocal + zone.UtcOffset(guess);
}

class ExportHandler final : public XmlHandler {
public:
    explicit ExportHandler(const TimeZone& zone) : zone_(zone) {}

    void StartElement(std::string_view name, std::span<const XmlAttribute> attributes) override {
        ++depth_;
        ++elements_;
        text_.clear();
        if (name == "Event") return BeginEvent();
        if (!inEvent_) return;
        if (name == "EventData" || name == "UserData") dataDepth_ = depth_;
        for (const XmlAttribute& attribute : attributes) {
            if (name == "Provider" && attribute.name == "Name") provider_ = attribute.value;
            if (name == "TimeCreated" && attribute.name == "SystemTime")
                time_ = ParseSystemTime(attribute.value);
        }
        leaf_ = true;
    }

    void EndElement(std::string_view name) override {
        if (inEvent_) {
            if (name == "Event")
                EndEvent();
            else if (name == "EventID")
                eventId_ = Number(text_);
            else if (name == "Computer")
                computer_ = text_;
            else if (name == "Channel")
                channel_ = text_;
            else if (dataDepth_ != 0 && depth_ > dataDepth_ && leaf_)
                values_.push_back(ValueText(text_));
            if (depth_ == dataDepth_) dataDepth_ = 0;
        }
        leaf_ = false;
        text_.clear();
        --depth_;
    }

    void Text(std::string_view text) override {
        if (inEvent_) text_.append(text);
    }

    EventExport Result() && { return std::move(found_); }
    bool SawAnElement() const { return elements_ > 0; }

    // Takes in what the handler of the document's next part found.
    void Append(ExportHandler&& next) {
        found_.events += next.found_.events;
        elements_ += next.elements_;
        found_.records.insert(found_.records.end(),
                              std::make_move_iterator(next.found_.records.begin()),
                              std::make_move_iterator(next.found_.records.end()));
        if (next.newest_ && (!newest_ || *newest_ <= *next.newest_)) {
            newest_ = next.newest_;
            found_.computer = std::move(next.found_.computer);
        }
    }

private:
    static std::optional<unsigned> Number(std::string_view text) {
        while (!text.empty() && (text.front() == ' ' || text.front() == '\n'))
            text.remove_prefix(1);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\n')) text.remove_suffix(1);
        unsigned value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
        return value;
    }

    // A time among the data (a start, a sleep, a wake) is UTC as the record's own; it is
    // handed on in local time, as the event-log API's reading hands it on.
    std::string ValueText(const std::string& text) const {
        if (text.size() < 20 || text.back() != 'Z') return text;
        const auto utc = ParseSystemTime(text);
        return utc ? FormatTimestamp(LocalTimeOf(*utc, zone_)) : text;
    }

    void BeginEvent() {
        inEvent_ = true;
        provider_.clear();
        computer_.clear();
        channel_.clear();
        values_.clear();
        eventId_.reset();
        time_.reset();
        dataDepth_ = 0;
    }

    void EndEvent() {
        inEvent_ = false;
        ++found_.events;
        if (!eventId_ || !time_) return;
        // Any record of the System log shows the PC running: the last sign of life of a
        // session that crashed.
        auto event = SystemEventOf(provider_, *eventId_);
        if (!event && channel_ == "System") event = ShutdownEvent::kActivity;
        if (!event) return;
        const DateTime local = LocalTimeOf(*time_, zone_);
        if (!newest_ || *newest_ <= local) {
            newest_ = local;
            found_.computer = computer_;
        }
        // Most records are only signs of life: they take no values, and the list of values
        // keeps its memory for the next record rather than each such record holding some.
        if (*event == ShutdownEvent::kActivity) {
            found_.records.push_back({*event, local, {}});
        } else {
            found_.records.push_back({*event, local, std::move(values_)});
            values_.clear();
        }
    }

    const TimeZone& zone_;
    EventExport found_;
    bool inEvent_ = false;
    bool leaf_ = false;  // no element started inside the one now open
    std::size_t depth_ = 0;
    std::size_t elements_ = 0;
    std::size_t dataDepth_ = 0;  // the depth of EventData or UserData, while inside it
    std::string text_;
    std::string provider_;
    std::string computer_;
    std::string channel_;
    std::vector<std::string> values_;
    std::optional<unsigned> eventId_;
    std::optional<std::chrono::sys_seconds> time_;
    std::optional<DateTime> newest_;  // the time of the newest record read
};

void AppendUtf8(std::string& text, char32_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16 after its byte order mark, as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8FromUtf16(std::string_view bytes, bool bigEndian) {
    const auto unit = [&](std::size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    std::string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        char32_t c = unit(at);
        if (c >= 0xD800 && c <= 0xDBFF && at + 3 < bytes.size()) {
            const char32_t low = unit(at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        AppendUtf8(text, c >= 0xD800 && c <= 0xDFFF ? char32_t{0xFFFD} : c);
    }
    return text;
}

// The document as UTF-8 without its XML declaration (whose encoding no longer holds), in
// one root element: several <Event> elements one after the other are what a plain
// command-line export writes. A UTF-8 export, of a hundred megabytes, is not copied.
class NormalisedDocument {
public:
    explicit NormalisedDocument(std::string_view document) {
        if (document.starts_with("\xFF\xFE") || document.starts_with("\xFE\xFF")) {
            converted_ = Utf8FromUtf16(document.substr(2), document[0] == '\xFE');
            text_ = converted_;
        } else {
            text_ = document.starts_with("\xEF\xBB\xBF") ? document.substr(3) : document;
        }
        const std::size_t declaration = text_.find("<?xml");
        if (declaration != std::string_view::npos &&
            text_.find_first_not_of(" \t\r\n") == declaration) {
            const std::size_t end = text_.find("?>", declaration);
            text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 2);
        }
        parts_.emplace(text_, StartsWithAnEvent(), kRoot);
    }
    NormalisedDocument(const NormalisedDocument&) = delete;  // its text may be its own
    NormalisedDocument& operator=(const NormalisedDocument&) = delete;

    std::vector<std::string_view> Pieces() const { return parts_->Whole(); }

    std::vector<std::vector<std::string_view>> Parts(std::size_t wanted) const {
        return parts_->Cut("Event", wanted);
    }

private:
    bool StartsWithAnEvent() const {
        for (std::size_t at = text_.find('<'); at != std::string_view::npos;
             at = text_.find('<', at + 1)) {
            const std::string_view rest = text_.substr(at + 1);
            if (rest.starts_with('?') || rest.starts_with('!')) continue;
            return rest.starts_with("Event>") || rest.starts_with("Event ") ||
                   rest.starts_with("Event\r") || rest.starts_with("Event\n");
        }
        return false;
    }

    std::string converted_;
    std::string_view text_;
    std::optional<XmlParts> parts_;  // the tags the parts' pieces point into
};

// The parts read at once, one thread each, or nothing when one of them is not well-formed
// (then a cut fell where no <Event> begins, or the document itself is at fault).
std::optional<EventExport> ReadParts(const std::vector<std::vector<std::string_view>>& parts,
                                     const XmlReader& reader, const TimeZone& zone) {
    std::deque<ExportHandler> handlers;
    for (std::size_t i = 0; i < parts.size(); ++i) handlers.emplace_back(zone);
    std::vector<std::future<XmlOutcome>> later;
    for (std::size_t i = 1; i < parts.size(); ++i)
        later.push_back(
            std::async(std::launch::async, [&, i] { return reader.Read(parts[i], handlers[i]); }));
    bool wellFormed = reader.Read(parts[0], handlers[0]).wellFormed;
    for (std::future<XmlOutcome>& outcome : later)
        wellFormed = outcome.get().wellFormed && wellFormed;
    if (!wellFormed) return std::nullopt;
    for (std::size_t i = 1; i < parts.size(); ++i) handlers[0].Append(std::move(handlers[i]));
    return std::move(handlers[0]).Result();
}

}  // namespace

EventExport ReadEventExportInParts(std::string_view document, const XmlReader& reader,
                                   const TimeZone& zone, std::size_t parts) {
    const NormalisedDocument normalised(document);
    if (parts > 1) {
        if (auto found = ReadParts(normalised.Parts(parts), reader, zone)) return *std::move(found);
    }
    ExportHandler handler(zone);
    XmlOutcome outcome = reader.Read(normalised.Pieces(), handler);
    // Some readers take text without any element for an empty document.
    if (outcome.wellFormed && !handler.SawAnElement())
        outcome = {false, "it holds no XML element", 1};
    EventExport found = std::move(handler).Result();
    found.xml = std::move(outcome);
    return found;
}

EventExport ReadEventExport(std::string_view document, const XmlReader& reader,
                            const TimeZone& zone) {
    const std::size_t processors = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t parts = std::min({processors, kMostParts, document.size() / kSmallestPart});
    return ReadEventExportInParts(document, reader, zone, parts);
}

}  // namespace uptrail
