#include "vellmor/base/vector_state.h"

namespace vellmor {

void ClearUpperVectorState() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  // Whether the instruction exists on this processor: a load of what libgcc found at start.
  if (__builtin_cpu_supports("avx")) {
    // Every vector register is declared clobbered, so nothing the compiler keeps in one lives
    // across it.
    asm volatile("vzeroupper" ::
                     : "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7", "xmm8",
                       "xmm9", "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15");
  }
#endif
}

}  // namespace vellmor
