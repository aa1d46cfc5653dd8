#include "win32/shell/alarm_window_controls.h"

#include <commctrl.h>

#include <utility>

#include "win32/platform/dpi.h"
#include "win32/platform/wide_text.h"
#include "win32/shell/masked_edit.h"

namespace uptrail {
namespace {

constexpr int kFirstControlId = 100;
constexpr int kListTextPadding = 6;
// The frames are drawn, not made: only the controls inside them are windows.
constexpr AlarmPart kFrames[] = {AlarmPart::pbShift, AlarmPart::pbTime, AlarmPart::pbDate,
                                 AlarmPart::pbRepeat};

// The font current dialogs use, at the window's resolution.
[[nodiscard]] UniqueFont MakeMessageFont(int dpi) {
    const LOGFONTW font = MessageFontForDpi(dpi);
    return UniqueFont(CreateFontIndirectW(&font));
}

// In the font the control itself draws with.
int TextWidth(HWND control, std::string_view text) {
    HDC canvas = GetDC(control);
    HGDIOBJ previous =
        SelectObject(canvas, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    const std::wstring wide = WideFromAnsi(text);
    SIZE size{};
    GetTextExtentPoint32W(canvas, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(canvas, previous);
    ReleaseDC(control, canvas);
    return size.cx;
}

// An edit's margins follow its font, and the caret needs its own width past the last
// character, or the box scrolls its text as soon as the caret reaches the end.
int EditTextInset(HWND edit) {
    const auto margins = static_cast<DWORD>(SendMessageW(edit, EM_GETMARGINS, 0, 0));
    DWORD caretWidth = 1;
    SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &caretWidth, 0);
    return LOWORD(margins) + HIWORD(margins) + static_cast<int>(caretWidth);
}

// A drop-down list's borders and button take a width that only the control knows; it
// tells it once it has a size. Inside its item area it keeps a few pixels around the text.
int ListTextInset(HWND list, int dpi) {
    const int trialWidth = MulDiv(200, dpi, 96);
    SetWindowPos(list, nullptr, 0, 0, trialWidth, MulDiv(24, dpi, 96),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    const int bordersAndButton =
        GetComboBoxInfo(list, &info)
            ? trialWidth - (info.rcItem.right - info.rcItem.left)
            : GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE);
    return bordersAndButton + MulDiv(kListTextPadding, dpi, 96);
}

SYSTEMTIME SystemTimeOf(Date date) {
    const DateTimeFields fields = FieldsOf(DateTime{date});
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(fields.year);
    time.wMonth = static_cast<WORD>(fields.month);
    time.wDay = static_cast<WORD>(fields.day);
    return time;
}

}  // namespace

int AlarmControlId(AlarmPart part) { return kFirstControlId + static_cast<int>(part); }

HWND AlarmWindowControls::Make(HWND window, AlarmPart part, const wchar_t* windowClass,
                               std::string_view text, DWORD style, DWORD exStyle) {
    HWND control = CreateWindowExW(
        exStyle, windowClass, WideFromAnsi(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
        window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(AlarmControlId(part))),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    controls_[static_cast<std::size_t>(part)] = control;
    return control;
}

void AlarmWindowControls::MakeSpinBox(HWND window, AlarmPart box, AlarmPart upperBar,
                                      AlarmPart lowerBar, std::string_view mask) {
    MakeMaskedEdit(Make(window, box, WC_EDITW, "", WS_TABSTOP | ES_AUTOHSCROLL), mask);
    Make(window, upperBar, WC_SCROLLBARW, "", SBS_VERT);
    Make(window, lowerBar, WC_SCROLLBARW, "", SBS_VERT);
}

void AlarmWindowControls::Create(HWND window, int dpi) {
    if (dpi <= 0) dpi = WindowDpi(window);
    font_ = MakeMessageFont(dpi);
    // Creation order is the tab order, and each label's access key reaches the control
    // made right after it.
    Make(window, AlarmPart::tlNotes, WC_STATICW, kNotesCaption, SS_LEFT);
    Make(window, AlarmPart::tbTitle, WC_EDITW, "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
    Make(window, AlarmPart::tlAlarm0, WC_STATICW, kShiftCaption, SS_LEFT);
    Make(window, AlarmPart::tlShift, WC_STATICW, kPlusCaption, SS_CENTER);
    MakeSpinBox(window, AlarmPart::tbShift, AlarmPart::vsShift0, AlarmPart::vsShift1, kShiftMask);
    Make(window, AlarmPart::tlOr, WC_STATICW, kOrCaption, SS_LEFT);
    Make(window, AlarmPart::loAlarm0, WC_STATICW, "", SS_ETCHEDHORZ);
    Make(window, AlarmPart::tlAlarm1, WC_STATICW, kDateCaption, SS_LEFT);
    MakeSpinBox(window, AlarmPart::tbTime, AlarmPart::vsTime0, AlarmPart::vsTime1, kTimeMask);
    Make(window, AlarmPart::ucDate, MONTHCAL_CLASSW, "", WS_TABSTOP);
    Make(window, AlarmPart::tlAlarm2, WC_STATICW, kRepeatCaption, SS_LEFT);
    MakeSpinBox(window, AlarmPart::tbRepeat, AlarmPart::vsRepeat0, AlarmPart::vsRepeat1,
                kRepeatMask);
    HWND combo = Make(window, AlarmPart::cbRepeat, WC_COMBOBOXW, "",
                      WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL);
    for (std::string_view period : kRepeatPeriods)
        SendMessageW(combo, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(WideFromAnsi(period).c_str()));
    Make(window, AlarmPart::loAlarm1, WC_STATICW, "", SS_ETCHEDHORZ);
    Make(window, AlarmPart::tlNow, WC_STATICW, "", SS_LEFT);
    Make(window, AlarmPart::bbAlarm, WC_BUTTONW, "Start", WS_TABSTOP | BS_PUSHBUTTON);
    shiftMask_ = kShiftMask;
    LayOut(window, dpi);
}

void AlarmWindowControls::ChangeDpi(HWND window, int dpi) {
    // The controls keep drawing with the old font until each has the new one.
    const UniqueFont previous = std::move(font_);
    font_ = MakeMessageFont(dpi);
    for (HWND control : controls_)
        if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    LayOut(window, dpi);
}

void AlarmWindowControls::LayOut(HWND window, int dpi) {
    AlarmLayoutMetrics metrics;
    metrics.dpi = dpi;
    metrics.scrollBarWidth = SystemMetricForDpi(SM_CXVSCROLL, dpi);
    // The masked boxes share one font, so one box's margins are every box's.
    metrics.boxTextInset = EditTextInset((*this)[AlarmPart::tbShift]);
    metrics.listTextInset = ListTextInset((*this)[AlarmPart::cbRepeat], dpi);
    metrics.textWidth = [this](AlarmPart part, std::string_view text) {
        return TextWidth((*this)[part], text);
    };
    layout_ = LayoutControls(metrics);
    Place(window);
}

void AlarmWindowControls::Place(HWND window) {
    // The frame as the window has it now: its thickness follows the resolution where the
    // system scales it, and stays where it does not (Wine), and only the window knows.
    RECT outer{};
    RECT client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    SetWindowPos(window, nullptr, 0, 0, layout_.client.width + frameWidth,
                 layout_.client.height + frameHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (std::size_t i = 0; i < kAlarmPartCount; ++i) {
        if (!controls_[i]) continue;
        const PixelRect& rect = layout_.parts[i];
        // A drop-down list's height is that of its list when it opens.
        const int height =
            static_cast<AlarmPart>(i) == AlarmPart::cbRepeat ? rect.height * 6 : rect.height;
        SetWindowPos(controls_[i], nullptr, rect.left, rect.top, rect.width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void AlarmWindowControls::SetText(AlarmPart part, const std::string& text) {
    if (Text(part) == text) return;
    HWND control = (*this)[part];
    wchar_t windowClass[16]{};
    GetClassNameW(control, windowClass, 16);
    const bool isBox = std::wstring_view(windowClass) == WC_EDITW;
    DWORD start = 0;
    DWORD end = 0;
    if (isBox)
        SendMessageW(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
    SetWindowTextW(control, WideFromAnsi(text).c_str());
    // A box rewritten while the user types keeps the caret where it was.
    if (isBox) SendMessageW(control, EM_SETSEL, start, end);
}

void AlarmWindowControls::RenderSpinBox(const SpinBox& box, AlarmPart boxPart, AlarmPart upperBar,
                                        AlarmPart lowerBar, bool enabled) {
    SetText(boxPart, box.text);
    EnableWindow((*this)[boxPart], enabled);
    const AlarmPart bars[] = {upperBar, lowerBar};
    for (std::size_t i = 0; i < 2; ++i) {
        HWND bar = (*this)[bars[i]];
        // The upper arrow raises the value: the bar runs from the limit down to 0.
        SetScrollRange(bar, SB_CTL, 0, box.limits[i], FALSE);
        SetScrollPos(bar, SB_CTL, box.limits[i] - box.values[i], TRUE);
        EnableWindow(bar, enabled);
    }
}

void AlarmWindowControls::Render(const AlarmControls& model) {
    if (model.tbShift.mask != shiftMask_) {
        shiftMask_ = model.tbShift.mask;
        SetMaskedEditMask((*this)[AlarmPart::tbShift], shiftMask_);
    }
    RenderSpinBox(model.tbShift, AlarmPart::tbShift, AlarmPart::vsShift0, AlarmPart::vsShift1,
                  model.inputsEnabled);
    RenderSpinBox(model.tbTime, AlarmPart::tbTime, AlarmPart::vsTime0, AlarmPart::vsTime1,
                  model.inputsEnabled);
    RenderSpinBox(model.tbRepeat, AlarmPart::tbRepeat, AlarmPart::vsRepeat0, AlarmPart::vsRepeat1,
                  model.customRepeatEnabled);
    HWND calendar = (*this)[AlarmPart::ucDate];
    if (CalendarDate() != model.ucDate) {
        SYSTEMTIME date = SystemTimeOf(model.ucDate);
        MonthCal_SetCurSel(calendar, &date);
    }
    EnableWindow(calendar, model.inputsEnabled);
    HWND combo = (*this)[AlarmPart::cbRepeat];
    if (SendMessageW(combo, CB_GETCURSEL, 0, 0) != model.cbRepeat)
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(model.cbRepeat), 0);
    SetText(AlarmPart::tbTitle, model.tbTitle);
    SetText(AlarmPart::bbAlarm, model.bbAlarm);
    EnableWindow((*this)[AlarmPart::bbAlarm], model.bbAlarmEnabled);
    SetText(AlarmPart::tlNow, model.tlNow);
}

std::optional<AlarmPart> AlarmWindowControls::PartOf(HWND control) const {
    for (std::size_t i = 0; i < kAlarmPartCount; ++i)
        if (control && controls_[i] == control) return static_cast<AlarmPart>(i);
    return std::nullopt;
}

std::string AlarmWindowControls::Text(AlarmPart part) const {
    HWND control = (*this)[part];
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return AnsiFromWide(text);
}

Date AlarmWindowControls::CalendarDate() const {
    SYSTEMTIME date{};
    MonthCal_GetCurSel((*this)[AlarmPart::ucDate], &date);
    return MakeDate(date.wYear, date.wMonth, date.wDay);
}

void AlarmWindowControls::PaintFrames(HDC canvas) const {
    for (AlarmPart frame : kFrames) {
        const PixelRect& rect = layout_[frame];
        RECT edge{rect.left, rect.top, rect.Right(), rect.Bottom()};
        DrawEdge(canvas, &edge, BDR_SUNKENOUTER, BF_RECT);
    }
}

}  // namespace uptrail
