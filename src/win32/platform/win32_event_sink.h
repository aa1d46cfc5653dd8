#pragma once
#include <windows.h>

#include "platform/event_sink.h"

namespace uptrail {

// The Application log under the source "Uptrail". Without the source registered (a copied
// program, no installer) Windows still takes the events; Event Viewer then shows their
// strings without the message around them.
class Win32EventSink final : public EventSink {
public:
    Win32EventSink() = default;
    ~Win32EventSink() override;
    Win32EventSink(const Win32EventSink&) = delete;
    Win32EventSink& operator=(const Win32EventSink&) = delete;

    bool Write(const LogEvent& event) override;

private:
    HANDLE source_ = nullptr;  // opened at the first write: most starts write one event or none
};

}  // namespace uptrail
