// Loading crafted files into an image object, for the image, filter and
// analysis suites.
#pragma once

#include <cstdint>
#include <string>

#include "image/BmpImage.h"
#include "support/BmpBuilder.h"
#include "support/TempDir.h"

namespace bmptest {

// Writes `bytes` to a file in `dir` and loads it into `image` within
// `limits`; returns what LoadBmp returned.
int LoadBytes(tamrovi::CBmpImage& image, const TempDir& dir, const Bytes& bytes,
              const std::string& name = "input.bmp", const tamrovi::CLoadLimits& limits = tamrovi::kExportLimits);

// The picture held by a loaded image as B, G, R bytes per pixel, rows from the
// top, whichever layout holds it, as they are written.
Bytes PictureBgr(const tamrovi::CBmpImage& image);

// The gray level of every pixel, rows from the top, unpadded: for a picture
// held as gray bytes, the bytes themselves.
Bytes BytePlane(const tamrovi::CBmpImage& image);

// The result of LoadBmp, filter code and SaveBmp24 on `input`: what one
// BMPFilters call writes (or, with wider limits, the tool).
Bytes FilterThroughCore(const TempDir& dir, const Bytes& input, std::int32_t code,
                        const tamrovi::CLoadLimits& limits = tamrovi::kExportLimits);

}  // namespace bmptest
