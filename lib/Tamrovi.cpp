// The C interface: each call checks its arguments first, then hands the
// picture to the core that the tool and BMPFilters run on.
#include "tamrovi.h"

#include <algorithm>
#include <cstring>

#include "analysis/GaussianSmooth.h"
#include "analysis/GrayHistogram.h"
#include "entry/FilterTable.h"
#include "image/BmpImage.h"
#include "image/BmpWriter.h"
#include "image/PictureRows.h"
#include "lib/Status.h"
#include "platform/Allocation.h"

// The handle is the image object itself; its operator new takes it from the
// C allocator and gives null when memory has run out.
struct tamrovi_picture : tamrovi::CBmpImage {};

namespace {

using namespace tamrovi;
using lib::StatusOfReason;

// The caller's pixels as the writer asks for them.
struct CCallerPixels {
  const std::uint8_t* pixels;
  std::size_t stride;
  int channels;
};

void CallerColours(const void* source, std::int32_t row, std::int32_t first, std::int32_t count,
                   std::uint8_t* bgr) noexcept {
  const auto& caller = *static_cast<const CCallerPixels*>(source);
  const std::uint8_t* in = caller.pixels + static_cast<std::size_t>(row) * caller.stride +
                           static_cast<std::size_t>(first) * static_cast<std::size_t>(caller.channels);
  for (std::int32_t k = 0; k < count; ++k, in += caller.channels, bgr += 3) {
    // A gray level is its own blue, green and red, and Gray3 gives it back.
    bgr[0] = in[caller.channels - 1];
    bgr[1] = in[caller.channels / 2];
    bgr[2] = in[0];
  }
}

// The BMP file of `width` x `height` pixels of `channels` bytes (1: gray
// levels, 3: red, green, blue) at `pixels`, rows from the top `stride` bytes
// apart: 8-bit with the gray ramp, or 24-bit. kOutOfMemory, or kFileTooLarge
// when the file would reach 2 GiB, which no reader takes.
CResult EncodePixels(std::int32_t width, std::int32_t height, int channels, const std::uint8_t* pixels,
                     std::size_t stride, CMemoryOutput& file) noexcept {
  // The reader takes files below 2 GiB, whose size their header can state.
  const std::int64_t length = bmp::kHeadersSize + (channels == 1 ? 4 * 256 : 0) +
                              bmp::RowStride(width, 8 * channels) * height;
  if (length > INT32_MAX) return {Reason::kFileTooLarge, 0};
  const CCallerPixels caller{pixels, stride, channels};
  const CPixelSource source{width, height, CallerColours, &caller};
  const CResult written = channels == 1 ? WriteGray8(source, SinkOf(file)) : WriteBmp24(source, SinkOf(file));
  return written.Ok() ? written : CResult{Reason::kOutOfMemory, 0};
}

CLoadLimits LimitsOf(const tamrovi_read_options& options) {
  return {options.max_rows, options.max_columns, options.max_pixels};
}

bool AreUsable(const tamrovi_read_options& options) {
  return options.max_rows > 0 && options.max_columns > 0 && options.max_pixels > 0 &&
         options.max_pixels <= kLargestMaxPixels;
}

void SetSystemError(int* systemError, int value) {
  if (systemError != nullptr) *systemError = value;
}

// Loads through `load` into a new picture, within `options` (null: the
// defaults), and refuses a file with missing rows when the read is strict.
template <typename Load>
tamrovi_status ReadPicture(const tamrovi_read_options* options, tamrovi_picture** picture, int* systemError,
                           Load load) {
  SetSystemError(systemError, 0);
  if (picture == nullptr) return TAMROVI_INVALID_ARGUMENT;
  *picture = nullptr;
  tamrovi_read_options chosen;
  tamrovi_default_read_options(&chosen);
  if (options != nullptr) chosen = *options;
  if (!AreUsable(chosen)) return TAMROVI_INVALID_ARGUMENT;
  tamrovi_picture* loaded = new tamrovi_picture;
  if (loaded == nullptr) return TAMROVI_OUT_OF_MEMORY;
  if (!load(*loaded, LimitsOf(chosen))) {
    const CResult refusal = loaded->LoadResult();
    SetSystemError(systemError, refusal.systemError);
    const tamrovi_status status = StatusOfReason(refusal.reason);
    delete loaded;
    return status;
  }
  if (chosen.strict && loaded->m_missingRows != 0) {
    delete loaded;
    return TAMROVI_MISSING_ROWS;
  }
  *picture = loaded;
  return TAMROVI_OK;
}

// 24-bit, or as the tool's --keep-format writes.
CResult WriteInFormat(const CBmpImage& picture, tamrovi_format format, const CByteSink& out) noexcept {
  bool tooManyColours = false;
  return format == TAMROVI_FORMAT_KEEP ? WriteKeepingFormat(picture, out, tooManyColours) : WriteBmp24(picture, out);
}

bool IsKnownFormat(tamrovi_format format) { return format == TAMROVI_FORMAT_24BIT || format == TAMROVI_FORMAT_KEEP; }

// Room for `height` rows of `width` pixels of `channels` bytes, `stride`
// apart, whose offsets fit in memory. Counted in 64 bits: a row's bytes can
// pass a 32-bit size_t.
bool StrideFits(std::int32_t height, std::int32_t width, int channels, std::size_t stride) {
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(channels);
  if (height <= 0) return true;
  return stride >= rowBytes && static_cast<std::uint64_t>(stride) <= SIZE_MAX / static_cast<std::uint64_t>(height);
}

}  // namespace

extern "C" {

void tamrovi_default_read_options(tamrovi_read_options* options) {
  if (options == nullptr) return;
  options->max_rows = kWideLimits.maxRows;
  options->max_columns = kWideLimits.maxWidth;
  options->max_pixels = kWideLimits.maxPixels;
  options->strict = 0;
}

tamrovi_status tamrovi_read_file(const char* path, const tamrovi_read_options* options, tamrovi_picture** picture,
                                 int* system_error) {
  if (path == nullptr) {
    SetSystemError(system_error, 0);
    if (picture != nullptr) *picture = nullptr;
    return TAMROVI_INVALID_ARGUMENT;
  }
  return ReadPicture(options, picture, system_error,
                     [path](CBmpImage& image, const CLoadLimits& limits) { return image.LoadBmp(path, limits) != 0; });
}

tamrovi_status tamrovi_read_memory(const void* bytes, size_t length, const tamrovi_read_options* options,
                                   tamrovi_picture** picture) {
  if (bytes == nullptr && length != 0) {
    if (picture != nullptr) *picture = nullptr;
    return TAMROVI_INVALID_ARGUMENT;
  }
  // Lengths beyond 63 bits cannot be a file the reader takes; it refuses
  // from 2 GiB anyway.
  const auto held = static_cast<std::int64_t>(std::min<std::uint64_t>(length, INT64_MAX));
  return ReadPicture(options, picture, nullptr, [bytes, held](CBmpImage& image, const CLoadLimits& limits) {
    return image.LoadBmpFromMemory(static_cast<const std::uint8_t*>(bytes), held, limits) != 0;
  });
}

tamrovi_status tamrovi_make_picture(int32_t width, int32_t height, int channels, const uint8_t* pixels, size_t stride,
                                    tamrovi_picture** picture) {
  if (picture == nullptr) return TAMROVI_INVALID_ARGUMENT;
  *picture = nullptr;
  if (pixels == nullptr || width <= 0 || height <= 0 || (channels != 1 && channels != 3)) {
    return TAMROVI_INVALID_ARGUMENT;
  }
  if (std::int64_t{width} * height > kLargestMaxPixels) return TAMROVI_TOO_MANY_PIXELS;
  if (!StrideFits(height, width, channels, stride)) {
    return TAMROVI_INVALID_ARGUMENT;
  }
  CMemoryOutput file;
  const CResult encoded = EncodePixels(width, height, channels, pixels, stride, file);
  if (!encoded.Ok()) return StatusOfReason(encoded.reason);
  const tamrovi_read_options options = {INT32_MAX, INT32_MAX, kLargestMaxPixels, 0};
  return tamrovi_read_memory(file.Bytes(), static_cast<std::size_t>(file.Size()), &options, picture);
}

void tamrovi_free_picture(tamrovi_picture* picture) { delete picture; }

int32_t tamrovi_width(const tamrovi_picture* picture) { return picture != nullptr ? picture->m_width : 0; }

int32_t tamrovi_height(const tamrovi_picture* picture) { return picture != nullptr ? picture->m_height : 0; }

int tamrovi_channels(const tamrovi_picture* picture) {
  if (picture == nullptr) return 0;
  return CPictureRows(*picture).PixelBytes();
}

int32_t tamrovi_missing_rows(const tamrovi_picture* picture) {
  return picture != nullptr ? picture->m_missingRows : 0;
}

tamrovi_status tamrovi_get_pixels(const tamrovi_picture* picture, uint8_t* pixels, size_t stride) {
  if (picture == nullptr || pixels == nullptr) return TAMROVI_INVALID_ARGUMENT;
  const CPictureRows rows(*picture);
  if (!StrideFits(rows.Height(), rows.Width(), rows.PixelBytes(), stride)) return TAMROVI_INVALID_ARGUMENT;
  const auto rowBytes = static_cast<std::size_t>(rows.Width()) * static_cast<std::size_t>(rows.PixelBytes());
  for (std::int32_t row = 0; row < rows.Height(); ++row) {
    std::uint8_t* out = pixels + static_cast<std::size_t>(row) * stride;
    std::memcpy(out, rows.Row(row), rowBytes);
    if (rows.IsGray()) continue;
    for (std::size_t k = 0; k < rowBytes; k += 3) {  // blue, green, red to red, green, blue
      const std::uint8_t blue = out[k];
      out[k] = out[k + 2];
      out[k + 2] = blue;
    }
  }
  return TAMROVI_OK;
}

int32_t tamrovi_filter_code(const char* name) {
  if (name == nullptr) return -1;
  const FilterDescriptor* filter = FindFilterByName(name);
  return filter != nullptr ? filter->code : -1;
}

tamrovi_status tamrovi_filter(tamrovi_picture* picture, int32_t code) {
  if (picture == nullptr) return TAMROVI_INVALID_ARGUMENT;
  if (FindFilter(code) == nullptr) return TAMROVI_UNKNOWN_FILTER;
  return StatusOfReason(ApplyFilterCode(*picture, code).reason);
}

tamrovi_status tamrovi_histogram(const tamrovi_picture* picture, uint32_t counts[256]) {
  if (picture == nullptr || counts == nullptr) return TAMROVI_INVALID_ARGUMENT;
  std::int32_t levels[kGrayLevels];
  GrayHistogram(*picture, levels);
  for (int level = 0; level < kGrayLevels; ++level) counts[level] = static_cast<std::uint32_t>(levels[level]);
  return TAMROVI_OK;
}

tamrovi_status tamrovi_smooth(tamrovi_picture* picture, double sigma) {
  if (picture == nullptr) return TAMROVI_INVALID_ARGUMENT;
  if (!IsUsableSigma(sigma)) return TAMROVI_INVALID_SIGMA;
  return GaussianSmooth(*picture, sigma) ? TAMROVI_OK : TAMROVI_OUT_OF_MEMORY;
}

tamrovi_status tamrovi_write_file(const tamrovi_picture* picture, const char* path, tamrovi_format format,
                                  int* system_error) {
  SetSystemError(system_error, 0);
  if (picture == nullptr || path == nullptr || !IsKnownFormat(format)) return TAMROVI_INVALID_ARGUMENT;
  const CResult written = SaveToPath(path, [picture, format](const CByteSink& out) {
    return WriteInFormat(*picture, format, out);
  });
  SetSystemError(system_error, written.systemError);
  return StatusOfReason(written.reason);
}

tamrovi_status tamrovi_write_memory(const tamrovi_picture* picture, tamrovi_format format, uint8_t** bytes,
                                    size_t* length) {
  if (bytes != nullptr) *bytes = nullptr;
  if (length != nullptr) *length = 0;
  if (picture == nullptr || bytes == nullptr || length == nullptr || !IsKnownFormat(format)) {
    return TAMROVI_INVALID_ARGUMENT;
  }
  CMemoryOutput memory;
  const CResult written = WriteInFormat(*picture, format, SinkOf(memory));
  // Memory is the only thing an output in memory can lack.
  if (!written.Ok()) return TAMROVI_OUT_OF_MEMORY;
  *length = static_cast<std::size_t>(memory.Size());
  *bytes = memory.Take();
  return TAMROVI_OK;
}

void tamrovi_free(void* bytes) { ReleaseBlock(bytes); }

}  // extern "C"
