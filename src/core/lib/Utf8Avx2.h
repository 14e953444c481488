#pragma once
// The UTF-8 test with AVX2, for validUtf8 to call where the processor has it.
#include <cstddef>
#include <cstdint>

namespace varko {

// Only where cpuHasAvx2() (lib/Cpu.h); the same answer as the byte-by-byte test.
bool isValidUtf8Avx2(const char* data, size_t size);

}  // namespace varko
