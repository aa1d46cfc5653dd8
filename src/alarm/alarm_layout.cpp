#include "alarm/alarm_layout.h"

#include <algorithm>
#include <string>

namespace uptrail {
namespace {

// Fixed sizes in pixels at 96 DPI.
constexpr int kClientWidth = 292;
constexpr int kClientHeight = 340;
constexpr int kGroupLabelWidth = 96;
constexpr int kLabelHeight = 16;
constexpr int kShiftFrameWidth = 120;
constexpr int kShiftFrameHeight = 22;
constexpr int kDateFrameWidth = 280;
constexpr int kDateFrameHeight = 160;
constexpr int kTimeFrameWidth = 117;
constexpr int kTimeFrameHeight = 30;
constexpr int kButtonWidth = 72;
constexpr int kButtonHeight = 24;
constexpr int kMargin = 6;
constexpr int kGap = 4;
constexpr int kFrameBorder = 1;
constexpr int kLineHeight = 2;

// The rows from top to bottom, at 96 DPI: heights are fixed, only widths follow text.
constexpr int kNotesTop = kMargin;
constexpr int kShiftTop = kNotesTop + kShiftFrameHeight + 6;
constexpr int kOrTop = kShiftTop + kShiftFrameHeight + 4;
constexpr int kTimeTop = kOrTop + kLabelHeight + 4;
constexpr int kDateTop = kTimeTop + kTimeFrameHeight + 4;
constexpr int kRepeatTop = kDateTop + kDateFrameHeight + 6;
constexpr int kBottomLineTop = kRepeatTop + kShiftFrameHeight + 6;
constexpr int kButtonTop = kBottomLineTop + kLineHeight + 5;
static_assert(kButtonTop + kButtonHeight <= kClientHeight, "the rows must fit the window");

std::string VisibleText(std::string_view caption) {
    std::string text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        text += caption[i];
    }
    return text;
}

class Placer {
public:
    explicit Placer(const AlarmLayoutMetrics& metrics) : metrics_(metrics) {}

    // A length at 96 DPI at the screen's resolution, rounded to the nearest pixel.
    int Scale(int pixels) const { return (pixels * metrics_.dpi + 48) / 96; }

    // Rows are placed by their scaled edges, so that rounding never makes them overlap.
    PixelRect Row(int left, int width, int designTop, int designHeight) const {
        return {left, Scale(designTop), width, Scale(designTop + designHeight) - Scale(designTop)};
    }

    int LabelWidth(std::string_view caption) const {
        return metrics_.textWidth ? metrics_.textWidth(VisibleText(caption), false) + Scale(2) : 0;
    }

    // A label as tall as a label, centred on the height of the part beside it.
    PixelRect LabelBeside(int left, int width, const PixelRect& beside) const {
        const int height = Scale(kLabelHeight);
        return {left, beside.top + (beside.height - height) / 2, width, height};
    }

private:
    const AlarmLayoutMetrics& metrics_;
};

PixelRect Inside(const PixelRect& frame, int border) {
    return {frame.left + border, frame.top + border, frame.width - 2 * border,
            frame.height - 2 * border};
}

// A masked box and its spin pair side by side, filling a frame from `left` on.
void PlaceSpinBox(AlarmLayout& layout, const PixelRect& inner, int left, int barWidth,
                  AlarmPart box, AlarmPart upperBar, AlarmPart lowerBar) {
    const int barsLeft = inner.Right() - 2 * barWidth;
    layout[box] = {left, inner.top, std::max(0, barsLeft - left), inner.height};
    layout[upperBar] = {barsLeft, inner.top, barWidth, inner.height};
    layout[lowerBar] = {barsLeft + barWidth, inner.top, barWidth, inner.height};
}

}  // namespace

AlarmPart FrameOf(AlarmPart part) {
    switch (part) {
    case AlarmPart::tlShift:
    case AlarmPart::tbShift:
    case AlarmPart::vsShift0:
    case AlarmPart::vsShift1: return AlarmPart::pbShift;
    case AlarmPart::tbTime:
    case AlarmPart::vsTime0:
    case AlarmPart::vsTime1: return AlarmPart::pbTime;
    case AlarmPart::ucDate: return AlarmPart::pbDate;
    case AlarmPart::tbRepeat:
    case AlarmPart::vsRepeat0:
    case AlarmPart::vsRepeat1: return AlarmPart::pbRepeat;
    default: return part;
    }
}

bool IsFrame(AlarmPart part) {
    return part == AlarmPart::pbShift || part == AlarmPart::pbTime || part == AlarmPart::pbDate ||
           part == AlarmPart::pbRepeat;
}

AlarmLayout LayoutControls(const AlarmLayoutMetrics& metrics) {
    const Placer place(metrics);
    const auto S = [&](int pixels) { return place.Scale(pixels); };
    AlarmLayout layout;
    layout.client = {0, 0, S(kClientWidth), S(kClientHeight)};
    const int left = S(kMargin);
    const int right = S(kMargin + kDateFrameWidth);
    const int gap = S(kGap);
    const int border = S(kFrameBorder);
    const int barWidth = metrics.scrollBarWidth;
    // The shift and repeat frames line up after the wider of their two labels.
    const int groupLabelWidth = std::max({S(kGroupLabelWidth), place.LabelWidth(kShiftCaption),
                                          place.LabelWidth(kRepeatCaption)});
    const int frameLeft = left + groupLabelWidth + gap;

    // Notes: the label, and the title box to the date frame's right edge.
    layout[AlarmPart::tbTitle] = place.Row(0, 0, kNotesTop, kShiftFrameHeight);
    layout[AlarmPart::tlNotes] =
        place.LabelBeside(left, place.LabelWidth(kNotesCaption), layout[AlarmPart::tbTitle]);
    layout[AlarmPart::tbTitle].left = layout[AlarmPart::tlNotes].Right() + gap;
    layout[AlarmPart::tbTitle].width = right - layout[AlarmPart::tbTitle].left;

    // Shift: the group label, the frame with "+", the box and its spin pair.
    const PixelRect shift = place.Row(frameLeft, S(kShiftFrameWidth), kShiftTop, kShiftFrameHeight);
    layout[AlarmPart::pbShift] = shift;
    layout[AlarmPart::tlAlarm0] = place.LabelBeside(left, groupLabelWidth, shift);
    const PixelRect shiftInner = Inside(shift, border);
    layout[AlarmPart::tlShift] = {shiftInner.left, shiftInner.top, place.LabelWidth(kPlusCaption),
                                  shiftInner.height};
    PlaceSpinBox(layout, shiftInner, layout[AlarmPart::tlShift].Right(), barWidth,
                 AlarmPart::tbShift, AlarmPart::vsShift0, AlarmPart::vsShift1);

    // "OR", with the first line running from it to the right edge.
    const PixelRect orRow = place.Row(left, place.LabelWidth(kOrCaption), kOrTop, kLabelHeight);
    layout[AlarmPart::tlOr] = orRow;
    const int orLineLeft = orRow.Right() + gap;
    layout[AlarmPart::loAlarm0] = {orLineLeft, orRow.top + orRow.height / 2, right - orLineLeft,
                                   S(kLineHeight)};

    // Date and time: the label and the time frame on one row, the calendar below.
    const int timeLeft = right - S(kTimeFrameWidth);
    const PixelRect time = place.Row(timeLeft, S(kTimeFrameWidth), kTimeTop, kTimeFrameHeight);
    layout[AlarmPart::pbTime] = time;
    layout[AlarmPart::tlAlarm1] = place.LabelBeside(left, timeLeft - gap - left, time);
    const PixelRect timeInner = Inside(time, border);
    PlaceSpinBox(layout, timeInner, timeInner.left, barWidth, AlarmPart::tbTime, AlarmPart::vsTime0,
                 AlarmPart::vsTime1);
    const PixelRect date = place.Row(left, right - left, kDateTop, kDateFrameHeight);
    layout[AlarmPart::pbDate] = date;
    layout[AlarmPart::ucDate] = Inside(date, border);

    // Repeat: the label, the frame shaped as the shift frame, and the combo to the edge.
    const PixelRect repeat =
        place.Row(frameLeft, S(kShiftFrameWidth), kRepeatTop, kShiftFrameHeight);
    layout[AlarmPart::pbRepeat] = repeat;
    layout[AlarmPart::tlAlarm2] = place.LabelBeside(left, groupLabelWidth, repeat);
    const PixelRect repeatInner = Inside(repeat, border);
    PlaceSpinBox(layout, repeatInner, repeatInner.left, barWidth, AlarmPart::tbRepeat,
                 AlarmPart::vsRepeat0, AlarmPart::vsRepeat1);
    const int comboLeft = repeat.Right() + gap;
    layout[AlarmPart::cbRepeat] = {comboLeft, repeat.top, std::max(0, right - comboLeft),
                                   repeat.height};

    // Bottom: the second line across, the elapsed time, and the button at the right edge.
    layout[AlarmPart::loAlarm1] = place.Row(left, right - left, kBottomLineTop, kLineHeight);
    const PixelRect button =
        place.Row(right - S(kButtonWidth), S(kButtonWidth), kButtonTop, kButtonHeight);
    layout[AlarmPart::bbAlarm] = button;
    layout[AlarmPart::tlNow] = place.LabelBeside(left, button.left - gap - left, button);
    return layout;
}

}  // namespace uptrail
