// The gray histogram drawn as a bar chart: one bar per level, 0 on the left,
// heights scaled to the fullest level, above a ramp of the levels themselves.
#pragma once

#include <cstdint>

#include "analysis/GrayHistogram.h"
#include "cli/PictureWriter.h"

namespace tamrovi::cli {

inline constexpr std::int32_t kPlotMargin = 8;
inline constexpr std::int32_t kPlotBarWidth = 2;       // pixels per gray level
inline constexpr std::int32_t kPlotBarsHeight = 200;   // the fullest level's bar
inline constexpr std::int32_t kPlotRampGap = 4;
inline constexpr std::int32_t kPlotRampHeight = 12;
inline constexpr std::int32_t kPlotWidth = 2 * kPlotMargin + kGrayLevels * kPlotBarWidth;
inline constexpr std::int32_t kPlotHeight = 2 * kPlotMargin + kPlotBarsHeight + kPlotRampGap + kPlotRampHeight;
inline constexpr std::uint8_t kPlotBackground = 255;
inline constexpr std::uint8_t kPlotBarBgr[3] = {120, 72, 36};  // dark blue

// Bar of level L: columns kPlotMargin + L * kPlotBarWidth onwards, rising
// from the row just above the ramp's gap. Any level that has pixels gets a
// bar at least one pixel high.
RgbPicture DrawHistogramPlot(const std::int32_t (&counts)[kGrayLevels]);

}  // namespace tamrovi::cli
