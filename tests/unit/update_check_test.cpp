#include "commands/update_check.h"

#include <gtest/gtest.h>

#include "commands/version_text.h"
#include "commands/web_commands.h"
#include "support/fake_main_context.h"

namespace uptrail {
namespace {

TEST(UpdateDescription, GivesTheAssignedVersionOnlyWhenTheWholeTextIsOneAssignment) {
    const std::string longest(kMaxVersionLength, '7');
    EXPECT_EQ(ParseUpdateDescription("version='6'"), "6");
    EXPECT_EQ(ParseUpdateDescription("\xEF\xBB\xBF\r\nvar\tversion =\r\n  \"5.1\" ;\r\n\r\n"),
              "5.1");
    EXPECT_EQ(ParseUpdateDescription("var version = \"" + longest + "\";"), longest);
    EXPECT_EQ(ParseUpdateDescription("var version = \"" + longest + "7\";"), std::nullopt);
    EXPECT_EQ(ParseUpdateDescription("var version = \"5.0b1\";"), std::nullopt);
    EXPECT_EQ(ParseUpdateDescription("var version = \"5.1\"; alert(1);"), std::nullopt);
    EXPECT_EQ(ParseUpdateDescription("variable version = \"5.1\";"), std::nullopt);
}

// Each way round, so that the order is the same whichever side holds the newer version.
TEST(VersionComparison, ComparesPartByPartAsNumbersWithMissingPartsZero) {
    const std::pair<const char*, const char*> newerOlder[] = {
        {"5.00.100", "5.00.26"}, {"5.00.1", "5.00"}, {"10", "9.99.9999"},
        {"123456789012345678901234567890", "123456789012345678901234567889"}};
    for (const auto& [newer, older] : newerOlder) {
        EXPECT_EQ(CompareVersions(newer, older), std::strong_ordering::greater) << newer;
        EXPECT_EQ(CompareVersions(older, newer), std::strong_ordering::less) << newer;
    }
    EXPECT_EQ(CompareVersions("5.0.26", "5.00.26.0"), std::strong_ordering::equal);
}

// The three answers to a check, a closed port, a damaged description and the address
// stored for the check are tried on the real program against a real server.
TEST(UpdateCheck, AnErrorStatusIsNoAnswerAndOnlyDownloadOpensTheSetup) {
    testing::FakeMainContext fake;
    fake.http.response = HttpResponse{kOk, 404, "var version = \"99\";"};
    OnRightUpdateClick(fake.context);
    EXPECT_EQ(fake.desktop.messages.at(0).text,
              "Remote resource is not accessible now.\r\nPlease try later.");

    fake.http.response = HttpResponse{kOk, 200, "var version = \"6.0\";"};
    fake.desktop.answerDownload = true;
    OnRightUpdateClick(fake.context);
    EXPECT_EQ(fake.desktop.openedAddresses, std::vector<std::string>{SetupAddress()});
    EXPECT_EQ(fake.http.requests.back(),
              std::string(SiteAddress()) + "/Products/Uptrail/Uptrail.js");
}

TEST(WebCommands, WebsiteOpensTheProductPageAndFeedbackAMailWithTheTitleAsSubject) {
    testing::FakeMainContext fake;
    OnRightSiteClick(fake.context);
    OnRightMailClick(fake.context);
    EXPECT_EQ(fake.desktop.openedAddresses,
              (std::vector<std::string>{std::string(SiteAddress()) + "/Products/Uptrail/",
                                        std::string(MailAddress()) + "?subject=Uptrail"}));
}

TEST(VersionText, PadsTheFullFormAndLeavesTheCompactFormAsItIs) {
    VersionRecord version = kVersion;
    version.minor = 2;
    version.revision = 0;
    EXPECT_EQ(VersionText(false, version), "5.02");
    EXPECT_EQ(VersionText(true, version), "5.2");
}

}  // namespace
}  // namespace uptrail
