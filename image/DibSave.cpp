// Writing the loaded file image back as a BMP file.
#include "image/BmpImage.h"
#include "platform/File.h"
#include "platform/TextConversion.h"

namespace tamrovi {

int CBmpImage::SaveDib(const char* path) const noexcept {
  if (m_pDib == nullptr) return 0;
  // A path that is not valid text stays null, and a null path cannot be opened.
  const CWideText widePath = NarrowToWide(path);
  CFile file;
  if (!file.Open(widePath.Get(), CFile::kModeCreate | CFile::kModeWrite)) return 0;

  // Only the file header is rebuilt: everything after it is the file image.
  // m_dibSize is below 2 GiB, so the file size fits its 32-bit field.
  std::uint8_t fileHeader[bmp::kFileHeaderSize] = {};
  bmp::WriteU16(fileHeader + bmp::kFileType, bmp::kSignature);
  bmp::WriteU32(fileHeader + bmp::kFileSize, static_cast<std::uint32_t>(m_dibSize) + bmp::kFileHeaderSize);
  bmp::WriteU32(fileHeader + bmp::kFilePixelOffset, static_cast<std::uint32_t>(m_pixelOffset));

  bool written = file.Write(fileHeader, sizeof fileHeader) && file.Write(m_pDib, m_dibSize);
  written = file.Close() && written;
  if (!written) DiscardPartialFile(path);
  return written ? 1 : 0;
}

}  // namespace tamrovi
