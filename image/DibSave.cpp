// Writing the loaded file image back as a BMP file.
#include "image/BmpImage.h"
#include "platform/OutputFile.h"

namespace tamrovi {

int CBmpImage::SaveDib(const char* path) const noexcept {
  if (m_pDib == nullptr) return 0;
  // Only the file header is rebuilt: everything after it is the file image.
  // m_dibSize is below 2 GiB, so the file size fits its 32-bit field.
  std::uint8_t fileHeader[bmp::kFileHeaderSize] = {};
  bmp::WriteU16(fileHeader + bmp::kFileType, bmp::kSignature);
  bmp::WriteU32(fileHeader + bmp::kFileSize, static_cast<std::uint32_t>(m_dibSize) + bmp::kFileHeaderSize);
  bmp::WriteU32(fileHeader + bmp::kFilePixelOffset, static_cast<std::uint32_t>(m_pixelOffset));

  COutputFile out;
  const bool written = out.Open(path) && out.Write(fileHeader, sizeof fileHeader) && out.Write(m_pDib, m_dibSize);
  return FinishSave(out, written);
}

}  // namespace tamrovi
