// The one writer of BMP bytes. Encoding a picture into the bytes of a BMP
// file is its job; where the bytes go is its caller's, who opens an output,
// hands it over as a CByteSink and commits or discards it afterwards
// (CommitOutput for a COutputFile). Every file written starts with the 54
// bytes of BuildHeaders, and its rows are stored bottom-up, each padded with
// zeros to a multiple of 4 bytes.
#pragma once

#include <cstdint>

#include "image/BmpFormat.h"
#include "platform/Result.h"
#include "platform/ByteSink.h"

namespace tamrovi {

class CBmpImage;
class CPictureColours;

namespace bmp {

// Fills `headers` for a bottom-up uncompressed picture of `width` x `height`
// pixels at `bitCount` bits with `nColors` colour-table entries following the
// headers: file size, pixel offset and image size are derived from these.
// The colours-used field stays 0.
void BuildHeaders(std::int32_t width, std::int32_t height, int bitCount, std::int32_t nColors,
                  std::uint8_t (&headers)[kHeadersSize]) noexcept;

}  // namespace bmp

// Pixels held outside an image object, such as a picture the tool draws:
// `colours` puts blue, green, red of pixels first to first + count - 1 of
// picture row `row` (0 = top) at `bgr`.
struct CPixelSource {
  std::int32_t width;
  std::int32_t height;
  void (*colours)(const void* pixels, std::int32_t row, std::int32_t first, std::int32_t count,
                  std::uint8_t* bgr) noexcept;
  const void* pixels;
};

// An uncompressed 24-bit BMP of the picture (an empty one gives the headers
// alone).
CResult WriteBmp24(const CBmpImage& image, const CByteSink& out) noexcept;
CResult WriteBmp24(const CPixelSource& picture, const CByteSink& out) noexcept;

// An uncompressed 8-bit BMP whose colour table is `colours`, which
// CPictureColours::Collect made from this picture as it now is, named in the
// colours-used field: the file shows exactly the pixels WriteBmp24 writes.
CResult WriteBmp8(const CBmpImage& image, const CPictureColours& colours, const CByteSink& out) noexcept;

// An uncompressed 8-bit BMP of the gray level (Gray3) of every pixel, with
// the 256-entry gray ramp as its colour table (colours-used 0).
CResult WriteGray8(const CPixelSource& picture, const CByteSink& out) noexcept;

// The file image as loaded, m_pDib behind a rebuilt 14-byte file header that
// keeps the loaded pixel offset. kNothingToWrite for an empty object.
CResult WriteFileImage(const CBmpImage& image, const CByteSink& out) noexcept;

// The picture in the kind of file it was read from, as --keep-format writes
// it: a picture read from a colour-table file goes out as its own file image
// when it is gray bytes, else with a table of its own colours when they fit
// one; everything else, and a picture of more than 256 colours (which sets
// `tooManyColours`), 24-bit.
CResult WriteKeepingFormat(const CBmpImage& image, const CByteSink& out, bool& tooManyColours) noexcept;

// Ends the writing into `out`: commits it when `written` is a success, else
// discards it. The result of the whole save: `written`'s, or the commit's.
CResult CommitOutput(COutputFile& out, CResult written) noexcept;

// Opens `path` (null fails; UTF-8, or on Windows UTF-16 as well) for
// replacing, writes it with `write` (a function of a CByteSink returning a
// CResult) and commits it.
template <typename PathChar, typename Write>
CResult SaveToPath(const PathChar* path, Write write) noexcept {
  COutputFile out;
  if (const CResult opened = out.Open(path); !opened.Ok()) return opened;
  return CommitOutput(out, write(SinkOf(out)));
}

}  // namespace tamrovi
