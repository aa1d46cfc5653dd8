#include "storage/profile_file.h"

#include <optional>
#include <utility>

#include "storage/atomic_file.h"
#include "storage/profile_format.h"

namespace uptrail {
namespace {

// An empty value is stored as key "=" blank, the layout the log file has always had; the
// blank is stripped again on reading.
constexpr std::string_view kEmptyValueAsStored = " ";

// ReadProfile's contract comes from handing the platform a buffer filled with blanks and
// trimming blanks off both ends afterwards. The zero that ends the returned text stops the
// trim on the right, so only the blanks in front of the text are lost: a quoted " x " reads
// as "x ".
std::string AsTrimmedFromBuffer(std::string returned) {
    returned.erase(0, returned.find_first_not_of(' '));
    return returned;
}

std::string ValueOrDefault(std::string_view text, std::string_view section, std::string_view key,
                           std::string_view defaultValue) {
    std::optional<std::string> value = FindProfileValue(text, section, key);
    return AsTrimmedFromBuffer(value ? std::move(*value) : ProfileDefaultValue(defaultValue));
}

}  // namespace

std::string ReadProfile(FileSystem& files, const std::filesystem::path& fileName,
                        std::string_view section, std::string_view key,
                        std::string_view defaultValue) {
    std::string text;
    // A file that cannot be read counts as missing: the caller gets its default.
    if (files.ReadWholeFile(fileName, text) != kOk) text.clear();
    return ValueOrDefault(text, section, key, defaultValue);
}

OsError WriteProfile(FileSystem& files, const std::filesystem::path& fileName,
                     std::string_view section, std::string_view key, std::string_view value) {
    if (fileName.empty()) return kOk;

    std::string text;
    const OsError readError = files.ReadWholeFile(fileName, text);
    // Rewriting a file we could not read would throw its contents away.
    if (readError != kOk && !IsNotFound(readError)) return readError;
    if (readError != kOk) text.clear();

    // Equal values are not written, so the file keeps its time stamps. An empty value is
    // always written: it turns a missing key into an empty one.
    const std::optional<std::string> current = FindProfileValue(text, section, key);
    if (!value.empty() && AsTrimmedFromBuffer(current.value_or(ProfileDefaultValue({}))) == value)
        return kOk;

    // A key that is there (a heartbeat's) has its value replaced in the bytes just read;
    // only a new key needs a new copy of the file.
    const std::string_view stored = value.empty() ? kEmptyValueAsStored : value;
    if (current && ReplaceProfileValueInPlace(text, section, key, stored))
        return ReplaceFileContents(files, fileName, text);
    return ReplaceFileContents(files, fileName, SetProfileValue(text, section, key, stored));
}

}  // namespace uptrail
