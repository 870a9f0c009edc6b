#include "platform/CpuFeatures.h"

namespace tamrovi {

bool HasAvx2() noexcept {
#if defined(TAMROVI_HAVE_AVX2_CODE)
  // Asked again on every call rather than kept in a function's static: such
  // a static needs the C++ runtime's guard, and the library loads without it.
  // The answer is a few instructions away once the runtime's model is filled.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
#else
  return false;
#endif
}

}  // namespace tamrovi
