#include "storage/registry_store.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace uptrail {
namespace {

constexpr std::size_t kDwordSize = 4;

RegistryKey KeyAt(RegistryRoot root, std::string_view subKey, const Registry& registry) {
    return RegistryKey{root, std::string(subKey), ProgramRegistryView(registry)};
}

// Without administrator rights HKEY_LOCAL_MACHINE cannot be changed, so RegWrite keeps the
// value under the same path of HKEY_CURRENT_USER; that copy is the newer one whenever it
// exists.
std::optional<RegistryValue> ReadStoredValue(const Registry& registry, RegistryRoot root,
                                             std::string_view subKey, std::string_view valueName,
                                             bool utf8 = false, bool rootOnly = false) {
    if (root == RegistryRoot::kLocalMachine && !rootOnly) {
        RegistryValue userCopy{reg_type::kNone, {}, utf8};
        if (registry.ReadValue(KeyAt(RegistryRoot::kCurrentUser, subKey, registry), valueName,
                               userCopy) == kOk)
            return userCopy;
    }
    RegistryValue value{reg_type::kNone, {}, utf8};
    if (registry.ReadValue(KeyAt(root, subKey, registry), valueName, value) != kOk)
        return std::nullopt;
    return value;
}

// Up to four bytes as an unsigned number; a short value counts the bytes it has.
std::uint32_t LittleEndianNumber(std::string_view bytes) {
    std::uint32_t number = 0;
    const std::size_t used = std::min(bytes.size(), kDwordSize);
    for (std::size_t i = used; i-- > 0;)
        number = (number << 8) | static_cast<unsigned char>(bytes[i]);
    return number;
}

std::uint32_t BigEndianNumber(std::string_view bytes) {
    std::uint32_t number = 0;
    const std::size_t used = std::min(bytes.size(), kDwordSize);
    for (std::size_t i = 0; i < used; ++i)
        number = (number << 8) | static_cast<unsigned char>(bytes[i]);
    return number;
}

std::string ValueAsText(const RegistryValue& value, std::uint32_t conversionType) {
    switch (conversionType) {
    case reg_type::kDword: return std::to_string(LittleEndianNumber(value.data));
    case reg_type::kDwordBigEndian: return std::to_string(BigEndianNumber(value.data));
    default:
        // Strings end at their first zero, whether or not the writer stored a terminator,
        // and a multi-string thereby gives its first string.
        return BytesToText(value.data, {.stopAtZero = true});
    }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the fraction digits after the decimal point round the whole part up: to the
// nearest integer, ties to the even one, as the platform converts numbers to integers.
bool FractionRoundsUp(std::string_view fraction, std::int64_t whole) {
    if (fraction.empty() || fraction.front() < '5') return false;
    if (fraction.front() > '5') return true;
    const bool moreThanHalf =
        std::any_of(fraction.begin() + 1, fraction.end(), [](char c) { return c != '0'; });
    return moreThanHalf || whole % 2 != 0;
}

// The leading decimal number of a text (blanks and a sign allowed before it; empty or
// non-numeric text is 0), rounded to an integer and kept to 32 bits. Negative numbers
// take their two's-complement pattern, as a signed 32-bit number stored in a REG_DWORD
// does; numbers beyond what 32 bits hold either way are held at the nearest limit.
std::uint32_t LeadingNumberAsDword(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';

    // Past every 32-bit value, so saturating here changes no result and cannot overflow.
    constexpr std::int64_t kBeyondDword = std::int64_t{1} << 33;
    std::int64_t whole = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at)
        whole = std::min(whole * 10 + (text[at] - '0'), kBeyondDword);

    if (at < text.size() && text[at] == '.') {
        const std::size_t fractionStart = ++at;
        while (at < text.size() && IsDigit(text[at])) ++at;
        if (FractionRoundsUp(text.substr(fractionStart, at - fractionStart), whole)) ++whole;
    }

    const std::int64_t number = std::clamp<std::int64_t>(negative ? -whole : whole,
                                                         std::numeric_limits<std::int32_t>::min(),
                                                         std::numeric_limits<std::uint32_t>::max());
    return static_cast<std::uint32_t>(number);
}

std::string LittleEndianBytes(std::uint32_t number) {
    std::string bytes(kDwordSize, '\0');
    for (std::size_t i = 0; i < kDwordSize; ++i)
        bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return bytes;
}

std::optional<std::string> DataToWrite(std::string_view value, std::uint32_t valueType) {
    // An empty text goes in as one zero character, so the value holds a terminated empty
    // string rather than no data at all.
    const std::string text = value.empty() ? std::string(1, '\0') : std::string(value);
    switch (valueType) {
    case reg_type::kSz:
    case reg_type::kBinary: return text;
    case reg_type::kDword: return LittleEndianBytes(LeadingNumberAsDword(text));
    default: return std::nullopt;
    }
}

OsError CreateKeyAndSetValue(Registry& registry, const RegistryKey& key, std::string_view valueName,
                             const RegistryValue& value) {
    if (const OsError error = registry.CreateKey(key); error != kOk) return error;
    return registry.SetValue(key, valueName, value);
}

OsError IgnoringMissing(OsError error) { return IsNotFound(error) ? kOk : error; }

// A standard user may not change HKEY_LOCAL_MACHINE; the value then goes to the same path
// under HKEY_CURRENT_USER, where RegRead looks first.
OsError StoreValue(Registry& registry, RegistryRoot root, std::string_view subKey,
                   std::string_view valueName, const RegistryValue& value) {
    const OsError error =
        CreateKeyAndSetValue(registry, KeyAt(root, subKey, registry), valueName, value);
    if (root != RegistryRoot::kLocalMachine) return error;
    const RegistryKey userKey = KeyAt(RegistryRoot::kCurrentUser, subKey, registry);
    if (error == kErrorAccessDenied)
        return CreateKeyAndSetValue(registry, userKey, valueName, value);
    // A copy left there by an earlier run without rights would hide the new value. Usually
    // there is none; one that stays is tried again at the next write.
    if (error == kOk) static_cast<void>(registry.DeleteValue(userKey, valueName));
    return error;
}

}  // namespace

RegistryView ProgramRegistryView(const Registry& registry) {
    return registry.WindowsIs64Bit() ? RegistryView::k64Bit : RegistryView::k32Bit;
}

bool IsWow64(const Registry& registry) { return registry.RunsUnderWow64(); }

std::string BytesToText(std::string_view bytes, const BytesToTextOptions& options) {
    if (options.start >= bytes.size()) return {};
    std::string_view text = bytes.substr(options.start, options.count.value_or(bytes.size()));
    if (options.stopAtZero) text = text.substr(0, text.find('\0'));
    return std::string(text);
}

std::string RegRead(const Registry& registry, RegistryRoot root, std::string_view subKey,
                    std::string_view valueName, const RegReadOptions& options) {
    const auto value = ReadStoredValue(registry, root, subKey, valueName);
    if (!value) return std::string(options.defaultValue);
    if (options.rawBytes) *options.rawBytes = value->data;
    return ValueAsText(*value, options.valueType.value_or(value->type));
}

OsError RegWrite(Registry& registry, RegistryRoot root, std::string_view subKey,
                 std::string_view valueName, std::string_view value, std::uint32_t valueType) {
    if (RegRead(registry, root, subKey, valueName, {.valueType = valueType}) == value) return kOk;
    const auto data = DataToWrite(value, valueType);
    if (!data) return kErrorUnwritableValueType;
    return StoreValue(registry, root, subKey, valueName, {valueType, *data});
}

std::filesystem::path RegReadPath(const Registry& registry, RegistryRoot root,
                                  std::string_view subKey, std::string_view valueName) {
    const auto value = ReadStoredValue(registry, root, subKey, valueName, true);
    if (!value) return {};
    const std::string text = ValueAsText(*value, value->type);
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::filesystem::path RegReadPathAt(const Registry& registry, RegistryRoot root,
                                    std::string_view subKey, std::string_view valueName) {
    const auto value = ReadStoredValue(registry, root, subKey, valueName, true, true);
    if (!value) return {};
    const std::string text = ValueAsText(*value, value->type);
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

OsError RegWritePath(Registry& registry, RegistryRoot root, std::string_view subKey,
                     std::string_view valueName, const std::filesystem::path& path) {
    if (RegReadPath(registry, root, subKey, valueName) == path) return kOk;
    const std::u8string text = path.u8string();
    // An empty path goes in as one zero character, as an empty text does.
    std::string data(text.begin(), text.end());
    if (data.empty()) data.push_back('\0');
    return StoreValue(registry, root, subKey, valueName, {reg_type::kSz, data, true});
}

OsError RegRemoveValue(Registry& registry, RegistryRoot root, std::string_view subKey,
                       std::string_view valueName) {
    OsError error = IgnoringMissing(registry.DeleteValue(KeyAt(root, subKey, registry), valueName));
    if (root == RegistryRoot::kLocalMachine) {
        const OsError userError = IgnoringMissing(
            registry.DeleteValue(KeyAt(RegistryRoot::kCurrentUser, subKey, registry), valueName));
        if (error == kOk) error = userError;
    }
    return error;
}

}  // namespace uptrail
