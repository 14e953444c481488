#include "lib/Cpu.h"

namespace varko {

#if defined(__x86_64__) || defined(__i386__)

bool cpuHasShuffle() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

bool cpuHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

#else

bool cpuHasShuffle() { return false; }
bool cpuHasAvx2() { return false; }

#endif

}  // namespace varko
