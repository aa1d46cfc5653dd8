// The program's events against the real API: its message table as Event Viewer reads it,
// and an event handed to the event log; and the alarm sound the program carries.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sessionlog/session_events.h"
#include "support/temp_folder_win.h"
#include "win32/platform/event_log.h"
#include "win32/platform/win32_event_sink.h"

namespace uptrail {
namespace {

// Windows renders the kind of start of its boot record in the integer type the provider's
// manifest names, which may be a hexadecimal or a 64-bit one; each gives its number, and a
// non-integer gives none (the record is then left out, never read as a cold boot).
TEST(EventValues, EveryIntegerTypeGivesItsNumber) {
    const auto variant = [](EVT_VARIANT_TYPE type, ULONG64 bits) {
        EVT_VARIANT value{};
        value.UInt64Val = bits;
        value.Type = type;
        return value;
    };
    const struct {
        EVT_VARIANT_TYPE type;
        ULONG64 bits;
        std::optional<std::int64_t> number;
    } cases[] = {
        {EvtVarTypeByte, 2, 2},
        {EvtVarTypeSByte, 0xFF, -1},
        {EvtVarTypeInt16, 0xFFFE, -2},
        {EvtVarTypeUInt16, 0xFFFE, 0xFFFE},
        {EvtVarTypeInt32, 0xFFFFFFFF, -1},
        {EvtVarTypeUInt32, 0xFFFFFFFF, 0xFFFFFFFF},
        {EvtVarTypeHexInt32, 1, 1},
        {EvtVarTypeInt64, 0xFFFFFFFFFFFFFFFF, -1},
        {EvtVarTypeUInt64, 0x100000000, 0x100000000},
        {EvtVarTypeHexInt64, 1, 1},
        {EvtVarTypeHexInt64, 0x8000000000000000, std::nullopt},
        {EvtVarTypeString, 1, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IntegerOf(variant(c.type, c.bits)), c.number) << "type " << c.type;
}

// Uptrail.exe as the build leaves it beside the tests.
std::filesystem::path ProgramFile() {
    return testing::TestProgramFolder().parent_path() / L"src" / L"Uptrail.exe";
}

// The message `id` of `module` with the insertion strings, as Event Viewer formats it.
std::wstring Message(HMODULE module, DWORD id, const std::vector<std::wstring>& strings) {
    std::vector<DWORD_PTR> arguments;
    for (const std::wstring& text : strings)
        arguments.push_back(reinterpret_cast<DWORD_PTR>(text.c_str()));
    wchar_t text[2048]{};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                        module, id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                        text, static_cast<DWORD>(std::size(text)),
                                        reinterpret_cast<va_list*>(arguments.data()));
    return std::wstring(text, length);
}

// The built program, mapped for its resources only: nothing of it runs.
class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(ProgramFile())) << ProgramFile().string();
        ASSERT_NE(module, nullptr) << GetLastError();
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
    HMODULE module = LoadLibraryExW(ProgramFile().c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
};

// Each event's message holds its insertion strings in their order, and ends where its
// last one does: Event Viewer shows what the table makes of them.
TEST_F(ProgramResources, EachEventsMessageHoldsItsStringsInOrder) {
    const std::vector<std::wstring> session{L"2026-12-05T20:00:00",
                                            L"2026-12-05T23:30:40",
                                            L"210",
                                            L"1A2B3C4D//c:\\windows",
                                            L"135",
                                            L"40",
                                            L"Blue screen, stop code 0x0000009F"};
    const std::vector<std::wstring> cleared{L"Monitor from Now", L"2026-12-06T08:00:00", L"50",
                                            L"1A2B3C4D//c:\\windows"};
    const struct {
        DWORD id;
        const std::vector<std::wstring>& strings;
    } events[] = {{kEndedByWindowsEvent, session},
                  {kClosedByHandEvent, session},
                  {kCrashedEvent, session},
                  {kHistoryClearedEvent, cleared}};
    for (const auto& event : events) {
        const std::wstring message = Message(module, event.id, event.strings);
        std::size_t at = 0;
        for (const std::wstring& text : event.strings) {
            at = message.find(text, at);
            ASSERT_NE(at, std::wstring::npos) << event.id << ": " << text.size();
            at += text.size();
        }
        EXPECT_EQ(at, message.size()) << event.id << ": the last string ends it";
    }
}

TEST_F(ProgramResources, TheAlarmSoundIsFourSecondsOfMonoSixteenBitPcmHeardButNotClipped) {
    const HRSRC resource =
        FindResourceExW(module, L"CUSTOM", L"ALARM", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(resource, nullptr);
    const std::string_view file(
        static_cast<const char*>(LockResource(LoadResource(module, resource))),
        SizeofResource(module, resource));
    // A RIFF file of PCM samples, one channel of 16 bits, whose sizes cover the resource.
    const auto number = [&](std::size_t at, std::size_t bytes) {
        std::uint32_t value = 0;
        for (std::size_t i = bytes; i-- > 0;)
            value = value << 8 | static_cast<unsigned char>(file.at(at + i));
        return value;
    };
    constexpr std::size_t kHeader = 44;
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(number(4, 4), file.size() - 8);
    EXPECT_EQ(number(20, 2), 1u) << "PCM";
    EXPECT_EQ(number(22, 2), 1u) << "mono";
    EXPECT_EQ(number(34, 2), 16u) << "bits a sample";
    EXPECT_EQ(file.substr(36, 4), "data");
    EXPECT_EQ(number(40, 4), file.size() - kHeader);
    EXPECT_EQ((file.size() - kHeader) / number(28, 4), 4u) << "seconds";

    int loudest = 0;
    for (std::size_t at = kHeader; at + 1 < file.size(); at += 2)
        loudest = std::max(loudest, std::abs(int{static_cast<std::int16_t>(number(at, 2))}));
    EXPECT_GT(loudest, 32767 / 10) << "loud enough to be heard";
    EXPECT_LT(loudest, 32767) << "not clipped";
}

// Under Wine the event log takes the event and keeps nothing; on Windows it lands in the
// Application log, under a source that need not be registered.
TEST(Win32EventSink, WritesAnEventThroughTheRealApi) {
    Win32EventSink sink;
    const LogEvent event = HistoryClearedEvent(
        "Erase Oldest Data", MakeDateTime(2026, 11, 4, 8, 0, 0), 6, "1A2B3C4D//c:\\windows");
    EXPECT_TRUE(sink.Write(event)) << GetLastError();
    EXPECT_TRUE(sink.Write(LogEvent{kCrashedEvent, EventLevel::kWarning, {}, {}}))
        << "no strings and no data";
}

}  // namespace
}  // namespace uptrail
