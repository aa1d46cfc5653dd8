#include "win32/shell/clock_icon.h"

#include <cstring>

namespace uptrail {
namespace {

// Icons larger than this are not drawn by the shell anyway; a larger request is a bug,
// not a reason to allocate gigabytes.
constexpr int kLargestIconSize = 256;

// Opaque pixels carry full alpha. Windows reads a 32-bit icon's alpha channel as soon as
// any pixel has some, and the mask otherwise; with alpha agreeing with the mask, the icon
// looks the same whichever the shell and its scaler go by.
constexpr std::uint32_t kOpaque = 0xFF000000;

// Bitmap pixels hold blue in the low byte, the other way round from a colour value.
std::uint32_t BitmapPixel(Color color) {
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

// Bytes in one row of a monochrome bitmap: CreateBitmap wants rows padded to 16 bits.
std::size_t MaskStride(int width) { return static_cast<std::size_t>((width + 15) / 16) * 2; }

[[nodiscard]] UniqueBitmap CreateColorBitmap(int width, int height,
                                             const std::vector<std::uint32_t>& pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first, as the picture is stored
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && bits) std::memcpy(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
    return bitmap;
}

}  // namespace

HICON ClockIcon::Update(const Image& picture, int iconSize) {
    if (iconSize <= 0 || iconSize > kLargestIconSize) return nullptr;
    if (stretched_.Width() != iconSize) stretched_ = Image(iconSize, iconSize, kMagenta);
    StretchInto(picture, stretched_);

    // The new icon is made before the old one goes, so a failure leaves a working icon.
    UniqueIcon icon = MakeIcon();
    if (!icon) return nullptr;
    if (icon_.reset(icon.release())) ++tally_.iconsDestroyed;  // the previous one
    return icon_.get();
}

UniqueIcon ClockIcon::MakeIcon() {
    const int width = stretched_.Width();
    const int height = stretched_.Height();
    const std::size_t maskStride = MaskStride(width);
    colorBits_.resize(stretched_.Pixels().size());
    maskBits_.assign(maskStride * static_cast<std::size_t>(height), 0);

    // Transparent pixels are black in the colour part and set in the mask: the screen is
    // ANDed with the mask and XORed with the colour, which leaves it as it was.
    std::size_t i = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, ++i) {
            if (IsTransparent(stretched_, x, y)) {
                colorBits_[i] = 0;
                const std::size_t maskByte =
                    static_cast<std::size_t>(y) * maskStride + static_cast<std::size_t>(x / 8);
                // The leftmost pixel is the byte's top bit.
                maskBits_[maskByte] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
            } else {
                colorBits_[i] = kOpaque | BitmapPixel(stretched_.At(x, y));
            }
        }
    }

    UniqueBitmap color = Counted(CreateColorBitmap(width, height, colorBits_));
    UniqueBitmap mask = Counted(UniqueBitmap(CreateBitmap(width, height, 1, 1, maskBits_.data())));
    UniqueIcon icon;
    if (color && mask) {
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmMask = mask.get();
        info.hbmColor = color.get();
        icon.reset(CreateIconIndirect(&info));
    }
    if (icon) ++tally_.iconsCreated;
    // The icon has copies of the bitmaps, which are needed only while it is made.
    GiveBack(color);
    GiveBack(mask);
    return icon;
}

UniqueBitmap ClockIcon::Counted(UniqueBitmap bitmap) {
    if (bitmap) ++tally_.bitmapsCreated;
    return bitmap;
}

void ClockIcon::GiveBack(UniqueBitmap& bitmap) {
    if (bitmap.reset()) ++tally_.bitmapsDeleted;
}

}  // namespace uptrail
