#pragma once
// The UTF-8 test with AVX2, for xcIsValidUtf8 to call where the processor has it.
#include <cstddef>
#include <cstdint>

namespace varko {

// Only where xcCpuHasAvx2() (lib/Cpu.h); the same answer as the byte-by-byte test.
bool xcIsValidUtf8Avx2(const char* data, size_t size);

}  // namespace varko
