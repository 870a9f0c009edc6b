#include "cli/HistogramPlot.h"

#include <algorithm>

namespace tamrovi::cli {
namespace {

// Heights in whole pixels, scaled so the fullest level fills the chart.
std::int32_t BarHeight(std::int32_t count, std::int32_t fullest) {
  if (count <= 0) return 0;
  const std::int64_t scaled = std::int64_t{count} * kPlotBarsHeight / fullest;
  return static_cast<std::int32_t>(std::max<std::int64_t>(scaled, 1));
}

}  // namespace

RgbPicture DrawHistogramPlot(const std::int32_t (&counts)[kGrayLevels]) {
  RgbPicture picture(kPlotWidth, kPlotHeight, kPlotBackground);
  const std::int32_t fullest = *std::max_element(counts, counts + kGrayLevels);
  const std::int32_t baseline = kPlotMargin + kPlotBarsHeight;  // the first row below the bars
  const std::int32_t rampTop = baseline + kPlotRampGap;
  for (std::int32_t level = 0; level < kGrayLevels; ++level) {
    const std::int32_t left = kPlotMargin + level * kPlotBarWidth;
    const std::int32_t height = BarHeight(counts[level], fullest);
    picture.Fill(left, baseline - height, kPlotBarWidth, height, kPlotBarBgr);
    const auto gray = static_cast<std::uint8_t>(level);
    const std::uint8_t rampBgr[3] = {gray, gray, gray};
    picture.Fill(left, rampTop, kPlotBarWidth, kPlotRampHeight, rampBgr);
  }
  return picture;
}

}  // namespace tamrovi::cli
