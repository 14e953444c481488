#include "setup/StringSets.h"

#include "lib/Library.h"
#include "results/FileViews.h"

namespace varko {

void xcSplitFields(TextView text, char16_t separator, int limit, TextList& fields, int& number) {
  if (limit < 0) limit = 0;  // a negative limit once wrote past the end of fields
  fields.assign(static_cast<size_t>(limit + 1), Text());
  number = 0;
  if (xcIsBlank(text)) return;
  size_t start = 0;
  bool stopped = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != separator) continue;
    fields[static_cast<size_t>(number)] = Text(text.substr(start, i - start));
    ++number;
    start = i + 1;
    if (number == limit + 1) {
      stopped = true;
      break;
    }
  }
  if (!stopped && start < text.size() && number < limit)
    fields[static_cast<size_t>(number++)] = Text(text.substr(start));
}

StringSetLoad xcLoadStringSet(int kind, const Text& fileName, StringTable& table) {
  StringSetLoad result;
  if (!xcFileExists(fileName)) return result;
  TextList lines;
  result.errorText = LoadWholeFile(fileName, lines);
  if (!result.errorText.empty()) return result;
  result.loaded = true;

  for (Text& s : table.findStrings) s.clear();
  if (kind == kFindAndReplace)
    for (Text& s : table.replaceStrings) s.clear();
  int n = 0;
  TextList fields;
  int number = 0;
  for (const Text& line : lines) {
    xcSplitFields(line, u'\t', kStringSetFieldLimit, fields, number);
    if (xcIsBlank(fields[0])) continue;
    if (n == kMaxStrings) {
      ++result.ignoredLines;
      continue;
    }
    ++n;
    table.find(n) = fields[0];
    if (kind == kFindAndReplace) table.replace(n) = fields[1];
  }
  table.count = n;
  return result;
}

void xcShowStringSet(int kind, const StringTable& table, StringGridRows& rows) {
  rows.resize(static_cast<size_t>(table.count < 0 ? 0 : table.count));
  for (int r = 1; r <= table.count; ++r) {
    rows[static_cast<size_t>(r - 1)][0] = table.find(r);
    if (kind == kFindAndReplace) rows[static_cast<size_t>(r - 1)][1] = table.replace(r);
  }
}

Text MultipleSearchText(const StringTable& table) {
  if (table.count <= 1) return table.find(1);
  Text text;
  for (int k = 1; k <= table.count; ++k) text += u"<" + table.find(k) + u">";
  return text;
}

MultipleFindTake TakeMultipleFind(const TextList& cells, StringTable& table) {
  MultipleFindTake take;
  int used = 0;
  for (const Text& cell : cells)
    if (!xcIsBlank(cell)) ++used;
  if (used > kMaxStrings) {
    take.refusal = xcFormat(u"%d rows hold find strings; at most %d can be used for one search",
                            {used, kMaxStrings});
    return take;
  }
  table.count = 0;
  for (Text& s : table.findStrings) s.clear();
  for (const Text& cell : cells) {
    if (xcIsBlank(cell)) continue;
    ++table.count;
    table.find(table.count) = cell;
  }
  take.taken = true;
  take.multipleSearchText = MultipleSearchText(table);
  return take;
}

}  // namespace varko
