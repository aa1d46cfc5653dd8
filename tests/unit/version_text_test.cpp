#include "commands/version_text.h"

#include <gtest/gtest.h>

namespace uptrail {
namespace {

TEST(VersionText, PadsTheFullFormAndLeavesTheCompactFormAsItIs) {
    const struct {
        int major, minor, revision;
        const char* full;
        const char* compact;
    } cases[] = {
        {5, 0, 26, "5.00.0026", "5.00.26"},
        {5, 2, 0, "5.02", "5.2"},
        {5, 10, 3, "5.10.0003", "5.10.3"},
        {6, 0, 0, "6.00", "6.00"},
        {5, 99, 9999, "5.99.9999", "5.99.9999"},
    };
    for (const auto& c : cases) {
        VersionRecord version = kVersion;
        version.major = c.major;
        version.minor = c.minor;
        version.revision = c.revision;
        EXPECT_EQ(VersionText(false, version), c.full);
        EXPECT_EQ(VersionText(true, version), c.compact);
    }
    EXPECT_EQ(VersionText(false), "5.00.0026") << "the program's own version";
}

}  // namespace
}  // namespace uptrail
