#include <gtest/gtest.h>

#include "storage/registry_store.h"
#include "support/memory_registry.h"

namespace uptrail {
namespace {

// A folder the ANSI code page cannot spell goes in through the wide-character calls, so
// the next start finds the same folder.
TEST(RegWritePath, StoresThePathAsUtf8ForTheWideCalls) {
    testing::MemoryRegistry registry;
    const RegistryKey key{RegistryRoot::kCurrentUser, "SOFTWARE\\Tamsk\\Uptrail"};
    ASSERT_EQ(registry.CreateKey(key), kOk);
    const std::filesystem::path folder(u8"D:\\\u03a7\u03c1\u03cc\u03bd\u03bf\u03c2");
    ASSERT_EQ(RegWritePath(registry, key.root, key.path, "LogFolder", folder), kOk);
    const auto stored = registry.Stored(key, "LogFolder");
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->utf8);
    EXPECT_EQ(stored->data, "D:\\\xCE\xA7\xCF\x81\xCF\x8C\xCE\xBD\xCE\xBF\xCF\x82");
}

}  // namespace
}  // namespace uptrail
