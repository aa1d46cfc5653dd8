#pragma once
#include <array>
#include <cstddef>
#include <functional>
#include <string_view>

namespace uptrail {

// The alarm window's parts, in the order they are placed. The frames (pb...) hold the
// parts listed after them; lines are drawn as thin bars. One row of the window per line.
// clang-format off
enum class AlarmPart : std::size_t {
    tlNotes, tbTitle,
    tlAlarm0, pbShift, tlShift, tbShift, vsShift0, vsShift1,
    tlOr, loAlarm0,
    tlAlarm1, pbTime, tbTime, vsTime0, vsTime1, pbDate, ucDate,
    tlAlarm2, pbRepeat, tbRepeat, vsRepeat0, vsRepeat1, cbRepeat,
    loAlarm1, tlNow, bbAlarm,
    kCount
};
// clang-format on
inline constexpr std::size_t kAlarmPartCount = static_cast<std::size_t>(AlarmPart::kCount);

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
};

// What the layout needs to know of the screen and of the controls, in pixels at the
// screen's resolution: its dots per inch, the system's width of a vertical scroll bar,
// what a masked box and the drop-down list take beside their text (margins, caret,
// borders, button), and the width of a text in the font of a part. The text widths come
// from the real fonts, so the shell measures them.
struct AlarmLayoutMetrics {
    int dpi = 96;
    int scrollBarWidth = 17;
    int boxTextInset = 0;
    int listTextInset = 0;
    std::function<int(AlarmPart part, std::string_view text)> textWidth;
};

struct AlarmLayout {
    PixelRect client;
    std::array<PixelRect, kAlarmPartCount> parts{};
    const PixelRect& operator[](AlarmPart part) const {
        return parts[static_cast<std::size_t>(part)];
    }
    PixelRect& operator[](AlarmPart part) { return parts[static_cast<std::size_t>(part)]; }
};

// Places every part from a few fixed sizes scaled to the screen's resolution, so that
// the window keeps its proportions at any DPI: the notes, the shift, "OR", the date and
// time, the repeat, and the bottom row with the elapsed time and the button. A label, box
// or list whose text needs more than its fixed size gets what it needs, and the window
// grows wider to hold it rather than cut the text.
AlarmLayout LayoutControls(const AlarmLayoutMetrics& metrics);

// Captions of the labels and the widest contents of the boxes, as the layout measures
// them; "&" marks an access key and "&&" a plain "&".
inline constexpr std::string_view kNotesCaption = "&Notes:";
inline constexpr std::string_view kShiftCaption = "Set &shift from now:";
inline constexpr std::string_view kDateCaption = "Set &date && time:";
inline constexpr std::string_view kRepeatCaption = "&Repeat alarm every:";
inline constexpr std::string_view kOrCaption = "OR";
inline constexpr std::string_view kPlusCaption = "+";

}  // namespace uptrail
