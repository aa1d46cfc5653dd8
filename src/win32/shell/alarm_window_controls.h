#pragma once
#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "alarm/alarm_controls.h"
#include "alarm/alarm_layout.h"
#include "win32/platform/unique_handle.h"

namespace uptrail {

// The alarm window's child controls: made once, placed by the layout at the screen's
// resolution, and set from the window's model after every event.
class AlarmWindowControls {
public:
    AlarmWindowControls() = default;
    AlarmWindowControls(const AlarmWindowControls&) = delete;
    AlarmWindowControls& operator=(const AlarmWindowControls&) = delete;

    // Makes the controls inside `window` and gives the window the client size the layout
    // asks for. `dpi` 0 means the window's, that of its monitor.
    void Create(HWND window, int dpi);

    // The window now shows at `dpi` (it moved to another monitor, or the user changed the
    // scale): new fonts, a new layout and the client size that goes with it.
    void ChangeDpi(HWND window, int dpi);

    // Sets every control from the model; the caller keeps its change guard raised.
    void Render(const AlarmControls& model);

    HWND operator[](AlarmPart part) const { return controls_[static_cast<std::size_t>(part)]; }
    [[nodiscard]] std::optional<AlarmPart> PartOf(HWND control) const;
    std::string Text(AlarmPart part) const;
    Date CalendarDate() const;
    const AlarmLayout& Layout() const { return layout_; }

    // The frames around the spin boxes and the calendar, drawn on the window itself.
    void PaintFrames(HDC canvas) const;

private:
    HWND Make(HWND window, AlarmPart part, const wchar_t* windowClass, std::string_view text,
              DWORD style, DWORD exStyle = 0);
    void MakeSpinBox(HWND window, AlarmPart box, AlarmPart upperBar, AlarmPart lowerBar,
                     std::string_view mask);
    void LayOut(HWND window, int dpi);
    void Place(HWND window);
    void RenderSpinBox(const SpinBox& box, AlarmPart boxPart, AlarmPart upperBar,
                       AlarmPart lowerBar, bool enabled);
    void SetText(AlarmPart part, const std::string& text);

    std::array<HWND, kAlarmPartCount> controls_{};
    AlarmLayout layout_;
    // The controls draw with it but never own it.
    UniqueFont font_;
    std::string shiftMask_;
};

// The control identifier of a part: its place in the layout's order, from 100 on.
int AlarmControlId(AlarmPart part);

}  // namespace uptrail
