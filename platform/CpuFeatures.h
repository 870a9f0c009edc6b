// Which optional instruction sets the processor we run on has, and whether
// this compiler can build code for them.
//
// A routine with a faster form for such an instruction set keeps its plain
// form beside it; the plain form is what runs everywhere else, and the tests
// check that both give the same bytes.
#pragma once

// Defined when functions for AVX2 can be built here (x86-64 with GCC or
// Clang), whatever processor the program later runs on. Such functions carry
// TAMROVI_TARGET_AVX2 and are only called when HasAvx2() says so. A build
// with TAMROVI_PLAIN_ONLY defined has the plain forms alone, as a compiler or
// processor without AVX2 would.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(TAMROVI_PLAIN_ONLY)
#define TAMROVI_HAVE_AVX2_CODE 1
#define TAMROVI_TARGET_AVX2 __attribute__((target("avx2")))
#endif

namespace tamrovi {

// True when AVX2 code was built and the processor runs it.
inline bool HasAvx2() noexcept {
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

// A family of routines in its forms: kPlain, which runs everywhere, and what
// BuiltAvx2 returns, the AVX2 forms or null where they were not built. The one
// place where a faster form is chosen over the plain one.
template <typename Routines, const Routines& kPlain, const Routines* (*BuiltAvx2)() noexcept>
struct CRoutineForms {
  static const Routines& Plain() noexcept { return kPlain; }

  // The AVX2 forms, or null when they were not built or the processor lacks AVX2.
  static const Routines* Avx2() noexcept { return HasAvx2() ? BuiltAvx2() : nullptr; }

  // The fastest forms this processor runs.
  static const Routines& Fastest() noexcept {
    const Routines* avx2 = Avx2();
    return avx2 != nullptr ? *avx2 : kPlain;
  }
};

}  // namespace tamrovi
