#pragma once
#include <string_view>

#include "base/image.h"

namespace uptrail {

// The program's one icon in the notification area. Each call answers whether the shell
// took it; the caller decides what a refusal means.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;

    // Adds the icon; refused, among others, when the shell has it already.
    virtual bool Add() = 0;
    virtual bool Delete() = 0;
    // Hands the shell the current picture and tooltip.
    virtual bool Modify() = 0;
    // Makes the clock's picture the icon's and hands it to the shell.
    virtual void ShowClock(const Image& picture) = 0;
    // The side in pixels of the icon the shell shows now: the small-icon size at the
    // resolution of the taskbar's monitor, which changes when the user rescales it.
    [[nodiscard]] virtual int IconSize() const = 0;
    // The tooltip text (ANSI), used from the next Add or Modify on.
    virtual void SetTip(std::string_view tip) = 0;
};

}  // namespace uptrail
