#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "report/plain_locale.h"
#include "report/report_run.h"
#include "storage/text_lines.h"
#include "support/memory_file_system.h"

namespace uptrail::fuzz {

void Require(bool holds, const char* what, std::string_view detail) {
    if (holds) return;
    // Line ends, tabs and bytes outside ASCII are what these inputs turn on: shown escaped.
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    for (const char c : detail) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\n')
            std::fputs("\\n\n", stderr);
        else if (byte == '\\')
            std::fputs("\\\\", stderr);
        else if (byte < 0x20 || byte >= 0x7f)
            std::fprintf(stderr, "\\x%02x", byte);
        else
            std::fputc(byte, stderr);
    }
    std::fputc('\n', stderr);
    std::abort();
}

ReportResult RunReportInMemory(const std::vector<std::string>& arguments, const std::string* log) {
    const std::filesystem::path logFile{std::string(kLogPath)};
    testing::MemoryFileSystem files;
    files.AddFolder(logFile.parent_path());
    if (log != nullptr) files.AddFile(logFile, *log);
    PlainLocale locale;
    const ReportEnvironment environment{
        .files = files,
        .locale = locale,
        .now = kNow,
        .bootTime = [] { return kNow - std::chrono::hours{1}; },
        .defaultLogFile = [logFile] { return std::optional<std::filesystem::path>(logFile); },
        .ownSystem = {},
        .drives = {},
        .prepareOutput = {},
        .readFile = {},
    };
    std::vector<CommandArgument> commandArguments;
    for (const std::string& text : arguments) commandArguments.push_back({text, text});
    ReportResult result;
    result.exitCode = RunReport(commandArguments, environment, result.out, result.err);
    return result;
}

namespace {

// A recursive-descent reader of RFC 8259's grammar. Depth is bounded so that a deeply
// nested text cannot overflow the stack of the validator itself.
class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    bool Document() {
        SkipBlanks();
        if (!Value(0)) return false;
        SkipBlanks();
        return at_ == text_.size();
    }

private:
    static constexpr int kMaxDepth = 200;

    bool More() const { return at_ < text_.size(); }
    unsigned char Peek() const { return static_cast<unsigned char>(text_[at_]); }
    bool Take(char expected) {
        if (!More() || text_[at_] != expected) return false;
        ++at_;
        return true;
    }
    void SkipBlanks() {
        while (More() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r'))
            ++at_;
    }
    bool Literal(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    bool Value(int depth) {
        if (depth > kMaxDepth || !More()) return false;
        switch (Peek()) {
        case '{': return Object(depth + 1);
        case '[': return Array(depth + 1);
        case '"': return String();
        case 't': return Literal("true");
        case 'f': return Literal("false");
        case 'n': return Literal("null");
        default: return Number();
        }
    }

    bool Object(int depth) {
        ++at_;
        SkipBlanks();
        if (Take('}')) return true;
        for (;;) {
            SkipBlanks();
            if (!String()) return false;
            SkipBlanks();
            if (!Take(':')) return false;
            SkipBlanks();
            if (!Value(depth)) return false;
            SkipBlanks();
            if (Take('}')) return true;
            if (!Take(',')) return false;
        }
    }

    bool Array(int depth) {
        ++at_;
        SkipBlanks();
        if (Take(']')) return true;
        for (;;) {
            SkipBlanks();
            if (!Value(depth)) return false;
            SkipBlanks();
            if (Take(']')) return true;
            if (!Take(',')) return false;
        }
    }

    bool Digits() {
        const std::size_t start = at_;
        while (More() && Peek() >= '0' && Peek() <= '9') ++at_;
        return at_ > start;
    }

    bool Number() {
        Take('-');
        if (Take('0')) {
            // No leading zeros: "01" is no number.
        } else if (!More() || Peek() < '1' || Peek() > '9' || !Digits()) {
            return false;
        }
        if (Take('.') && !Digits()) return false;
        if (More() && (Peek() == 'e' || Peek() == 'E')) {
            ++at_;
            if (!Take('+')) Take('-');
            if (!Digits()) return false;
        }
        return true;
    }

    static int HexValue(unsigned char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    // Four hex digits after "\u"; the code unit, or nothing.
    std::optional<unsigned> CodeUnit() {
        if (text_.size() - at_ < 4) return std::nullopt;
        unsigned unit = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = HexValue(Peek());
            if (digit < 0) return std::nullopt;
            unit = unit * 16 + static_cast<unsigned>(digit);
            ++at_;
        }
        return unit;
    }

    // An escape after its backslash. A high surrogate must be followed by an escaped low
    // one and a low one never stands alone: either would be no character.
    bool Escape() {
        if (!More()) return false;
        const unsigned char c = Peek();
        ++at_;
        switch (c) {
        case '"':
        case '\\':
        case '/':
        case 'b':
        case 'f':
        case 'n':
        case 'r':
        case 't': return true;
        case 'u': {
            const auto unit = CodeUnit();
            if (!unit) return false;
            if (*unit >= 0xDC00 && *unit <= 0xDFFF) return false;
            if (*unit < 0xD800 || *unit > 0xDBFF) return true;
            if (!Take('\\') || !Take('u')) return false;
            const auto low = CodeUnit();
            return low && *low >= 0xDC00 && *low <= 0xDFFF;
        }
        default: return false;
        }
    }

    // One UTF-8 sequence, its lead byte at at_ (0x80 or more).
    bool Utf8Sequence() {
        const unsigned char lead = Peek();
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;   // overlong
            if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;   // overlong
            if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
        } else {
            return false;
        }
        if (text_.size() - at_ < length) return false;
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text_[at_ + i]);
            const unsigned char from = i == 1 ? low : 0x80;
            const unsigned char to = i == 1 ? high : 0xBF;
            if (next < from || next > to) return false;
        }
        at_ += length;
        return true;
    }

    bool String() {
        if (!Take('"')) return false;
        while (More()) {
            const unsigned char c = Peek();
            if (c == '"') {
                ++at_;
                return true;
            }
            if (c < 0x20) return false;  // control characters must be escaped
            if (c == '\\') {
                ++at_;
                if (!Escape()) return false;
            } else if (c >= 0x80) {
                if (!Utf8Sequence()) return false;
            } else {
                ++at_;
            }
        }
        return false;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

bool IsValidJson(std::string_view text) { return JsonReader(text).Document(); }

namespace {

int SectionCount(std::string_view text, std::string_view section) {
    const std::string header = "[" + std::string(section) + "]";
    int count = 0;
    for (const std::string_view line : SplitLines(text))
        if (TrimBlanks(line) == header) ++count;
    return count;
}

}  // namespace

bool HoldsSectionTwice(std::string_view text, std::string_view section) {
    return SectionCount(text, section) > 1;
}

bool HoldsSection(std::string_view text, std::string_view section) {
    return SectionCount(text, section) > 0;
}

std::string Restricted(std::string_view text, std::string_view allowed) {
    std::string result;
    for (const char c : text) {
        if (allowed.find(c) != std::string_view::npos)
            result += c;
        else
            result += allowed[static_cast<unsigned char>(c) % allowed.size()];
    }
    return result;
}

}  // namespace uptrail::fuzz
