#include "generated_export.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "base/date_time.h"
#include "sequence.h"

namespace uptrail::bench {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;

struct Source {
    std::string_view provider;
    std::string_view guid;  // "" for a classic event source
    unsigned id;
    std::string_view qualifiers;  // "" where the event has none
    std::string_view data;        // what its EventData holds
};

constexpr std::string_view kGeneral = "{a68ca8b7-004f-d7b6-a698-07e2de0f1f5d}";
constexpr std::string_view kPower = "{331c3b3a-2005-44c2-ac5e-77220c37d6b4}";
constexpr std::string_view kScm = "{555908d1-a6d7-4695-8e1e-26931d2012f4}";
constexpr std::string_view kBoot = "{15ca44ff-4d7a-4baa-bba5-0998955e531e}";
constexpr std::string_view kLogBinary = "<Binary>B1B00000000000000000000000000000</Binary>";

// What most of a System log is; some are of providers the reading knows, under other IDs,
// or of an ID it knows, under another provider.
constexpr std::array<Source, 9> kOthers{{
    {"Service Control Manager", kScm, 7036, "16384",
     "<Data Name='param1'>Windows Update</Data><Data Name='param2'>running</Data>"
     "<Binary>770075006100750073006500720076002F0034000000</Binary>"},
    {"Service Control Manager", kScm, 7040, "16384",
     "<Data Name='param1'>Background Intelligent Transfer Service</Data>"
     "<Data Name='param2'>auto start</Data><Data Name='param3'>demand start</Data>"
     "<Data Name='param4'>BITS</Data>"},
    {"Microsoft-Windows-Time-Service", "{06edcfeb-0fd0-4e53-acca-a6f8bbf81bcb}", 37, "",
     "<Data Name='TimeSource'>time.windows.com,0x8 (ntp.m|0x8|0.0.0.0:123-&gt;20.101.57.9:123)"
     "</Data>"},
    {"Microsoft-Windows-DistributedCOM", "{1b562e86-b7aa-4131-badc-b6f3a001407e}", 10016, "0",
     "<Data Name='param1'>application-specific</Data><Data Name='param2'>Local</Data>"
     "<Data Name='param3'>Activation</Data>"
     "<Data Name='param4'>{2593F8B9-4EAF-457C-B68A-50F6B8EA6B54}</Data>"
     "<Data Name='param5'>{15C20B67-12E7-4BB6-92BB-7AFF07997402}</Data>"
     "<Data Name='param6'>NT AUTHORITY</Data><Data Name='param7'>SYSTEM</Data>"},
    {"Microsoft-Windows-WindowsUpdateClient", "{945a8954-c147-4acd-923f-40c45405a658}", 19, "",
     "<Data Name='updateTitle'>Security Intelligence Update - KB2267602 (Version 1.401.12.0)"
     "</Data><Data Name='updateGuid'>{1b8c5c0e-7d9c-4b6a-8a3f-2f0e5d7c9a11}</Data>"
     "<Data Name='updateRevisionNumber'>200</Data>"},
    {"Microsoft-Windows-Kernel-Power", kPower, 172, "",
     "<Data Name='ConnectivityState'>0</Data><Data Name='Reason'>1</Data>"},
    {"Microsoft-Windows-Kernel-General", kGeneral, 16, "",
     "<Data Name='HiveNameLength'>38</Data>"
     "<Data Name='HiveName'>\\??\\C:\\Users\\ana\\ntuser.dat</Data>"
     "<Data Name='KeysUpdated'>18</Data><Data Name='DirtyPages'>14</Data>"},
    {"e1dexpress", "", 27, "16388",
     "<Data></Data><Data>Ethernet Connection I219-V</Data><Binary>0000040002003000</Binary>"},
    {"Microsoft-Windows-Winlogon", "{dbe9b383-7cf3-4331-91cc-a3cb16a3b538}", 7001, "",
     "<Data Name='TSId'>1</Data>"
     "<Data Name='UserSid'>S-1-5-21-3623811015-3361044348-30300820-1001</Data>"},
}};

// A boot, as it writes itself into the log.
constexpr Source kSystemStart{"Microsoft-Windows-Kernel-General", kGeneral, 12, "",
                              "<Data Name='MajorVersion'>10</Data><Data Name='MinorVersion'>0"
                              "</Data><Data Name='BuildVersion'>19045</Data>"
                              "<Data Name='BootMode'>0</Data>"};
constexpr Source kColdBoot{"Microsoft-Windows-Kernel-Boot", kBoot, 27, "",
                           "<Data Name='BootType'>0</Data><Data Name='LoadOptions'></Data>"};
constexpr Source kFastStartup{"Microsoft-Windows-Kernel-Boot", kBoot, 27, "",
                              "<Data Name='BootType'>1</Data><Data Name='LoadOptions'></Data>"};
constexpr Source kLogStart{"EventLog", "", 6005, "32768", kLogBinary};
// What a boot writes of a session before it that did not shut down.
constexpr Source kUncleanReboot{"Microsoft-Windows-Kernel-Power", kPower, 41, "",
                                "<Data Name='BugcheckCode'>0</Data>"
                                "<Data Name='BugcheckParameter1'>0x0</Data>"
                                "<Data Name='SleepInProgress'>0</Data>"};
constexpr Source kUnexpected{"EventLog", "", 6008, "32768",
                             "<Data>11:30:02</Data><Data>05.12.2026</Data><Data></Data>"};
constexpr Source kBugCheck{"Microsoft-Windows-WER-SystemErrorReporting",
                           "{abce23e7-de45-4366-8631-84fa6c525952}", 1001, "16384",
                           "<Data Name='param1'>0x0000009f (0x0000000000000003, "
                           "0xffffe0018b0e6060, 0xffffd000fbb4f7d0, 0xffffe0018ae8a010)</Data>"};
// A sleep, and a session's end.
constexpr Source kSleep{"Microsoft-Windows-Kernel-Power", kPower, 42, "",
                        "<Data Name='TargetState'>4</Data><Data Name='Reason'>7</Data>"};
constexpr Source kWake{"Microsoft-Windows-Power-Troubleshooter",
                       "{cdc05e28-c449-49c6-b9d2-88cf761644df}", 1, "",
                       "<Data Name='SleepTime'>2026-12-04T11:00:02.5000000Z</Data>"
                       "<Data Name='WakeTime'>2026-12-04T12:00:00.5000000Z</Data>"};
constexpr Source kShutdownStarted{
    "User32", "{b0aa8734-56f7-41cc-b2f4-de228e98b946}", 1074, "32768",
    "<Data Name='param1'>C:\\Windows\\Explorer.EXE (DESKTOP-7)</Data>"
    "<Data Name='param2'>DESKTOP-7</Data><Data Name='param3'>Other (Unplanned)</Data>"
    "<Data Name='param4'>0x0</Data><Data Name='param5'>power off</Data>"
    "<Data Name='param6'></Data><Data Name='param7'>DESKTOP-7\\ana</Data>"};
constexpr Source kLogStop{"EventLog", "", 6006, "32768", kLogBinary};
constexpr Source kSystemStop{"Microsoft-Windows-Kernel-General", kGeneral, 13, "",
                             "<Data Name='StopTime'>2026-12-04T16:00:09.5000000Z</Data>"};

constexpr int kBootRecords = 3;
constexpr int kCrashReports = 3;
constexpr int kShutDownRecords = 3;

class ExportWriter {
public:
    ExportWriter(std::string& text, Sequence& random) : text_(text), random_(random) {}

    int Count() const { return count_; }

    void Add(const Source& source, DateTime utc) {
        const DateTimeFields t = FieldsOf(utc);
        char time[40];
        std::snprintf(time, sizeof time, "%04lld-%02d-%02dT%02d:%02d:%02d.%07uZ",
                      static_cast<long long>(t.year), t.month, t.day, t.hour, t.minute, t.second,
                      static_cast<unsigned>(random_.Next(10000000)));
        text_ +=
            "<Event xmlns='http://schemas.microsoft.com/win/2004/08/events/event'><System>"
            "<Provider Name='";
        text_ += source.provider;
        if (!source.guid.empty()) (text_ += "' Guid='") += source.guid;
        text_ += source.qualifiers.empty() ? "'/><EventID>" : "'/><EventID Qualifiers='";
        if (!source.qualifiers.empty()) (text_ += source.qualifiers) += "'>";
        text_ += std::to_string(source.id);
        text_ +=
            "</EventID><Version>0</Version><Level>4</Level><Task>0</Task><Opcode>0</Opcode>"
            "<Keywords>0x8080000000000000</Keywords><TimeCreated SystemTime='";
        text_ += time;
        text_ += "'/><EventRecordID>";
        text_ += std::to_string(++count_ + 104200);
        text_ += "</EventRecordID><Correlation/><Execution ProcessID='";
        text_ += std::to_string(4 + 4 * random_.Next(2000));
        text_ += "' ThreadID='";
        text_ += std::to_string(8 + 4 * random_.Next(4000));
        text_ +=
            "'/><Channel>System</Channel><Computer>DESKTOP-7</Computer>"
            "<Security UserID='S-1-5-18'/></System><EventData>";
        text_ += source.data;
        text_ += "</EventData></Event>\r\n";
    }

private:
    std::string& text_;
    Sequence& random_;
    int count_ = 0;
};

}  // namespace

GeneratedExport GenerateEventExport(int records) {
    Sequence random(20261207);
    GeneratedExport generated;
    generated.text.reserve(static_cast<std::size_t>(records) * 900);
    ExportWriter writer(generated.text, random);
    DateTime at = MakeDateTime(2025, 1, 6, 7, 30, 0);
    bool crashed = false;  // the session before left no shut-down behind
    while (writer.Count() < records) {
        const int others = 150 + static_cast<int>(random.Next(400));
        const bool sleeps = random.Next(3) == 0;
        const bool crashes = random.Next(10) == 0;
        const int needed = kBootRecords + (crashed ? kCrashReports : 0) + others +
                           (sleeps ? 2 : 0) + (crashes ? 0 : kShutDownRecords);
        // Room is left for the boot of the session still running when the export was made.
        const bool last = writer.Count() + needed + kBootRecords + kCrashReports > records;

        writer.Add(kSystemStart, at);
        writer.Add(random.Next(4) == 0 ? kColdBoot : kFastStartup, at + seconds{1});
        writer.Add(kLogStart, at + seconds{5});
        if (crashed) {
            writer.Add(kUncleanReboot, at + seconds{20});
            writer.Add(kUnexpected, at + seconds{25});
            writer.Add(kBugCheck, at + seconds{60});
        }
        DateTime clock = at + seconds{61};
        const auto step = seconds{minutes{30 + random.Next(14 * 60)}} / (others + 1);
        const int count = last ? records - writer.Count() : others;
        const int sleepAfter = sleeps && !last ? static_cast<int>(random.Next(others)) : -1;
        for (int i = 0; i < count; ++i) {
            clock += step + seconds{1};
            writer.Add(kOthers[random.Next(static_cast<std::uint32_t>(kOthers.size()))], clock);
            if (i != sleepAfter) continue;
            writer.Add(kSleep, clock + seconds{1});
            clock += minutes{10 + random.Next(600)};
            writer.Add(kWake, clock);
        }
        if (last) break;
        if (!crashes) {
            writer.Add(kShutdownStarted, clock + seconds{5});
            writer.Add(kLogStop, clock + seconds{12});
            writer.Add(kSystemStop, clock + seconds{14});
        }
        ++generated.sessions;
        crashed = crashes;
        at = clock + minutes{15 + random.Next(random.Next(10) == 0 ? 3 * 1440 : 600)};
    }
    return generated;
}

}  // namespace uptrail::bench
