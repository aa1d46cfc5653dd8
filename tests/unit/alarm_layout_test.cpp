#include "alarm/alarm_layout.h"

#include <gtest/gtest.h>

#include <utility>

namespace uptrail {
namespace {

bool Overlap(const PixelRect& a, const PixelRect& b) {
    return a.left < b.Right() && b.left < a.Right() && a.top < b.Bottom() && b.top < a.Bottom();
}

bool Contains(const PixelRect& outer, const PixelRect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.Right() <= outer.Right() &&
           inner.Bottom() <= outer.Bottom();
}

// Every part lies in the window, every framed part in its frame, and nothing overlaps
// but a frame and what it holds: at the usual and larger resolutions, with text of the
// usual width and as wide as the labels can take. The real window is measured at 96 and
// 144 DPI end to end.
TEST(AlarmLayout, EveryPartFitsAndNoTwoOverlapAtAnyResolution) {
    for (const auto& [dpi, characterWidth] : {std::pair{96, 5}, {120, 6}, {144, 5}, {192, 6}}) {
        AlarmLayoutMetrics metrics;
        metrics.dpi = dpi;
        metrics.scrollBarWidth = 17 * dpi / 96;
        metrics.textWidth = [=](std::string_view text, bool) {
            return static_cast<int>(text.size()) * characterWidth * dpi / 96;
        };
        const AlarmLayout layout = LayoutControls(metrics);
        for (std::size_t i = 0; i < kAlarmPartCount; ++i) {
            const auto part = static_cast<AlarmPart>(i);
            SCOPED_TRACE(testing::Message() << "dpi " << dpi << ", width " << characterWidth
                                            << ", part " << i);
            const PixelRect& rect = layout.parts[i];
            EXPECT_GT(rect.width, 0);
            EXPECT_GT(rect.height, 0);
            EXPECT_TRUE(Contains(layout.client, rect));
            EXPECT_TRUE(Contains(layout[FrameOf(part)], rect));
            for (std::size_t j = i + 1; j < kAlarmPartCount; ++j) {
                const auto other = static_cast<AlarmPart>(j);
                if (FrameOf(other) == part || FrameOf(part) == other) continue;
                EXPECT_FALSE(Overlap(rect, layout.parts[j])) << "with part " << j;
            }
        }
    }
}

}  // namespace
}  // namespace uptrail
