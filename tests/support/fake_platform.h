#pragma once
#include <cctype>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "alarm/alarm_context.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/event_sink.h"
#include "platform/http_client.h"
#include "platform/locale.h"
#include "platform/program_window.h"
#include "platform/system_info.h"
#include "platform/system_log.h"
#include "platform/tray_icon.h"

namespace uptrail::testing {

// A clock that stands still until the test moves it.
class FakeClock final : public Clock {
public:
    DateTime now{};
    std::uint64_t tickCount = 0;

    // Time passes as on a running system: the clock and the tick count move together.
    void Advance(std::chrono::seconds elapsed) {
        now += elapsed;
        tickCount += static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    }

    DateTime Now() const override { return now; }
    std::uint64_t TickCount() const override { return tickCount; }
};

// An installation described by its fields. Drives are found without regard to case, as
// Windows finds them; a drive without a serial reads as not ready.
class FakeSystemInfo final : public SystemInfo {
public:
    std::string windowsFolder = "C:\\WINDOWS";
    std::vector<std::string> drivePaths{"C:"};
    std::filesystem::path programFolder;
    std::filesystem::path programDataFolder;
    std::filesystem::path temporaryFolder = "temp";
    std::vector<BootRecord> bootRecords;
    std::vector<ShutdownRecord> shutdownRecords;
    mutable int shutdownQueries = 0;

    void SetSerial(std::string_view drive, std::uint32_t serial) {
        serials_[KeyOf(drive)] = serial;
    }

    std::string WindowsFolder() const override { return windowsFolder; }
    std::optional<std::uint32_t> VolumeSerial(std::string_view drive) const override {
        const auto found = serials_.find(KeyOf(drive));
        if (found == serials_.end()) return std::nullopt;
        return found->second;
    }
    std::vector<std::string> DrivePaths() const override { return drivePaths; }
    std::filesystem::path ProgramFolder() const override { return programFolder; }
    std::filesystem::path ProgramDataFolder() const override { return programDataFolder; }
    std::filesystem::path TemporaryFolder() const override { return temporaryFolder; }
    std::vector<BootRecord> RecentBootRecords() const override { return bootRecords; }
    std::vector<ShutdownRecord> RecentShutdownRecords() const override {
        ++shutdownQueries;
        return shutdownRecords;
    }

private:
    static std::string KeyOf(std::string_view drive) {
        std::string key(drive);
        for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return key;
    }

    std::map<std::string, std::uint32_t> serials_;
};

// The shell's notification area, as calls counted: while it answers (`succeeds`) it adds
// an icon it does not have and changes or deletes one it has. `addTimesOut` stands for a
// shell that takes the icon but answers too late.
class FakeTrayIcon final : public TrayIcon {
public:
    bool succeeds = true;
    bool addTimesOut = false;
    bool present = false;  // the shell has the icon
    int addCalls = 0;
    int deleteCalls = 0;
    int iconSize = 16;
    Image shown;  // the picture of the last ShowClock

    bool Add() override {
        ++addCalls;
        if (!succeeds || present) return false;
        present = true;
        return !addTimesOut;
    }
    bool Delete() override {
        ++deleteCalls;
        const bool had = succeeds && present;
        if (had) present = false;
        return had;
    }
    bool Modify() override { return succeeds && present; }
    void SetTip(std::string_view) override {}
    void ShowClock(const Image& picture) override { shown = picture; }
    int IconSize() const override { return iconSize; }
};

// The main window of the only running copy; what it is asked to do is recorded.
class FakeMainWindow final : public ProgramWindow, public AlarmWindows {
public:
    bool HandOverToRunningCopy() override { return false; }
    void MarkAsRunningCopy() override {}
    void Close() override {}
    void SetAlarmCheck(bool) override {}
    void OpenAlarmWindow(std::string_view key) override { openedAlarms.emplace_back(key); }
    void ActivateAlarmWindow(std::uintptr_t window) override { activatedAlarms.push_back(window); }

    std::vector<std::string> openedAlarms;
    std::vector<std::uintptr_t> activatedAlarms;
};

// The desktop as a record of what was shown and asked, on a 768-pixel-high screen.
class FakeDesktop final : public Desktop {
public:
    struct Message {
        std::string text;
        std::string title;
        MessageIcon icon = MessageIcon::kNone;
    };
    std::vector<Message> messages;
    std::vector<std::string> openedAddresses;
    std::vector<std::filesystem::path> chooserStarts;
    bool answerOk = true;
    bool answerDownload = false;
    std::optional<std::filesystem::path> chosenFolder;

    void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) override {
        messages.push_back({std::string(text), std::string(title), icon});
    }
    bool AskOkCancel(std::string_view text, std::string_view title) override {
        messages.push_back({std::string(text), std::string(title), MessageIcon::kQuestion});
        return answerOk;
    }
    std::optional<std::filesystem::path> ChooseFolder(const std::filesystem::path& start) override {
        chooserStarts.push_back(start);
        return chosenFolder;
    }
    bool OpenAddress(std::string_view address) override {
        openedAddresses.emplace_back(address);
        return true;
    }
    bool ShowUpdateOffer(std::string_view) override { return answerDownload; }
    void ShowAbout(std::string_view text, std::string_view caption) override {
        messages.push_back({std::string(text), std::string(caption), MessageIcon::kNone});
    }
    bool OpenFile(const std::filesystem::path& file) override {
        openedFiles.push_back(file);
        return true;
    }
    std::vector<std::filesystem::path> openedFiles;
    // The copy started with administrator rights; none by default: the user declines.
    std::function<bool(std::string_view)> runElevated;
    std::vector<std::string> elevatedSwitches;
    bool RunElevated(std::string_view programSwitch) override {
        elevatedSwitches.emplace_back(programSwitch);
        return runElevated && runElevated(programSwitch);
    }
    int ScreenHeight() const override { return 768; }
    int MenuHeight() const override { return 19; }
};

// The event log as the events handed to it; every write answers `succeeds`.
class FakeEventSink final : public EventSink {
public:
    bool succeeds = true;
    int writes = 0;
    std::vector<LogEvent> written;

    bool Write(const LogEvent& event) override {
        ++writes;
        if (succeeds) written.push_back(event);
        return succeeds;
    }
};

// Starts no request but records its address; a test hands in the response through the
// main window's event, as the shell does when the worker is done.
class FakeHttpClient final : public HttpClient {
public:
    bool starts = true;
    std::vector<std::string> requests;

    bool StartGet(std::string_view address, std::chrono::milliseconds) override {
        if (starts) requests.emplace_back(address);
        return starts;
    }
};

class FakeSystemLog final : public SystemLogReader {
public:
    int readings = 0;  // the readings started

    bool StartReading() override { return ++readings > 0; }
};

// English month names, a settable decimal separator, and ISO-like date texts.
class FakeLocale final : public Locale {
public:
    std::string decimalSeparator = ".";

    const MonthNames& Months() const override { return EnglishMonthNames(); }
    std::string DecimalSeparator() const override { return decimalSeparator; }
    std::string DateTimeText(DateTime value) const override { return FormatTimestamp(value); }
};

}  // namespace uptrail::testing
