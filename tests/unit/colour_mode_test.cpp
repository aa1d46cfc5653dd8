#include "app/colour_mode.h"

#include <gtest/gtest.h>

#include "support/memory_registry.h"

namespace uptrail {
namespace {

using testing::MemoryRegistry;

// A theme library that has the entry points or not, and counts the calls that change menus.
struct FakeColourMode final : ColourModeApi {
    FakeColourMode(std::uint32_t windowsBuild, bool found)
        : build(windowsBuild), entryPoints(found) {}

    std::uint32_t WindowsBuild() const override { return build; }
    bool FindDarkMenuEntryPoints() override { return entryPoints; }
    void AllowDarkMenus() override { ++allowed; }
    void RefreshMenuThemes() override { ++refreshed; }

    std::uint32_t build;
    bool entryPoints;
    int allowed = 0;
    int refreshed = 0;
};

TEST(ColourMode, MenusFollowTheAppModeFrom1903WhereEveryEntryPointIsThere) {
    const struct {
        std::uint32_t build;
        bool entryPoints;
        bool follows;
    } cases[] = {
        {17763, true, false},  // 1809: the ordinals take other arguments there
        {18361, true, false}, {18362, true, true},
        {22631, true, true},  {22631, false, false},  // Wine, or a Windows that dropped them
        {0, true, false},                             // the build could not be read
    };
    for (const auto& c : cases) {
        FakeColourMode api(c.build, c.entryPoints);
        const bool follows = FollowAppColourMode(api);
        EXPECT_EQ(follows, c.follows) << c.build;
        EXPECT_EQ(api.allowed, c.follows ? 1 : 0) << c.build;

        OnColourModeChange(api, follows);
        EXPECT_EQ(api.refreshed, c.follows ? 1 : 0) << "a switch of mode, build " << c.build;
    }
    EXPECT_TRUE(IsColourModeChange("ImmersiveColorSet"));
    EXPECT_FALSE(IsColourModeChange("Environment"));
}

TEST(ColourMode, TitleBarsTurnDarkOnlyForAWellFormedZeroFromTheirFirstBuild) {
    EXPECT_EQ(DarkTitleBarAttribute(17763), std::nullopt);
    EXPECT_EQ(DarkTitleBarAttribute(18362), 19u);
    EXPECT_EQ(DarkTitleBarAttribute(19040), 19u);
    EXPECT_EQ(DarkTitleBarAttribute(19041), 20u);

    const RegistryKey personalize{
        RegistryRoot::kCurrentUser,
        "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize"};
    const struct {
        RegistryValue value;
        bool dark;
    } cases[] = {
        {{reg_type::kDword, std::string(4, '\0')}, true},
        {{reg_type::kDword, std::string("\x01\0\0\0", 4)}, false},
        {{reg_type::kDword, std::string("\0\0\0\x01", 4)}, false},
        {{reg_type::kDword, ""}, false},
        {{reg_type::kSz, std::string(4, '\0')}, false},
    };
    for (const auto& c : cases) {
        MemoryRegistry registry;
        registry.Seed(personalize, "AppsUseLightTheme", c.value);
        EXPECT_EQ(AppsUseDarkMode(registry), c.dark) << c.value.type << " " << c.value.data.size();
    }
    EXPECT_FALSE(AppsUseDarkMode(MemoryRegistry{})) << "no value: light, the default";
}

}  // namespace
}  // namespace uptrail
