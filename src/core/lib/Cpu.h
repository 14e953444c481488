#pragma once
// What the processor offers beyond the baseline, asked once; the SIMD loops are chosen by it.

namespace varko {

// The byte shuffle (SSSE3).
bool cpuHasShuffle();
// AVX2: 32 bytes a round.
bool cpuHasAvx2();

}  // namespace varko
