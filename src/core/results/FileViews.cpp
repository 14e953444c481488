#include "results/FileViews.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <string>
#include "lib/Errors.h"
#include "search/TextFile.h"

namespace varko {

Text LoadWholeFile(const Text& path, TextList& lines) {
  lines.clear();
  int fd = ::open(textToPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return systemErrorText(errno);
  struct stat st;
  if (fstat(fd, &st) != 0) {
    int e = errno;
    ::close(fd);
    return systemErrorText(e);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return u"Not a regular file";
  }
  std::string bytes;
  bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      ::close(fd);
      return systemErrorText(e);
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  xcDecodeLines(bytes, lines);
  return Text();
}

int ViewCurrentRow(int viewLine, int lineCount, int currentRow) {
  return (viewLine >= 0 && viewLine <= lineCount) ? viewLine : currentRow;
}

FileWindowRows BuildFileWindowRows(const TextList& lines, int centreLine) {
  FileWindowRows rows;
  const long long n = static_cast<long long>(lines.size());
  long long first = static_cast<long long>(centreLine) - 5;
  if (first <= 0) first = 1;
  long long last = static_cast<long long>(centreLine) + 5;
  if (n < last) last = n;
  for (int i = 0; i < kFileWindowRows; ++i) {
    long long line = first + i;
    if (line > last) continue;
    rows.numbers[static_cast<size_t>(i)] = intToText(line);
    rows.lines[static_cast<size_t>(i)] = lines[static_cast<size_t>(line - 1)];
    if (line == centreLine) rows.currentRow = i;
  }
  return rows;
}

Text FileWindowLines::Load(const Text& path) {
  if (path == file_) return Text();
  TextList read;
  Text error = LoadWholeFile(path, read);
  if (!error.empty()) return error;
  ++readCount_;
  lines_ = std::move(read);
  file_ = path;
  return Text();
}

void FillViewGrid(TextList&& lines, ResultTable& grid) {
  const int count = static_cast<int>(lines.size());
  // Like a grid whose rows are replaced, the current row stays where it was when it still exists.
  const int current = grid.currentRow();
  grid.setRowCount(0);
  grid.setRowCount(count + 1);
  for (int i = 1; i <= count; ++i) {
    grid.setCell(0, i, intToText(i));
    grid.setCell(1, i, lines[static_cast<size_t>(i - 1)]);
    Text().swap(lines[static_cast<size_t>(i - 1)]);  // keep one copy of a large file at a time
  }
  lines.clear();
  grid.setCurrentRow(current);
}

}  // namespace varko
