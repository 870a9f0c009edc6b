// CBmpImage: the one in-memory picture. A file is read into it, one operation
// rewrites its pixels in place, and it is written out again.
//
// A picture is held in one of two layouts, chosen when it is loaded:
// - colour rows (m_is24Bit == 1): m_rgbRows[r] is picture row r (0 = top),
//   3 * m_width bytes of blue, green, red per pixel. 24-bit files, and every
//   other variant the reader decodes (1-, 2-, 4-bit, 16- and 32-bit, RLE8 and
//   RLE4, 8-bit with an OS/2 1.x header, 8-bit with any colour table but the
//   gray ramp), are held this way;
// - the byte plane (m_is24Bit == 0, 8-bit uncompressed files with an info
//   header of 40 bytes or more whose colour table is the gray ramp): one gray
//   level per pixel, kept inside the loaded file image at m_pBits in the
//   file's own row order and stride; m_grayRows[r] (0 = top) points at each
//   row's m_width bytes there.
// Everything outside image/ reaches the pixels through CPictureRows
// (image/PictureRows.h), which hides the layout, the storage order and the
// row padding.
//
// The object owns m_pDib, the rows and the palette; m_pBits, m_pColors and
// m_pInfo point into m_pDib, and so do the byte plane's rows and the colour
// rows of an uncompressed 24-bit file that holds every row: a picture read
// needs no second copy, and changing those rows changes the file image. An
// object is either empty (width and height 0, no rows, no buffer) or holds a
// whole picture: every row of its layout is present. A failed load never
// leaves anything in between.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/BmpFormat.h"
#include "platform/Result.h"
#include "image/LoadLimits.h"
#include "platform/Palette.h"
#include "platform/TextConversion.h"

namespace tamrovi {

class CDeviceContext;

// A source of bytes read front to back, such as standard input: `read` puts
// up to `count` bytes at `buffer` and returns how many arrived, 0 at the end
// of the stream, or -1 when reading failed.
struct CByteStream {
  std::int64_t (*read)(void* context, std::uint8_t* buffer, std::int64_t count) noexcept;
  void* context;
};

class CBmpImage {
 public:
  CBmpImage() noexcept = default;
  CBmpImage(const CBmpImage&) = delete;
  CBmpImage& operator=(const CBmpImage&) = delete;
  virtual ~CBmpImage();

  // An object made with new comes from the C allocator and goes back to it:
  // the library loads without the C++ runtime, and the virtual destructor's
  // deleting form would otherwise call the runtime's operator delete. Null
  // when memory has run out.
  static void* operator new(std::size_t bytes) noexcept;
  static void operator delete(void* object) noexcept;

  // Reads the BMP file at `path` (UTF-8, may be null) as BMPFilters reads
  // it: at most kMaxRows rows of kMaxWidth columns (kExportLimits). Returns 1
  // when the picture's rows were loaded, 0 when the file was refused; the
  // reason is then in m_loadError. A refused file leaves the object as it
  // was, except that running out of memory midway leaves it empty.
  int LoadBmp(const char* path) noexcept { return LoadBmp(path, kExportLimits); }

  // As above, accepting any picture within `limits`. The headers are read
  // and checked first: a picture beyond the limits is refused before its
  // pixels are allocated or read. A file that ends before its last row
  // loads, its missing rows black, and m_missingRows says how many.
  int LoadBmp(const char* path, const CLoadLimits& limits) noexcept;

  // LoadBmp(path) and SaveBmp24 for a path in the system's own form (UTF-16
  // on Windows), which is opened as it is, converted no further.
#if defined(_WIN32)
  int LoadBmpFromSystemPath(const SystemPathChar* path) noexcept;
  int SaveBmp24ToSystemPath(const SystemPathChar* path) const noexcept;
#else
  int LoadBmpFromSystemPath(const SystemPathChar* path) noexcept { return LoadBmp(path); }
  int SaveBmp24ToSystemPath(const SystemPathChar* path) const noexcept { return SaveBmp24(path); }
#endif

  // Reads a BMP file already in memory, `length` bytes at `bytes`, exactly
  // as LoadBmp reads a file of those bytes. The bytes are copied; the caller
  // keeps them.
  int LoadBmpFromMemory(const std::uint8_t* bytes, std::int64_t length) noexcept {
    return LoadBmpFromMemory(bytes, length, kExportLimits);
  }
  int LoadBmpFromMemory(const std::uint8_t* bytes, std::int64_t length, const CLoadLimits& limits) noexcept;

  // Reads a BMP file from `stream` (standard input, for one), whose length
  // is not known: the headers first, refused at once when the picture is
  // beyond `limits`; then one buffer sized from what they say, and never
  // more of the stream than the picture needs (or than the 138 bytes the
  // headers may take, for a picture smaller than that). A stream that ends
  // early loads as a file that does. A failed read refuses it as
  // kReadFailed.
  int LoadBmpFromStream(const CByteStream& stream, const CLoadLimits& limits) noexcept;

  // Writes the picture as an uncompressed bottom-up 24-bit BMP with a 54-byte
  // header; an empty object gives the headers alone. Returns 1 when the whole
  // file was written, 0 when it could not be created or written; the file at
  // `path` then keeps what it held before, or stays absent (COutputFile). The
  // writer itself (image/BmpWriter.h) says why, and writes to any output.
  int SaveBmp24(const char* path) const noexcept;

  // Writes the file image as loaded, m_pDib behind a rebuilt 14-byte file
  // header, so an 8-bit picture stays 8-bit with its colour table and its
  // byte plane as it now is. The header keeps the loaded file's pixel offset:
  // a larger info header or a gap before the pixels comes back whole. The
  // colour rows of an uncompressed 24-bit file that holds them all are part
  // of the file image, so their changes are written too; colour rows decoded
  // from any other variant, or completed with zeros, are not, and their
  // changes are written by SaveBmp24 only. Returns 1 when the whole file was
  // written; 0 for an empty object (no file is created) or when the file
  // could not be created or written, as SaveBmp24 fails.
  int SaveDib(const char* path) const noexcept;

  // Selects the picture's palette into `context`, realises it there, and
  // selects the context's earlier palette back, both as foreground palettes.
  // Without a palette nothing is done to the context. Returns 1 when the
  // object holds a picture, 0 for an empty object.
  int SelectPaletteInto(CDeviceContext& context) const noexcept;

  // Byte-plane rows.
  // Bytes between the starts of two stored rows: the width rounded up to 4.
  std::int32_t BytePlaneStride() const noexcept { return (m_width + 3) & ~3; }
  // The stored row that holds picture row `row` (0 = top), in either storage
  // order. Only for a loaded byte-plane picture and 0 <= row < m_height.
  std::uint8_t* BytePlaneRow(std::int32_t row) const noexcept {
    const std::int32_t storedRow = m_isTopDown ? row : m_height - 1 - row;
    return m_pBits + static_cast<std::int64_t>(storedRow) * BytePlaneStride();
  }

  // The row table of each layout, m_height entries, 0 = top: the object's
  // own for up to kMaxRows rows, the picture's allocated one beyond.
  std::uint8_t** GrayRows() noexcept { return m_pTallGrayRows != nullptr ? m_pTallGrayRows : m_grayRows; }
  std::uint8_t** RgbRows() noexcept { return m_pTallRgbRows != nullptr ? m_pTallRgbRows : m_rgbRows; }
  std::uint8_t* const* RgbRows() const noexcept { return m_pTallRgbRows != nullptr ? m_pTallRgbRows : m_rgbRows; }

  // Why the last load refused its file, in the library's one shape (kNone
  // after a load that succeeded): m_loadError and m_loadSystemError.
  CResult LoadResult() const noexcept { return {m_loadError, m_loadSystemError}; }

  // True when the object holds no picture.
  bool IsEmpty() const noexcept { return m_width == 0 || m_height == 0; }

  // Releases everything the object owns; it is then empty.
  void Clear() noexcept;

  CPalette m_palette;               // made from the colour table when m_nColors > 0
  std::uint8_t* m_pBits = nullptr;  // the pixel array inside m_pDib (at the file's pixel offset)
  std::int32_t m_dibSize = 0;       // bytes in m_pDib
  // The colour table inside m_pDib, after the info header (and any bit-field
  // masks). Null when its entries are OS/2 1.x 3-byte ones: m_palette still
  // holds them.
  bmp::RgbQuad* m_pColors = nullptr;
  std::int32_t m_nColors = 0;  // colour-table entries
  // The row tables of a picture of up to kMaxRows rows; a taller one's are
  // m_pTallGrayRows and m_pTallRgbRows. GrayRows() and RgbRows() give the
  // table in use.
  std::uint8_t* m_grayRows[kMaxRows] = {};  // byte-plane rows inside the file image, 0 = top
  std::uint8_t* m_rgbRows[kMaxRows] = {};   // colour rows, 0 = top
  const std::uint8_t* m_pInfo = nullptr;    // the info header: the start of m_pDib
  std::int32_t m_width = 0;
  std::int32_t m_height = 0;      // rows, always positive once loaded
  std::int32_t m_fileLength = 0;  // bytes in the file last loaded
  // The file after its 14-byte file header: info header, colour table, pixel
  // array. For a byte-plane picture whose file ends early it is extended with
  // zeros so that it always holds every stored row.
  std::uint8_t* m_pDib = nullptr;
  // 1: the picture is held in colour rows, whatever the file's bit count
  // (24-bit files and every variant decoded at load); 0: in the byte plane.
  std::int32_t m_is24Bit = 0;

  std::int32_t m_isTopDown = 0;        // 1 when the file stored its top row first
  std::int32_t m_fileBitCount = 0;     // bits a pixel in the file last loaded: 8 or fewer for colour-table files
  std::int32_t m_pixelOffset = 0;      // the file header's pixel offset
  Reason m_loadError = Reason::kNone;  // why the last LoadBmp refused its file
  int m_loadSystemError = 0;           // the system's error number when the file could not be opened or read

  // Where the rows live: the byte plane's rows and those of an uncompressed
  // 24-bit file that holds them all are the file image's own, inside m_pDib;
  // every other row table is one block.
  std::uint8_t* m_pRowBlock = nullptr;

  // The row tables of a picture taller than kMaxRows, from the allocator;
  // null otherwise. Only the one of the picture's layout is made.
  std::uint8_t** m_pTallGrayRows = nullptr;
  std::uint8_t** m_pTallRgbRows = nullptr;

  // Rows the file ended before, in storage order: they are held black. 0
  // for a file that holds its whole picture.
  std::int32_t m_missingRows = 0;
};

}  // namespace tamrovi
