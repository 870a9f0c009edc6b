// What every file the library writes must be, whatever its input: the 54
// bytes of headers of an empty picture, or a whole 24-bit picture.
#pragma once

#include <string>

#include "support/BmpBuilder.h"
#include "tamrovibmpfilters.h"

namespace bmptest {

// The output of a refused or missing input.
inline Bytes HeadersOnly() { return Make24(0, 0, {}).Build(); }

// Empty when `bytes` is a bottom-up uncompressed 24-bit BMP with a 54-byte
// header whose length is what its headers say; otherwise what is wrong.
std::string Check24BitFile(const Bytes& bytes);

// An ASCII path as the export takes it (wchar_t on Windows, char16_t elsewhere).
inline std::basic_string<TamroviChar16> ExportPath(const std::string& ascii) {
  return std::basic_string<TamroviChar16>(ascii.begin(), ascii.end());
}

}  // namespace bmptest
