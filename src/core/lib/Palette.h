#pragma once
// The program's colours as 0xRRGGBB, named as the system names them. The gui turns them into
// its own colours in one place.
#include <cstdint>

namespace varko {

using Rgb = uint32_t;  // 0xRRGGBB
inline constexpr Rgb kWhite = 0xFFFFFF, kBlack = 0x000000, kNavy = 0x000080, kGreen = 0x008000,
                     kMaroon = 0x800000, kPurple = 0x800080, kGrey = 0x808080, kRed = 0xFF0000;
inline constexpr Rgb kCurrentRowBack = 0xF3DFDF;  // the results grid's current row
inline constexpr Rgb kGridLine = 0xC0C0C0;        // between the results grid's columns
inline constexpr Rgb kCream = 0xFFFBF0;           // behind the main window's "Replace On"

}  // namespace varko
