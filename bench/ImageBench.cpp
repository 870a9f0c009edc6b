// Loading, saving, every filter code, the histogram and the smoothing, beside
// a memcpy of the same picture: the memory-bandwidth floor every figure is
// read against. The smoothing is also timed against the plain loop the tests
// check it with.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/GaussianSmooth.h"
#include "analysis/GrayHistogram.h"
#include "bench/BenchPictures.h"
#include "bench/RatioReporter.h"
#include "entry/FilterTable.h"
#include "image/BmpImage.h"
#include "image/PictureRows.h"
#include "support/ReferenceSmooth.h"

namespace bench {
namespace {

using tamrovi::CBmpImage;

std::string Label(PictureKind kind, PictureSize size) {
  return std::string(kind == PictureKind::kColour24 ? "24bit/" : "8bit/") + std::to_string(size.width) + "x" +
         std::to_string(size.height);
}

void SetRates(benchmark::State& state, PictureKind kind, PictureSize size) {
  state.counters["MP/s"] = benchmark::Counter(double(size.width) * size.height / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * PictureBytes(kind, size));
}

void Memcpy(benchmark::State& state, PictureKind kind, PictureSize size) {
  const auto bytes = static_cast<std::size_t>(PictureBytes(kind, size));
  std::vector<std::uint8_t> from(bytes, 1), to(bytes, 0);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  SetRates(state, kind, size);
}

void Load(benchmark::State& state, PictureKind kind, PictureSize size) {
  const std::string& path = PicturePath(kind, size);
  for (auto _ : state) {
    CBmpImage image;
    if (!image.LoadBmp(path.c_str())) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(image.m_pDib);
  }
  SetRates(state, kind, size);
}

// Each save writes a new file, as an export does: overwriting the last one
// would time the file system handing its blocks back as well (ext4 also
// flushes a file rewritten over its old contents when it is closed).
void Save(benchmark::State& state, PictureKind kind, PictureSize size) {
  CBmpImage image;
  image.LoadBmp(PicturePath(kind, size).c_str());
  const std::string out = PicturePath(kind, size) + ".out.bmp";
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(out.c_str());
    state.ResumeTiming();
    if (!image.SaveBmp24(out.c_str())) state.SkipWithError("save failed");
  }
  SetRates(state, kind, size);
}

// Filters rewrite the picture in place; running one again on its own output
// costs the same, so the picture is loaded once.
void Filter(benchmark::State& state, std::int32_t code, PictureKind kind, PictureSize size) {
  CBmpImage image;
  image.LoadBmp(PicturePath(kind, size).c_str());
  for (auto _ : state) {
    tamrovi::ApplyFilterCode(image, code);
    benchmark::ClobberMemory();
  }
  SetRates(state, kind, size);
}

void Histogram(benchmark::State& state, PictureKind kind, PictureSize size) {
  CBmpImage image;
  image.LoadBmp(PicturePath(kind, size).c_str());
  std::int32_t counts[tamrovi::kGrayLevels];
  for (auto _ : state) {
    tamrovi::GrayHistogram(image, counts);
    benchmark::DoNotOptimize(counts);
  }
  SetRates(state, kind, size);
}

// Smoothing its own output again costs the same: the arithmetic does not
// depend on the values.
void Smooth(benchmark::State& state, double sigma, PictureKind kind, PictureSize size) {
  CBmpImage image;
  image.LoadBmp(PicturePath(kind, size).c_str());
  for (auto _ : state) {
    if (!tamrovi::GaussianSmooth(image, sigma)) state.SkipWithError("smoothing failed");
    benchmark::ClobberMemory();
  }
  SetRates(state, kind, size);
}

// The byte plane, rows from the top, as the reference loop takes it.
std::vector<std::uint8_t> PlaneOf(const CBmpImage& image) {
  std::vector<std::uint8_t> plane;
  const tamrovi::CPictureRows picture(image);
  std::vector<std::uint8_t> gray(static_cast<std::size_t>(picture.Width()));
  for (std::int32_t row = 0; row < picture.Height(); ++row) {
    const std::uint8_t* levels = picture.GrayLevels(row, gray.data());
    plane.insert(plane.end(), levels, levels + picture.Width());
  }
  return plane;
}

void ReferenceSmooth(benchmark::State& state, double sigma, PictureSize size) {
  CBmpImage image;
  image.LoadBmp(PicturePath(PictureKind::kGray8, size).c_str());
  const std::vector<std::uint8_t> plane = PlaneOf(image);
  for (auto _ : state) {
    benchmark::DoNotOptimize(bmptest::ReferenceSmooth(plane, size.width, size.height, sigma));
  }
  SetRates(state, PictureKind::kGray8, size);
}

void RegisterAll() {
  for (PictureSize size : {kLarge, kSmall}) {
    for (PictureKind kind : {PictureKind::kColour24, PictureKind::kGray8}) {
      const std::string label = Label(kind, size);
      benchmark::RegisterBenchmark(("memcpy/" + label).c_str(), Memcpy, kind, size);
      benchmark::RegisterBenchmark(("LoadBmp/" + label).c_str(), Load, kind, size);
      benchmark::RegisterBenchmark(("SaveBmp24/" + label).c_str(), Save, kind, size);
      for (const tamrovi::FilterDescriptor& filter : tamrovi::FilterTable()) {
        if (filter.run == nullptr) continue;
        benchmark::RegisterBenchmark(("filter" + std::to_string(filter.code) + "-" + filter.name + "/" + label).c_str(),
                                     Filter, filter.code, kind, size);
      }
      benchmark::RegisterBenchmark(("GrayHistogram/" + label).c_str(), Histogram, kind, size);
      for (const char* sigma : {"1.0", "3.0"}) {
        benchmark::RegisterBenchmark((std::string("GaussianSmooth-") + sigma + "/" + label).c_str(), Smooth,
                                     std::stod(sigma), kind, size);
        if (kind == PictureKind::kGray8) {
          benchmark::RegisterBenchmark((std::string("ReferenceSmooth-") + sigma + "/" + label).c_str(),
                                       ReferenceSmooth, std::stod(sigma), size);
        }
      }
    }
  }
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::RegisterAll();
  bench::CRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
