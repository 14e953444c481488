#pragma once
// How a row of the results grid is drawn: its colours and weight follow from columns 0 and 1 of
// the row, so every cell of a row looks the same.
#include "lib/Palette.h"
#include "lib/Text.h"

namespace varko {

struct FoundCellStyle {
  Rgb background = kWhite;
  Rgb text = kNavy;
  bool bold = false;
  bool drawText = true;  // false for the "-1" of a notice row's column 0
};

FoundCellStyle FoundCellStyleOf(int column, TextView column0, TextView column1, bool currentRow);

// The grid's hint before the first row change.
inline constexpr char16_t kFoundGridFirstHint[] =
    u"CTRL+F=Find   F3=Find Next  SHIFT+F3=Find Prev CTRL+N=NextFile CTRL+P=Prev File";
// The hint after a row change: the row's file, its date and size, and the keys.
Text FoundGridRowHint(const Text& filePath);

}  // namespace varko
