// The library's statuses: each of the core's reasons for refusing a file
// mapped onto one of them, and each status's words.
#pragma once

#include "image/LoadError.h"
#include "tamrovi.h"

namespace tamrovi::lib {

// The status a refused read reports.
tamrovi_status StatusOfLoadError(BmpLoadError error) noexcept;

}  // namespace tamrovi::lib
