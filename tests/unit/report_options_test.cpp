#include "report/report_options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace uptrail {
namespace {

std::vector<CommandArgument> Arguments(std::initializer_list<const char*> texts) {
    std::vector<CommandArgument> arguments;
    for (const char* text : texts) arguments.push_back({text, text});
    return arguments;
}

ParsedReportOptions Parse(std::initializer_list<const char*> texts) {
    return ParseReportOptions(Arguments(texts));
}

TEST(ReportOptions, ReadsEveryOptionWithItsValueAfterItOrAfterAnEqualsSign) {
    const ParsedReportOptions parsed =
        Parse({"--log", "logs/Uptrail.txt", "--system=1A2B3C4D//c:\\windows", "--system",
               "5E6F7A8B//d:\\windows", "--all", "--limit=5", "--boot-time",
               "2026:12:04:08:00:00", "--now=2026:12:04:09:30:00", "--format", "json"});
    ASSERT_EQ(parsed.error, "");
    const ReportOptions& options = parsed.options;
    EXPECT_EQ(options.logFile, std::filesystem::path("logs/Uptrail.txt"));
    EXPECT_EQ(options.systems,
              (std::vector<std::string>{"1A2B3C4D//c:\\windows", "5E6F7A8B//d:\\windows"}));
    EXPECT_TRUE(options.allSystems);
    EXPECT_EQ(options.limit, 5u);
    EXPECT_EQ(options.bootTime, MakeDateTime(2026, 12, 4, 8, 0, 0));
    EXPECT_EQ(options.now, MakeDateTime(2026, 12, 4, 9, 30, 0));
    EXPECT_EQ(options.format, ReportFormat::kJson);
    EXPECT_FALSE(options.help || options.version);
}

TEST(ReportOptions, WithoutArgumentsEverythingIsLeftToTheDefaults) {
    const ParsedReportOptions parsed = Parse({});
    ASSERT_EQ(parsed.error, "");
    EXPECT_FALSE(parsed.options.logFile || parsed.options.limit || parsed.options.bootTime ||
                 parsed.options.now);
    EXPECT_TRUE(parsed.options.systems.empty());
    EXPECT_FALSE(parsed.options.allSystems);
    EXPECT_EQ(parsed.options.format, ReportFormat::kText);

    EXPECT_TRUE(Parse({"-h"}).options.help);
    EXPECT_TRUE(Parse({"--help"}).options.help);
    EXPECT_TRUE(Parse({"--version"}).options.version);
    EXPECT_EQ(Parse({"--format", "csv", "--limit", "0"}).options.limit, 0u);
}

TEST(ReportOptions, NamesWhatIsWrongWithTheArguments) {
    struct Case {
        std::initializer_list<const char*> arguments;
        const char* error;
    };
    const Case cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x=1"}, "unknown option '-x=1'"},
        {{"Uptrail.txt"}, "unexpected argument 'Uptrail.txt'"},
        {{"--log"}, "--log needs a value"},
        {{"--log="}, "--log wants a file name"},
        {{"--system="}, "--system wants a system identity"},
        {{"--all=yes"}, "--all takes no value"},
        {{"--limit", "-1"}, "--limit wants a whole number of sessions, not '-1'"},
        {{"--limit", "5x"}, "--limit wants a whole number of sessions, not '5x'"},
        {{"--limit", "99999999999999999999999"},
         "--limit wants a whole number of sessions, not '99999999999999999999999'"},
        {{"--format", "xml"}, "--format wants text, csv or json, not 'xml'"},
        {{"--now", "2026-12-04"},
         "--now wants a time stamp like 2026:12:04:08:03:07, not '2026-12-04'"},
        {{"--boot-time", ""}, "--boot-time wants a time stamp like 2026:12:04:08:03:07, not ''"},
        // The first fault is the one named.
        {{"--limit", "x", "--bogus"}, "--limit wants a whole number of sessions, not 'x'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseReportOptions(Arguments(c.arguments)).error, c.error);
}

// On Windows the text of an argument is in the ANSI code page, which may lack characters of
// a file name; the path form keeps them.
TEST(ReportOptions, TakesTheLogFileFromThePathFormOfTheArgument) {
    const std::filesystem::path named(u8"Protokolle/Ünïcødé.txt");
    const std::vector<CommandArgument> separate{{"--log", "--log"},
                                                {"Protokolle/?n?c?d?.txt", named}};
    EXPECT_EQ(ParseReportOptions(separate).options.logFile, named);

    const std::vector<CommandArgument> attached{
        {"--log=Protokolle/?n?c?d?.txt",
         std::filesystem::path(u8"--log=Protokolle/Ünïcødé.txt")}};
    EXPECT_EQ(ParseReportOptions(attached).options.logFile, named);
}

}  // namespace
}  // namespace uptrail
