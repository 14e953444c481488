// String-set files and the field splitter: any line, separator and limit; any file bytes.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include "FuzzInput.h"
#include "setup/StringSets.h"

using namespace varko;
using varko::fuzz::check;

namespace {

// A private folder on a memory file system when there is one: each input writes a file.
const std::string& scratchFile() {
  static const std::string path = [] {
    std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string folder = base + "/varko-fuzz-XXXXXX";
    if (!::mkdtemp(folder.data())) std::abort();
    return folder + "/strings.txt";
  }();
  return path;
}

void splitFields(fuzz::FuzzInput& in) {
  const char16_t separator = in.flag() ? u'\t' : static_cast<char16_t>(in.byte());
  const int limit = static_cast<int>(in.byte() % 9);
  const Text line = in.rest(in.flag());
  TextList fields;
  int number = -1;
  xcSplitFields(line, separator, limit, fields, number);
  check(fields.size() == static_cast<size_t>(limit + 1), "limit + 1 fields are given");
  check(number >= 0 && number <= limit + 1, "the count of fields is within the limit");
  for (int i = number; i <= limit; ++i) check(fields[static_cast<size_t>(i)].empty(), "unused fields are empty");
  // The fields made are the line's pieces in order.
  Text joined;
  for (int i = 0; i < number; ++i) {
    if (i > 0) joined.push_back(separator);
    joined += fields[static_cast<size_t>(i)];
  }
  check(TextView(line).substr(0, joined.size()) == joined, "fields are the line's pieces");
}

void loadFile(fuzz::FuzzInput& in) {
  const int kind = in.flag() ? kFindAndReplace : kFindStringsOnly;
  const std::string_view bytes = in.restBytes();
  const std::string& path = scratchFile();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
  ::close(fd);
  StringTable table;
  table.replace(1) = u"kept";
  const StringSetLoad load = xcLoadStringSet(kind, pathToText(path), table);
  check(load.loaded, "a readable file loads");
  check(table.count >= 0 && table.count <= kMaxStrings, "the count fits the table");
  check(load.ignoredLines == 0 || table.count == kMaxStrings, "lines are ignored only when the table is full");
  for (int n = 1; n <= table.count; ++n) check(!xcIsBlank(table.find(n)), "no find string is blank");
  if (kind == kFindStringsOnly) check(table.replace(1) == u"kept", "find strings alone leave the replace strings");
  StringGridRows rows;
  xcShowStringSet(kind, table, rows);
  check(rows.size() == static_cast<size_t>(table.count), "one grid row per string");
  (void)MultipleSearchText(table);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  if (in.flag())
    splitFields(in);
  else
    loadFile(in);
  return 0;
}
