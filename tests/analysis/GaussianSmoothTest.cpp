#include <gtest/gtest.h>

#include <cfloat>
#include <limits>

#include "analysis/GaussianSmooth.h"
#include "platform/Allocation.h"
#include "support/ImageFixture.h"
#include "support/ReferenceSmooth.h"

namespace tamrovi {
namespace {

using bmptest::Bytes;

// Channel 0 (blue), 1 (green) or 2 (red) of B, G, R pixels.
Bytes Channel(const Bytes& bgr, int channel) {
  Bytes plane;
  for (std::size_t i = static_cast<std::size_t>(channel); i < bgr.size(); i += 3) plane.push_back(bgr[i]);
  return plane;
}

const double kUnusableSigmas[] = {0.0, -0.0, -0.2, std::numeric_limits<double>::quiet_NaN(),
                                  std::numeric_limits<double>::infinity(), kMinSigma / 2, 1e-310, kMaxSigma * 2};

TEST(GaussianKernelTest, SizeFollowsSigmaAndWeightsAreSymmetricAndAddUpToOne) {
  const std::pair<double, std::int32_t> cases[] = {{1.0, 7}, {0.5, 5},      {0.2, 3},
                                                   {1.01, 9}, {2.0, 13}, {kMinSigma, 3}, {kMaxSigma, 600001}};
  for (const auto& [sigma, size] : cases) {
    SCOPED_TRACE(sigma);
    double* table = nullptr;
    std::int32_t count = 0;
    MakeGaussianKernel(sigma, table, count);
    ASSERT_EQ(count, size);
    double sum = 0.0;
    for (std::int32_t t = 0; t < count; ++t) {
      ASSERT_EQ(table[t], table[count - 1 - t]) << t;
      ASSERT_LE(table[t], table[count / 2]) << t;
      sum += table[t];
    }
    EXPECT_NEAR(sum, 1.0, count * DBL_EPSILON);
    ReleaseBlock(table);
  }
  for (double sigma : kUnusableSigmas) {
    double* table = &sigma;
    std::int32_t count = -1;
    MakeGaussianKernel(sigma, table, count);
    EXPECT_TRUE(table == nullptr && count == 0) << sigma;
  }
}

TEST(GaussianSmoothTest, MatchesThePlainLoopByteForByte) {
  // Among the shapes: one pixel wide, one row high, narrower than the kernel
  // (half 6 for sigma 2, half 12 for sigma 3.7), and wide enough for whole
  // vector blocks of 16 pixels inside the kernel's reach, with some left over.
  const std::pair<int, int> sizes[] = {{1, 1},  {1, 9},  {9, 1},  {2, 2},  {5, 3},
                                       {7, 7},  {17, 11}, {33, 6}, {47, 30}, {70, 4}};
  bmptest::TempDir dir;
  std::uint32_t seed = 0;
  for (const auto& [width, height] : sizes) {
    for (double sigma : {0.2, 0.5, 1.0, 1.01, 2.0, 3.7}) {
      const Bytes gray = bmptest::RandomBytes(static_cast<std::size_t>(width * height), ++seed);
      const Bytes bgr = bmptest::RandomBytes(static_cast<std::size_t>(3 * width * height), ++seed);
      for (const char* layout : {"8-bit bottom-up", "8-bit top-down", "24-bit"}) {
        SCOPED_TRACE(::testing::Message() << width << "x" << height << " sigma " << sigma << ' ' << layout);
        const bool colour = layout[0] == '2';
        CBmpImage image;
        ASSERT_EQ(bmptest::LoadBytes(image, dir,
                                     colour ? bmptest::Make24(width, height, bgr).Build()
                                            : bmptest::Make8(width, height, gray, layout[6] == 't').Build()),
                  1);
        ASSERT_EQ(GaussianSmooth(image, sigma), 1);
        if (!colour) {
          EXPECT_EQ(bmptest::BytePlane(image), bmptest::ReferenceSmooth(gray, width, height, sigma));
          continue;
        }
        for (int channel = 0; channel < 3; ++channel) {
          EXPECT_EQ(Channel(bmptest::PictureBgr(image), channel),
                    bmptest::ReferenceSmooth(Channel(bgr, channel), width, height, sigma))
              << "each channel is a plane of its own";
        }
      }
    }
  }
}

TEST(GaussianSmoothTest, UniformPicturesComeOutAtTheirLevelOrOneBelow) {
  // Level 0 among them: zeros stay zeros.
  bmptest::TempDir dir;
  CBmpImage image;
  for (double sigma : {0.5, 1.0, 2.0, 3.7}) {
    for (int v = 0; v < 256; ++v) {
      SCOPED_TRACE(::testing::Message() << "sigma " << sigma << " level " << v);
      ASSERT_EQ(bmptest::LoadBytes(image, dir, bmptest::Make8(9, 7, Bytes(63, std::uint8_t(v))).Build()), 1);
      ASSERT_EQ(GaussianSmooth(image, sigma), 1);
      for (std::uint8_t byte : bmptest::BytePlane(image)) ASSERT_TRUE(byte == v || byte == v - 1) << int{byte};
    }
  }
  // Exactly 77 everywhere: with a multiply and an add fused into one
  // rounding, almost every pixel would come out 76.
  ASSERT_EQ(bmptest::LoadBytes(image, dir, bmptest::Make24(12, 10, Bytes(360, 77)).Build()), 1);
  ASSERT_EQ(GaussianSmooth(image, 1.0), 1);
  EXPECT_EQ(bmptest::PictureBgr(image), Bytes(360, 77));
}

TEST(GaussianSmoothTest, UnusableSigmasAndFailedAllocationsLeaveThePictureAlone) {
  bmptest::TempDir dir;
  CBmpImage image;
  const Bytes gray = bmptest::RandomBytes(30, 4);
  const Bytes file = bmptest::Make8(6, 5, gray).Build();
  for (double sigma : kUnusableSigmas) {
    ASSERT_EQ(bmptest::LoadBytes(image, dir, file), 1);
    EXPECT_EQ(GaussianSmooth(image, sigma), 0) << sigma;
    EXPECT_EQ(bmptest::BytePlane(image), gray) << sigma;
  }
  for (std::int64_t n : {1, 2}) {  // the work table, then the kernel
    ASSERT_EQ(bmptest::LoadBytes(image, dir, file), 1);
    FailNthAllocation(n);
    EXPECT_EQ(GaussianSmooth(image, 1.0), 0) << n;
    FailNthAllocation(0);
    EXPECT_EQ(bmptest::BytePlane(image), gray) << n;
  }
  CBmpImage empty;
  EXPECT_EQ(GaussianSmooth(empty, 1.0), 0);
}

TEST(GaussianSmoothTest, PaddingIsNeverTouchedInEitherLayout) {
  bmptest::TempDir dir;
  CBmpImage image;
  for (bool topDown : {false, true}) {
    bmptest::BmpFile gray = bmptest::Make8(5, 4, bmptest::RandomBytes(20, 6), topDown);
    for (std::size_t row = 0; row < 4; ++row) std::fill_n(gray.pixels.begin() + 8 * row + 5, 3, 0xEE);
    ASSERT_EQ(bmptest::LoadBytes(image, dir, gray.Build()), 1);
    ASSERT_EQ(GaussianSmooth(image, 2.0), 1);
    for (std::int32_t row = 0; row < 4; ++row) {
      EXPECT_EQ(Bytes(image.BytePlaneRow(row) + 5, image.BytePlaneRow(row) + 8), Bytes(3, 0xEE)) << row;
    }
  }
  // A 24-bit file that holds every row is smoothed in its own rows, inside
  // the file image; the byte of padding after each stays as read.
  bmptest::BmpFile colour = bmptest::Make24(5, 4, bmptest::RandomBytes(60, 7));
  for (std::size_t row = 0; row < 4; ++row) colour.pixels[16 * row + 15] = 0xEE;
  ASSERT_EQ(bmptest::LoadBytes(image, dir, colour.Build()), 1);
  ASSERT_EQ(GaussianSmooth(image, 1.0), 1);
  for (std::int32_t row = 0; row < 4; ++row) EXPECT_EQ(image.m_rgbRows[row][15], 0xEE) << row;
}

}  // namespace
}  // namespace tamrovi
