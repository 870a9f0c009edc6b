// The library's statuses: each of the core's reasons mapped onto one of
// them, and each status's words.
#pragma once

#include "platform/Result.h"
#include "tamrovi.h"

namespace tamrovi::lib {

// The status of the core's `reason`.
tamrovi_status StatusOfReason(Reason reason) noexcept;

}  // namespace tamrovi::lib
