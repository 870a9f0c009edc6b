// Every filter against its rule written out pixel by pixel, on pictures in
// colour (blue, green and red unequal) and in the byte plane, at widths on
// both sides of the 32-pixel blocks the filters work in and heights from one
// row up, in either storage order.
#include <gtest/gtest.h>

#include <algorithm>

#include "entry/FilterTable.h"
#include "filters/Filters.h"
#include "support/ImageFixture.h"

namespace {

using bmptest::Bytes;
using namespace tamrovi;

// A picture as the rules see it: rows from the top, `bytes` bytes a pixel
// (3: blue, green, red; 1: the byte plane).
struct Picture {
  std::int32_t width, height, bytes;
  Bytes pixels;

  std::uint8_t* At(std::int32_t row, std::int32_t column) {
    return pixels.data() + (static_cast<std::size_t>(row) * width + column) * bytes;
  }
  int Gray(std::int32_t row, std::int32_t column) {
    const std::uint8_t* pixel = At(row, column);
    return bytes == 1 ? pixel[0] : (pixel[0] + pixel[1] + pixel[2]) / 3;
  }
  int Sum(std::int32_t row, std::int32_t column) {
    const std::uint8_t* pixel = At(row, column);
    return bytes == 1 ? 3 * pixel[0] : pixel[0] + pixel[1] + pixel[2];
  }
  void Set(std::int32_t row, std::int32_t column, std::uint8_t level) { std::fill_n(At(row, column), bytes, level); }
};

Picture Outline(Picture in) {
  Picture out = in;
  auto dark = [&](std::int32_t r, std::int32_t k) { return in.Gray(r, k) <= 200; };
  for (std::int32_t r = 1; r + 1 < in.height; ++r) {
    for (std::int32_t k = 1; k + 1 < in.width; ++k) {
      bool all = true;
      for (std::int32_t dr = -1; dr <= 1; ++dr) {
        for (std::int32_t dk = -1; dk <= 1; ++dk) all = all && dark(r + dr, k + dk);
      }
      if (!dark(r, k)) out.Set(r, k, 0);
      else if (all) out.Set(r, k, 255);
    }
  }
  return out;
}

Picture Roberts(Picture in) {
  Picture out = in;
  for (std::int32_t r = 0; r < in.height; ++r) {
    for (std::int32_t k = 0; k < in.width; ++k) {
      bool edge = false;
      if (r + 1 < in.height && k + 1 < in.width) {
        const int a = in.Gray(r, k) - in.Gray(r + 1, k + 1), b = in.Gray(r, k + 1) - in.Gray(r + 1, k);
        edge = a * a + b * b >= 2500;
      }
      out.Set(r, k, edge ? 0 : 255);
    }
  }
  return out;
}

Picture Laplace(Picture in) {
  Picture out = in;
  for (std::int32_t r = 0; r < in.height; ++r) {
    for (std::int32_t k = 0; k < in.width; ++k) {
      bool white = false;
      if (r > 0 && k > 0 && r + 1 < in.height && k + 1 < in.width) {
        const int neighbours = in.Gray(r - 1, k) + in.Gray(r + 1, k) + in.Gray(r, k - 1) + in.Gray(r, k + 1);
        white = neighbours - (4 * in.Sum(r, k)) / 3 > 0;
      }
      out.Set(r, k, white ? 255 : 0);
    }
  }
  return out;
}

Picture WhitenDark(Picture in) {
  for (std::int32_t r = 0; r < in.height; ++r) {
    for (std::int32_t k = 0; k < in.width; ++k) {
      if (in.Gray(r, k) < 16) in.Set(r, k, 255);
    }
  }
  return in;
}

Picture Flip(Picture in) {
  Picture out = in;
  for (std::int32_t r = 0; r < in.height; ++r) {
    std::copy_n(in.At(in.height - 1 - r, 0), in.width * in.bytes, out.At(r, 0));
  }
  return out;
}

Picture Window(Picture in) {
  for (std::int32_t r = 0; r < in.height; ++r) {
    for (std::int32_t k = 0; k < in.width; ++k) {
      const bool kept = k >= in.width / 4 && k <= 2 * in.width / 3 && r >= in.height / 3 && r <= 2 * in.height / 3;
      if (!kept) in.Set(r, k, 255);
    }
  }
  return in;
}

// Bytes from a mixture of anything, dark pixels (sums on both sides of 48),
// pixels whose gray is near 200, and runs of equal pixels (whole dark regions).
Bytes Pixels(std::size_t count, std::int32_t bytes, std::uint32_t seed) {
  const Bytes noise = bmptest::RandomBytes(count * static_cast<std::size_t>(bytes) * 2, seed);
  Bytes pixels(count * static_cast<std::size_t>(bytes));
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* draw = noise.data() + 2 * bytes * i;
    for (std::int32_t byte = 0; byte < bytes; ++byte) {
      std::uint8_t& out = pixels[i * bytes + byte];
      switch (draw[bytes] % 4) {
        case 0: out = draw[byte]; break;
        case 1: out = draw[byte] % 32; break;
        case 2: out = static_cast<std::uint8_t>(190 + draw[byte] % 26); break;
        default: out = i > 0 ? pixels[(i - 1) * bytes + byte] : draw[byte];
      }
    }
  }
  return pixels;
}

TEST(ReferenceFiltersTest, EveryFilterFollowsItsRuleInBothLayouts) {
  struct Rule {
    const char* name;
    FilterOperation filter;
    Picture (*reference)(Picture);
  };
  const Rule rules[] = {{"outline", OutlineFilter, Outline},         {"roberts", RobertsFilter, Roberts},
                        {"laplace", LaplaceFilter, Laplace},         {"whiten-dark", WhitenDarkFilter, WhitenDark},
                        {"flip", FlipVertical, Flip},                {"window", CentreWindowFilter, Window}};
  const std::int32_t widths[] = {1, 2, 3, 4, 5, 31, 32, 33, 34, 35, 36, 63, 64, 65, 66, 67, 97};
  const std::int32_t heights[] = {1, 2, 3, 4, 5, 8};
  bmptest::TempDir dir;
  std::uint32_t seed = 0;
  for (std::int32_t width : widths) {
    for (std::int32_t height : heights) {
      for (std::int32_t bytes : {3, 1}) {
        const Picture picture{width, height, bytes, Pixels(static_cast<std::size_t>(width) * height, bytes, ++seed)};
        for (bool topDown : {false, true}) {
          const Bytes file = bytes == 3 ? bmptest::Make24(width, height, picture.pixels, topDown).Build()
                                        : bmptest::Make8(width, height, picture.pixels, topDown).Build();
          for (const Rule& rule : rules) {
            SCOPED_TRACE(::testing::Message() << rule.name << ", " << width << "x" << height << ", "
                                              << (bytes == 3 ? "24-bit" : "8-bit") << (topDown ? " top-down" : ""));
            CBmpImage image;
            ASSERT_EQ(bmptest::LoadBytes(image, dir, file), 1);
            rule.filter(image);
            const Bytes result = bytes == 3 ? bmptest::PictureBgr(image) : bmptest::BytePlane(image);
            ASSERT_EQ(result, rule.reference(picture).pixels);
          }
        }
      }
    }
  }
}

}  // namespace
