// The exported function: load, filter, save, in one call on the caller's
// thread, with nothing kept between calls.
#include "tamrovibmpfilters.h"

#include "entry/FilterTable.h"
#include "image/BmpImage.h"
#include "platform/TextConversion.h"

namespace {

// On Windows the header's code unit is wchar_t, which there is UTF-16 too.
static_assert(sizeof(TamroviChar16) == sizeof(char16_t));
const char16_t* Utf16(const TamroviChar16* path) { return reinterpret_cast<const char16_t*>(path); }

}  // namespace

extern "C" int32_t BMPFilters(const TamroviChar16* inputPath, const TamroviChar16* outputPath, int32_t filterCode) {
  using namespace tamrovi;
  CBmpImage image;
  // Each path is put in the system's form once, on the stack (on Windows it
  // is already): a call that runs out of memory must still write its
  // output, at least the headers of an empty picture. A path that does not
  // convert stays null: the file cannot be opened.
  image.LoadBmpFromSystemPath(CSystemFormOfPath(Utf16(inputPath)).Get());
  // A refused file leaves the image empty, and every filter leaves an empty
  // image alone: the output is then the headers of an empty picture, the
  // mark of a failed call. A filter that could not run for want of memory
  // leaves the picture unfiltered, which must not pass for its result: that
  // call has failed too.
  if (!ApplyFilterCode(image, filterCode).Ok()) image.Clear();
  image.SaveBmp24ToSystemPath(CSystemFormOfPath(Utf16(outputPath)).Get());
  return TAMROVI_BMPFILTERS_DONE;
}
