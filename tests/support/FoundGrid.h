#pragma once
// A results grid made of rows as the run writes them: line 0 leaves column 0 empty (file-name
// and message rows).
#include <string>
#include <vector>
#include "results/ResultTable.h"
#include "support/TestSupport.h"

namespace varko::test {

struct GridRow {
  int32_t line;
  std::string text;
  std::string path;
  int32_t position = 0;
};

inline ResultTable gridOf(const std::vector<GridRow>& rows) {
  ResultTable grid;
  for (size_t i = 0; i < rows.size(); ++i)
    grid.setFoundRow(static_cast<int>(i), rows[i].line, T(rows[i].text), T(rows[i].path), rows[i].position);
  return grid;
}

}  // namespace varko::test
