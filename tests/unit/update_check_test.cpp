#include "commands/update_check.h"

#include <gtest/gtest.h>

#include "commands/web_commands.h"
#include "support/fake_platform.h"
#include "support/memory_file_system.h"
#include "support/memory_registry.h"

namespace uptrail {
namespace {

using testing::FakeDesktop;
using namespace std::string_literals;

constexpr OsError kCannotConnect = 12029;  // what WinHTTP reports for a closed port
const std::string kNotAccessible = "Remote resource is not accessible now.\r\nPlease try later.";
const std::string kUpToDate = "Your copy of the application is up to date.";

TEST(UpdateDescription, GivesTheAssignedVersionOnlyWhenTheWholeTextIsOneAssignment) {
    const std::string longest(kMaxVersionLength, '7');
    const struct {
        std::string description;
        std::optional<std::string> version;
    } cases[] = {
        {"var version = \"5.00.100\";", "5.00.100"},
        {"var version = \"5.00.100\"", "5.00.100"},
        {"version='6'", "6"},
        {"\xEF\xBB\xBF\r\nvar\tversion =\r\n  \"5.1\" ;\r\n\r\n", "5.1"},
        {"var version = \"" + longest + "\";", longest},
        // Not a version of digits and single dots, or not the whole text.
        {"var version = \"" + longest + "7\";", {}}, {"", {}}, {"var version = \"\";", {}},
        {"var version = \"5.00.100;", {}}, {"var version = \"5.00.100';", {}},
        {"var version = \"5.0b1\";", {}}, {"var version = \"v5.1\";", {}},
        {"var version = \"5..1\";", {}}, {"var version = \"5.\";", {}},
        {"var version = 5.1;", {}}, {"var version = \"5.1\"; alert(1);", {}},
        {"var version = \"5.1\";\0"s, {}}, {"variable version = \"5.1\";", {}},
        {"var versions = \"5.1\";", {}}, {"<html><body>Not Found</body></html>", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseUpdateDescription(c.description), c.version) << c.description;
}

TEST(VersionComparison, ComparesPartByPartAsNumbersWithMissingPartsZero) {
    const struct {
        const char* left;
        const char* right;
        std::strong_ordering order;
    } cases[] = {
        {"5.00.100", "5.00.26", std::strong_ordering::greater},
        {"5.00.26", "5.00.26", std::strong_ordering::equal},
        {"5.0.26", "5.00.26", std::strong_ordering::equal},
        {"5.00", "5.00.0.0", std::strong_ordering::equal},
        {"5.00", "5.00.1", std::strong_ordering::less},
        {"5.1", "5.00.26", std::strong_ordering::greater},
        {"10", "9.99.9999", std::strong_ordering::greater},
        {"123456789012345678901234567890", "123456789012345678901234567889",
         std::strong_ordering::greater},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareVersions(c.left, c.right), c.order) << c.left << " vs " << c.right;
        EXPECT_EQ(CompareVersions(c.right, c.left), 0 <=> c.order) << c.right << " vs " << c.left;
    }
}

TEST(UpdateOffer, EscapesEverythingThatCouldChangeTheRichText) {
    EXPECT_EQ(UpdateOfferRichText("2.0", "https://x.example/a{b}\\par\xE9\n"),
              "{\\rtf1\\ansi{\\colortbl;\\red0\\green0\\blue255;}\\f0\\fs16 Version 2.0 is now "
              "available to download:\\par "
              "\\cf1{\\ul https://x.example/a\\{b\\}\\\\par\\'e9\\'0a}}");
}

class UpdateCheckTest : public ::testing::Test {
protected:
    void Answer(OsError error, int status, std::string body) {
        http.response = HttpResponse{error, status, std::move(body)};
    }

    testing::MemoryFileSystem files;
    testing::MemoryRegistry registry;
    testing::FakeClock clock;
    testing::FakeSystemInfo system;
    testing::FakeTrayIcon tray;
    testing::FakeMainWindow window;
    FakeDesktop desktop;
    testing::FakeLocale locale;
    testing::FakeHttpClient http;
    MainContext context{{clock, files, registry, system, tray, window, desktop, locale, http}, {}};
};

TEST_F(UpdateCheckTest, ReportsAnUnreadableDescriptionAsAnErrorAndANewerOneNotAsCurrent) {
    const struct {
        OsError error;
        int status;
        std::string body;
        std::string message;  // empty: the offer comes instead
        MessageIcon icon;
    } cases[] = {
        {kCannotConnect, 0, "", kNotAccessible, MessageIcon::kStop},
        {kOk, 404, "var version = \"99\";", kNotAccessible, MessageIcon::kStop},
        {kOk, 200, "var version = \"5.00.1OO\";", kNotAccessible, MessageIcon::kStop},
        {kOk, 200, "var version = \"5.00.26\";", kUpToDate, MessageIcon::kInformation},
        {kOk, 200, "var version = \"4.99.999\";", kUpToDate, MessageIcon::kInformation},
        {kOk, 200, "var version = \"5.00.100\";", "", MessageIcon::kNone},
    };
    for (const auto& c : cases) {
        desktop = FakeDesktop{};
        http.requests.clear();
        Answer(c.error, c.status, c.body);

        OnRightUpdateClick(context);

        SCOPED_TRACE(c.body);
        EXPECT_EQ(http.requests, std::vector<std::string>{UpdateDescriptionAddress()});
        if (c.message.empty()) {
            EXPECT_TRUE(desktop.messages.empty());
            EXPECT_EQ(desktop.offers.size(), 1u);
        } else {
            ASSERT_EQ(desktop.messages.size(), 1u);
            EXPECT_EQ(desktop.messages[0].text, c.message);
            EXPECT_EQ(desktop.messages[0].title, "Uptrail");
            EXPECT_EQ(desktop.messages[0].icon, c.icon);
            EXPECT_TRUE(desktop.offers.empty());
        }
        EXPECT_TRUE(desktop.openedAddresses.empty());
    }
}

TEST_F(UpdateCheckTest, TheOfferNamesTheNewVersionAndOnlyDownloadOpensTheSetupAddress) {
    Answer(kOk, 200, "var version = \"6.0\";\n");
    for (const bool download : {false, true}) {
        desktop = FakeDesktop{};
        desktop.answerDownload = download;

        OnRightUpdateClick(context);

        ASSERT_EQ(desktop.offers.size(), 1u);
        EXPECT_EQ(desktop.offers[0], UpdateOfferRichText("6.0", SetupAddress()));
        EXPECT_EQ(desktop.openedAddresses,
                  download ? std::vector<std::string>{SetupAddress()} : std::vector<std::string>{});
    }
}

TEST_F(UpdateCheckTest, TheStoredUpdateAddressChangesWhereTheVersionIsReadNotTheDownload) {
    const std::string mirror = "http://127.0.0.1:8080/Products/Uptrail/Uptrail.js";
    registry.Seed({RegistryRoot::kLocalMachine, "SOFTWARE\\Tamsk\\Uptrail", RegistryView::k64Bit},
                  kUpdateAddressValue, {reg_type::kSz, mirror});
    Answer(kOk, 200, "var version = \"6\";");
    desktop.answerDownload = true;

    OnRightUpdateClick(context);

    EXPECT_EQ(http.requests, std::vector<std::string>{mirror});
    EXPECT_EQ(desktop.openedAddresses, std::vector<std::string>{SetupAddress()});
}

}  // namespace
}  // namespace uptrail
