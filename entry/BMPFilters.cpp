// The exported function: load, filter, save, in one call on the caller's
// thread, with nothing kept between calls.
#include "tamrovibmpfilters.h"

#include "entry/FilterTable.h"
#include "image/BmpImage.h"
#include "platform/TextConversion.h"

extern "C" int32_t BMPFilters(const char16_t* inputPath, const char16_t* outputPath, int32_t filterCode) {
  using namespace tamrovi;
  CBmpImage image;
  {
    // A path that does not convert stays null: the file cannot be opened.
    const CNarrowText input = WideToNarrow(inputPath);
    image.LoadBmp(input.Get());
  }
  // A refused file leaves the image empty, and every filter leaves an empty
  // image alone: the output is then the headers of an empty picture.
  ApplyFilterCode(image, filterCode);
  const CNarrowText output = WideToNarrow(outputPath);
  image.SaveBmp24(output.Get());
  return TAMROVI_BMPFILTERS_DONE;
}
