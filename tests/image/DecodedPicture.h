// Loading crafted files and reading back the colour rows they decode to.
#pragma once

#include <cstring>

#include "image/BmpImage.h"
#include "support/BmpBuilder.h"
#include "support/ImageFixture.h"
#include "support/TempDir.h"

namespace bmptest {

// LoadBmp of `bytes`, written to a temporary file.
inline int LoadBytes(tamrovi::CBmpImage& image, const Bytes& bytes) {
  TempDir dir;
  WriteFile(dir.File("in.bmp"), bytes);
  return image.LoadBmp(dir.File("in.bmp").c_str());
}

// The picture from the top, 3 bytes (blue, green, red) a pixel, unpadded.
inline Bytes ColourPixels(const tamrovi::CBmpImage& image) { return PictureBgr(image); }

// `indices` looked up in a table of 4-byte entries: what a paletted picture
// should decode to.
inline Bytes ThroughTable(const std::vector<std::uint32_t>& indices, const Bytes& table) {
  Bytes pixels;
  for (std::uint32_t index : indices) pixels.insert(pixels.end(), &table[4 * index], &table[4 * index] + 3);
  return pixels;
}

}  // namespace bmptest
