// The fuzz target: every input is a BMP file, and everything the library
// does with a file is done to it. The sanitizers catch a read or write
// outside a buffer, a leak or undefined arithmetic; the checks here catch
// what they cannot see, a result that breaks the library's promises: an
// output whose size disagrees with its headers, a histogram that does not
// add up, an export that does not return 999.
//
// Files live in memory files, named /proc/self/fd/N, so that the library
// opens, reads and writes them through its own paths without touching the
// disk.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "analysis/GaussianSmooth.h"
#include "analysis/GrayHistogram.h"
#include "entry/FilterTable.h"
#include "image/BmpFormat.h"
#include "image/BmpImage.h"
#include "image/PictureRows.h"
#include "tamrovibmpfilters.h"

namespace {

using namespace tamrovi;

// Pictures above this many pixels are loaded and written back but not
// filtered or smoothed: a header can claim 32768 x 1600 pixels in a few
// bytes, and running nine filters over such a picture for every such input
// would leave the fuzzer no time for anything else. The cost of the largest
// pictures is measured by the bounded-cost tests instead.
constexpr std::int64_t kFilteredPixelBudget = 1 << 16;

// Smoothing visits up to min(width, taps) + min(height, taps) weights a
// sample, with 2 ceil(3 sigma) + 1 taps: the largest sigma over a wide
// picture would take seconds. Smoothing is skipped above this many visits.
constexpr double kSmoothingVisitBudget = 1 << 25;

// Codes 1 to 7 and, on either side, codes no filter has.
constexpr std::int32_t kFirstCode = 0;
constexpr std::int32_t kLastCode = 8;

// The library's promises are checked by the target itself: a broken one
// stops the run like a sanitizer report, with the input saved.
void Require(bool condition, const char* promise) {
  if (!condition) {
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
  }
}

class CMemoryFile {
 public:
  explicit CMemoryFile(const char* name) : m_descriptor(memfd_create(name, MFD_CLOEXEC)) {
    Require(m_descriptor >= 0, "a memory file can be made");
    m_path = "/proc/self/fd/" + std::to_string(m_descriptor);
  }

  const char* Path() const { return m_path.c_str(); }
  std::u16string WidePath() const { return std::u16string(m_path.begin(), m_path.end()); }

  void Replace(const std::uint8_t* data, std::size_t size) {
    Require(ftruncate(m_descriptor, 0) == 0, "a memory file can be emptied");
    std::size_t written = 0;
    while (written < size) {
      const ssize_t put = pwrite(m_descriptor, data + written, size - written, static_cast<off_t>(written));
      Require(put > 0, "a memory file can be written");
      written += static_cast<std::size_t>(put);
    }
  }

  // The library writes a descriptor's file from where its offset stands, as
  // a shell's redirection does, so an emptied file is rewound too.
  void Empty() {
    Require(ftruncate(m_descriptor, 0) == 0, "a memory file can be emptied");
    Require(lseek(m_descriptor, 0, SEEK_SET) == 0, "a memory file can be rewound");
  }

  std::string Contents() const {
    std::string bytes;
    char buffer[1 << 16];
    off_t at = 0;
    ssize_t got = 0;
    while ((got = pread(m_descriptor, buffer, sizeof buffer, at)) > 0) {
      bytes.append(buffer, static_cast<std::size_t>(got));
      at += got;
    }
    return bytes;
  }

 private:
  int m_descriptor;
  std::string m_path;
};

std::uint32_t FieldAt(const std::string& bytes, std::size_t offset) {
  return bmp::ReadU32(reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset);
}

// A file SaveBmp24 or the export wrote: the 54-byte headers of an empty
// picture, or a whole bottom-up 24-bit picture whose size matches its headers.
void RequireWellFormed24(const std::string& bytes, const CBmpImage* image) {
  Require(bytes.size() >= bmp::kHeadersSize, "an output holds its headers");
  const auto width = static_cast<std::int32_t>(FieldAt(bytes, bmp::kFileHeaderSize + bmp::kInfoWidth));
  const auto height = static_cast<std::int32_t>(FieldAt(bytes, bmp::kFileHeaderSize + bmp::kInfoHeight));
  Require(width >= 0 && width <= kMaxWidth && height >= 0 && height <= kMaxRows, "an output's size is in range");
  const std::int64_t expected = bmp::kHeadersSize + bmp::RowStride(width, 24) * height;
  Require(static_cast<std::int64_t>(bytes.size()) == expected, "an output is as long as its headers say");
  Require(FieldAt(bytes, bmp::kFileSize) == expected, "an output's file size field is its length");
  if (image != nullptr) {
    Require(width == image->m_width && height == image->m_height, "SaveBmp24 writes the picture held");
  }
}

void SaveAndCheck(const CBmpImage& image, CMemoryFile& output) {
  output.Empty();
  Require(image.SaveBmp24(output.Path()) == 1, "SaveBmp24 writes to a memory file");
  RequireWellFormed24(output.Contents(), &image);
}

void CheckHistogram(const CBmpImage& image) {
  std::int32_t counts[kGrayLevels];
  Require(GrayHistogram(image, counts) == 1, "GrayHistogram returns 1");
  std::int64_t total = 0;
  for (std::int32_t count : counts) total += count;
  Require(total == std::int64_t{image.m_width} * image.m_height, "the histogram counts every pixel once");
}

// The last byte picks the sigma: mostly small usable ones, whose kernels
// stay narrow, and a few that must be refused or that sit on the bounds.
double SigmaOf(std::uint8_t choice) {
  switch (choice) {
    case 255: return 0.0;
    case 254: return -1.0;
    case 253: return std::numeric_limits<double>::quiet_NaN();
    case 252: return std::numeric_limits<double>::infinity();
    case 251: return kMinSigma / 2;
    case 250: return kMinSigma;
    case 249: return kMaxSigma;
    case 248: return kMaxSigma * 2;
    default: return 0.05 + choice / 40.0;  // 0.05 to about 6.2
  }
}

double SmoothingVisits(const CBmpImage& image, double sigma) {
  if (!IsUsableSigma(sigma)) return 0;
  const double taps = 2 * std::ceil(3 * sigma) + 1;
  const double width = image.m_width;
  const double height = image.m_height;
  const double samples = width * height * CPictureRows(image).PixelBytes();
  return samples * (std::min(width, taps) + std::min(height, taps));
}

void CheckSmoothing(CBmpImage& image, double sigma, CMemoryFile& output) {
  if (SmoothingVisits(image, sigma) <= kSmoothingVisitBudget) {
    const int smoothed = GaussianSmooth(image, sigma);
    Require(smoothed == (IsUsableSigma(sigma) ? 1 : 0), "GaussianSmooth refuses exactly the unusable sigmas");
  }
  SaveAndCheck(image, output);
  output.Empty();
  Require(image.SaveDib(output.Path()) == 1, "SaveDib writes a loaded picture");
  const std::string dib = output.Contents();
  Require(static_cast<std::int64_t>(dib.size()) == std::int64_t{image.m_dibSize} + bmp::kFileHeaderSize,
          "SaveDib writes the whole file image");
  Require(FieldAt(dib, bmp::kFileSize) == dib.size(), "SaveDib's file size field is its length");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CMemoryFile input("fuzz-input");
  static CMemoryFile output("fuzz-output");
  input.Replace(data, size);

  CBmpImage first;
  const int loaded = first.LoadBmp(input.Path());
  Require(loaded == (first.m_loadError == Reason::kNone ? 1 : 0), "LoadBmp's result matches its reason");
  Require(loaded == 1 || first.IsEmpty(), "a refused file leaves an empty object");
  SaveAndCheck(first, output);
  if (!loaded) {
    output.Empty();
    Require(first.SaveDib(output.Path()) == 0, "SaveDib writes nothing for an empty object");
  }

  const bool filtered = loaded && std::int64_t{first.m_width} * first.m_height <= kFilteredPixelBudget;
  if (filtered) {
    for (std::int32_t code = kFirstCode; code <= kLastCode; ++code) {
      CBmpImage image;
      Require(image.LoadBmp(input.Path()) == 1, "a file loads the same every time");
      ApplyFilterCode(image, code);
      SaveAndCheck(image, output);
    }
    CheckHistogram(first);
    CheckSmoothing(first, SigmaOf(size > 0 ? data[size - 1] : 0), output);
    // A second load into a loaded object releases all it held first.
    Require(first.LoadBmp(input.Path()) == 1, "a loaded object loads again");
    SaveAndCheck(first, output);
  }

  // The export, on what it can afford: a refused file costs nothing.
  if (filtered || !loaded) {
    const std::int32_t code = static_cast<std::int32_t>(size % (kLastCode + 1));
    output.Empty();
    Require(BMPFilters(input.WidePath().c_str(), output.WidePath().c_str(), code) == TAMROVI_BMPFILTERS_DONE,
            "the export returns 999");
    RequireWellFormed24(output.Contents(), nullptr);
  }
  return 0;
}
