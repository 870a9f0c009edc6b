#include "platform/CpuFeatures.h"

namespace tamrovi {

bool HasAvx2() noexcept {
#if defined(TAMROVI_HAVE_AVX2_CODE)
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
#else
  return false;
#endif
}

}  // namespace tamrovi
