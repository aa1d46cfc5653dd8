#include "win32/shell/menu_mark.h"

#include <algorithm>
#include <cstdint>

namespace uptrail {
namespace {

// A top-down 32-bit bitmap whose pixels the caller reaches through `bits`.
UniqueBitmap CreateBitmap32(int size, std::uint32_t*& bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    bits = static_cast<std::uint32_t*>(pixels);
    return bitmap;
}

// The icon drawn over a plain background of one colour.
bool DrawOver(HDC canvas, HBITMAP bitmap, HICON icon, int size, COLORREF background) {
    const HGDIOBJ previous = SelectObject(canvas, bitmap);
    const RECT all{0, 0, size, size};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(canvas, &all, brush);
    DeleteObject(brush);
    const bool drawn = DrawIconEx(canvas, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL) != FALSE;
    SelectObject(canvas, previous);
    GdiFlush();
    return drawn;
}

}  // namespace

// Drawn once over black and once over white: where the two differ the icon lets the
// background through, by that much. Over black each colour is already multiplied by its
// coverage, which is the form a menu blends. This takes icons of every kind alike, with
// an alpha channel or with only a mask.
UniqueBitmap MenuMarkBitmap(HICON icon, int size) {
    if (!icon || size <= 0) return {};
    std::uint32_t* overBlack = nullptr;
    std::uint32_t* overWhite = nullptr;
    UniqueBitmap black = CreateBitmap32(size, overBlack);
    const UniqueBitmap white = CreateBitmap32(size, overWhite);
    const UniqueMemoryDc canvas(CreateCompatibleDC(nullptr));
    if (!black || !white || !canvas || !overBlack || !overWhite ||
        !DrawOver(canvas.get(), black.get(), icon, size, RGB(0, 0, 0)) ||
        !DrawOver(canvas.get(), white.get(), icon, size, RGB(255, 255, 255)))
        return {};
    for (int i = 0; i < size * size; ++i) {
        // The green channel, in the middle of the pixel, tells the coverage.
        const int seen = static_cast<int>((overWhite[i] >> 8) & 0xFF) -
                         static_cast<int>((overBlack[i] >> 8) & 0xFF);
        const auto alpha = static_cast<std::uint32_t>(255 - std::clamp(seen, 0, 255));
        std::uint32_t pixel = overBlack[i] & 0x00FFFFFF;
        // Rounding may leave a channel above its coverage; premultiplied never is.
        for (int shift = 0; shift < 24; shift += 8) {
            const std::uint32_t channel = std::min((pixel >> shift) & 0xFF, alpha);
            pixel = (pixel & ~(0xFFu << shift)) | (channel << shift);
        }
        overBlack[i] = pixel | (alpha << 24);
    }
    return black;
}

}  // namespace uptrail
