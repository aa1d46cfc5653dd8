#include "alarm/alarm_layout.h"

#include <algorithm>
#include <string>

#include "alarm/alarm_controls.h"
#include "alarm/masked_text.h"

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
// However wide its label, the title box keeps room for a few words.
constexpr int kMinTitleWidth = 120;

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

    int BarWidth() const { return metrics_.scrollBarWidth; }

    // Rows are placed by their scaled edges, so that rounding never makes them overlap.
    PixelRect Row(int left, int width, int designTop, int designHeight) const {
        return {left, Scale(designTop), width, Scale(designTop + designHeight) - Scale(designTop)};
    }

    int LabelWidth(AlarmPart label, std::string_view caption) const {
        return TextWidth(label, VisibleText(caption)) + Scale(2);
    }

    // Filled with the widest digit of its font, so that no value the box shows is cut.
    int BoxWidth(AlarmPart box, std::string_view mask) const {
        int widest = 0;
        for (char digit = '0'; digit <= '9'; ++digit)
            widest = std::max(widest, TextWidth(box, MaskFilled(mask, digit)));
        return widest + metrics_.boxTextInset;
    }

    int ListWidth() const {
        int widest = 0;
        for (std::string_view period : kRepeatPeriods)
            widest = std::max(widest, TextWidth(AlarmPart::cbRepeat, period));
        return widest + metrics_.listTextInset;
    }

    // A label as tall as a label, centred on the height of the part beside it.
    PixelRect LabelBeside(int left, int width, const PixelRect& beside) const {
        const int height = Scale(kLabelHeight);
        return {left, beside.top + (beside.height - height) / 2, width, height};
    }

private:
    int TextWidth(AlarmPart part, std::string_view text) const {
        return metrics_.textWidth ? metrics_.textWidth(part, text) : 0;
    }

    const AlarmLayoutMetrics& metrics_;
};

// The horizontal measures every row shares: each at least its fixed size, and wider
// where a text needs it.
struct Columns {
    int left = 0;   // of the content
    int right = 0;  // of the content: the date frame's right edge
    int gap = 0;
    int groupLabelWidth = 0;  // of the shift and repeat labels, which line up their frames
    int frameLeft = 0;        // of the shift and repeat frames
    int shiftFrameWidth = 0;  // the repeat frame's too
    int timeFrameWidth = 0;
};

Columns MeasureColumns(const Placer& place) {
    const auto S = [&](int pixels) { return place.Scale(pixels); };
    Columns columns;
    columns.left = S(kMargin);
    columns.gap = S(kGap);
    columns.groupLabelWidth =
        std::max({S(kGroupLabelWidth), place.LabelWidth(AlarmPart::tlAlarm0, kShiftCaption),
                  place.LabelWidth(AlarmPart::tlAlarm2, kRepeatCaption)});
    columns.frameLeft = columns.left + columns.groupLabelWidth + columns.gap;
    // What a frame holds besides its box: its border on both sides and the spin pair.
    const int frameParts = 2 * S(kFrameBorder) + 2 * place.BarWidth();
    const int shiftBox = std::max(place.BoxWidth(AlarmPart::tbShift, kShiftMask),
                                  place.BoxWidth(AlarmPart::tbShift, kCountdownMask));
    columns.shiftFrameWidth =
        std::max({S(kShiftFrameWidth),
                  frameParts + place.LabelWidth(AlarmPart::tlShift, kPlusCaption) + shiftBox,
                  frameParts + place.BoxWidth(AlarmPart::tbRepeat, kRepeatMask)});
    columns.timeFrameWidth =
        std::max(S(kTimeFrameWidth), frameParts + place.BoxWidth(AlarmPart::tbTime, kTimeMask));

    const int notesRight = columns.left + place.LabelWidth(AlarmPart::tlNotes, kNotesCaption) +
                           columns.gap + S(kMinTitleWidth);
    const int timeRight = columns.left + place.LabelWidth(AlarmPart::tlAlarm1, kDateCaption) +
                          columns.gap + columns.timeFrameWidth;
    const int listRight =
        columns.frameLeft + columns.shiftFrameWidth + columns.gap + place.ListWidth();
    columns.right = std::max({S(kMargin + kDateFrameWidth), notesRight, timeRight, listRight});
    return columns;
}

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

// The label, and the title box to the right edge.
void PlaceNotes(AlarmLayout& layout, const Placer& place, const Columns& columns) {
    PixelRect& title = layout[AlarmPart::tbTitle];
    title = place.Row(0, 0, kNotesTop, kShiftFrameHeight);
    layout[AlarmPart::tlNotes] =
        place.LabelBeside(columns.left, place.LabelWidth(AlarmPart::tlNotes, kNotesCaption), title);
    title.left = layout[AlarmPart::tlNotes].Right() + columns.gap;
    title.width = columns.right - title.left;
}

// A group's label and its frame, lined up with the other group's; gives the frame's inside.
PixelRect PlaceGroup(AlarmLayout& layout, const Placer& place, const Columns& columns,
                     AlarmPart label, AlarmPart frame, int designTop) {
    const PixelRect outer =
        place.Row(columns.frameLeft, columns.shiftFrameWidth, designTop, kShiftFrameHeight);
    layout[frame] = outer;
    layout[label] = place.LabelBeside(columns.left, columns.groupLabelWidth, outer);
    return Inside(outer, place.Scale(kFrameBorder));
}

// The group label, the frame with "+", the box and its spin pair.
void PlaceShift(AlarmLayout& layout, const Placer& place, const Columns& columns) {
    const PixelRect inner =
        PlaceGroup(layout, place, columns, AlarmPart::tlAlarm0, AlarmPart::pbShift, kShiftTop);
    layout[AlarmPart::tlShift] = {inner.left, inner.top,
                                  place.LabelWidth(AlarmPart::tlShift, kPlusCaption), inner.height};
    PlaceSpinBox(layout, inner, layout[AlarmPart::tlShift].Right(), place.BarWidth(),
                 AlarmPart::tbShift, AlarmPart::vsShift0, AlarmPart::vsShift1);
}

// "OR", with the first line running from it to the right edge.
void PlaceOr(AlarmLayout& layout, const Placer& place, const Columns& columns) {
    const PixelRect orRow = place.Row(columns.left, place.LabelWidth(AlarmPart::tlOr, kOrCaption),
                                      kOrTop, kLabelHeight);
    layout[AlarmPart::tlOr] = orRow;
    const int lineLeft = orRow.Right() + columns.gap;
    layout[AlarmPart::loAlarm0] = {lineLeft, orRow.top + orRow.height / 2, columns.right - lineLeft,
                                   place.Scale(kLineHeight)};
}

// The label and the time frame on one row, the calendar below.
void PlaceDateAndTime(AlarmLayout& layout, const Placer& place, const Columns& columns) {
    const int timeLeft = columns.right - columns.timeFrameWidth;
    const PixelRect time = place.Row(timeLeft, columns.timeFrameWidth, kTimeTop, kTimeFrameHeight);
    layout[AlarmPart::pbTime] = time;
    layout[AlarmPart::tlAlarm1] =
        place.LabelBeside(columns.left, timeLeft - columns.gap - columns.left, time);
    const PixelRect timeInner = Inside(time, place.Scale(kFrameBorder));
    PlaceSpinBox(layout, timeInner, timeInner.left, place.BarWidth(), AlarmPart::tbTime,
                 AlarmPart::vsTime0, AlarmPart::vsTime1);
    const PixelRect date =
        place.Row(columns.left, columns.right - columns.left, kDateTop, kDateFrameHeight);
    layout[AlarmPart::pbDate] = date;
    layout[AlarmPart::ucDate] = Inside(date, place.Scale(kFrameBorder));
}

// The label, the frame shaped as the shift frame, and the list to the right edge.
void PlaceRepeat(AlarmLayout& layout, const Placer& place, const Columns& columns) {
    const PixelRect inner =
        PlaceGroup(layout, place, columns, AlarmPart::tlAlarm2, AlarmPart::pbRepeat, kRepeatTop);
    PlaceSpinBox(layout, inner, inner.left, place.BarWidth(), AlarmPart::tbRepeat,
                 AlarmPart::vsRepeat0, AlarmPart::vsRepeat1);
    const PixelRect repeat = layout[AlarmPart::pbRepeat];
    const int listLeft = repeat.Right() + columns.gap;
    layout[AlarmPart::cbRepeat] = {listLeft, repeat.top, columns.right - listLeft, repeat.height};
}

// The second line across, the elapsed time, and the button at the right edge.
void PlaceBottom(AlarmLayout& layout, const Placer& place, const Columns& columns) {
    layout[AlarmPart::loAlarm1] =
        place.Row(columns.left, columns.right - columns.left, kBottomLineTop, kLineHeight);
    const int buttonWidth = place.Scale(kButtonWidth);
    const PixelRect button =
        place.Row(columns.right - buttonWidth, buttonWidth, kButtonTop, kButtonHeight);
    layout[AlarmPart::bbAlarm] = button;
    layout[AlarmPart::tlNow] =
        place.LabelBeside(columns.left, button.left - columns.gap - columns.left, button);
}

}  // namespace

AlarmLayout LayoutControls(const AlarmLayoutMetrics& metrics) {
    const Placer place(metrics);
    const Columns columns = MeasureColumns(place);
    AlarmLayout layout;
    // The margin right of the content stays as the fixed sizes give it.
    const int rightMargin = place.Scale(kClientWidth) - place.Scale(kMargin + kDateFrameWidth);
    layout.client = {0, 0, columns.right + rightMargin, place.Scale(kClientHeight)};
    PlaceNotes(layout, place, columns);
    PlaceShift(layout, place, columns);
    PlaceOr(layout, place, columns);
    PlaceDateAndTime(layout, place, columns);
    PlaceRepeat(layout, place, columns);
    PlaceBottom(layout, place, columns);
    return layout;
}

}  // namespace uptrail
