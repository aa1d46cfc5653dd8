#include "commands/web_commands.h"

#include <gtest/gtest.h>

#include "support/fake_main_context.h"

namespace uptrail {
namespace {

TEST(WebAddresses, AreBuiltFromTheSiteAndMailAddressesOfTheComments) {
    VersionRecord version = kVersion;
    version.comments = "https://site.example, mailto:me@site.example";
    EXPECT_EQ(SiteAddress(version), "https://site.example");
    EXPECT_EQ(MailAddress(version), "mailto:me@site.example");
    EXPECT_EQ(ProductPageAddress(version), "https://site.example/Products/Uptrail/");
    EXPECT_EQ(FeedbackAddress(version), "mailto:me@site.example?subject=Uptrail");
    EXPECT_EQ(SetupAddress(version), "https://site.example/Products/Uptrail/Uptrail_Setup.exe");
    EXPECT_EQ(UpdateDescriptionAddress(version), "https://site.example/Products/Uptrail/Uptrail.js");

    version.comments = "https://site.example";
    EXPECT_EQ(SiteAddress(version), "https://site.example");
    EXPECT_EQ(MailAddress(version), "");
}

TEST(WebCommands, WebsiteOpensTheProductPageAndFeedbackAMailWithTheTitleAsSubject) {
    testing::FakeMainContext fake;
    MainContext& context = fake.context;
    const testing::FakeDesktop& desktop = fake.desktop;

    OnRightSiteClick(context);
    OnRightMailClick(context);

    ASSERT_EQ(desktop.openedAddresses.size(), 2u);
    EXPECT_EQ(desktop.openedAddresses[0], std::string(SiteAddress()) + "/Products/Uptrail/");
    EXPECT_EQ(desktop.openedAddresses[1], std::string(MailAddress()) + "?subject=Uptrail");
    EXPECT_TRUE(SiteAddress().starts_with("https://"));
    EXPECT_TRUE(MailAddress().starts_with("mailto:"));
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_TRUE(fake.http.requests.empty());
}

}  // namespace
}  // namespace uptrail
