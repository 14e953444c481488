#include "results/FoundRowStyle.h"

#include "lib/DateTime.h"
#include "results/GridFind.h"

namespace varko {

FoundCellStyle FoundCellStyleOf(int column, TextView column0, TextView column1, bool currentRow) {
  FoundCellStyle style;
  if (currentRow) style.background = kCurrentRowBack;
  Text lineText = xcTrim(column0);
  if (lineText.empty()) {
    style.bold = true;
    style.text = kPurple;
    // Later tests win, so a name such as unit1.pas.txt counts as a text file.
    if (gridCellContains(column1, u".pas")) style.text = kMaroon;
    if (gridCellContains(column1, u".dfm")) style.text = kGreen;
    if (gridCellContains(column1, u".txt")) style.text = kBlack;
  }
  if (lineText == u"-1") style.text = kRed;
  if (column == 0 && column0 == u"-1") style.drawText = false;
  return style;
}

Text FoundGridRowHint(const Text& filePath) {
  return filePath + u"\r\n" + xcFileInfoText(filePath) + u"\r\n" + u"CTRL+F=Find  F3=Next Shift+F3=Prev" +
         u"\r\n" + u"CTRL+N=Next File   CTRL+P=Prev File";
}

}  // namespace varko
