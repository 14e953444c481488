#include "replace/Archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

#include "lib/DateTime.h"
#include "lib/Errors.h"
#include "lib/Library.h"
#include "replace/FileContent.h"

namespace varko {

namespace {

constexpr char16_t kBannerTitle[] = u"-<<<< Varko Archive >>>>-";
const Text kBars(67, u'|');

Text separator(char16_t digit) {
  Text line;
  for (int i = 0; i < 33; ++i) line += u"<>";
  return line + u"<" + digit;
}

[[noreturn]] void fail() { throw EFileError(systemErrorText(errno)); }

void appendUtf16LE(std::string& out, TextView text) {
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
}

// Opens for appending (creating), writes what bytes gives for the size found, syncs and closes;
// a failed write is cut off again, so the archive never holds half a record.
void appendBytes(FileSystem& fs, const Text& fileName, const std::function<std::string(off_t)>& bytes) {
  const int fd = fs.open(textToPath(fileName), O_WRONLY | O_APPEND | O_CREAT, 0666);
  if (fd < 0) fail();
  struct stat st {};
  bool ok = fs.fstat(fd, st) == 0;
  if (ok && !xcWriteAllBytes(fs, fd, bytes(st.st_size))) {
    ok = false;
    const int saved = errno;
    fs.ftruncate(fd, st.st_size);
    errno = saved;
  }
  if (ok) ok = fs.fsync(fd) == 0;
  const int saved = errno;
  if (fs.close(fd) != 0 && ok) fail();
  errno = saved;
  if (!ok) fail();
}

}  // namespace

Text xcArchiveFileName() { return xcDataFolder() + kArchiveFileName; }

std::string xcArchiveBanner() {
  std::string out;
  appendUtf16LE(out, Text(kBannerTitle) + u"\r\n");
  appendUtf16LE(out, kBars + u"\r\n");
  return out;
}

Text xcArchiveHeading(const Text& path, const TextList& lines, const Text& note, const Clock& clock) {
  long long characters = 0;
  for (const Text& line : lines) characters += static_cast<long long>(line.size()) + 2;
  return u"Archived:" + xcTodayText(clock) + u" ~ " + xcTimeText(clock) + u" ~ Lines=" +
         intToText(static_cast<long long>(lines.size())) + u" ~  Size=" + intToText(characters) + u" ~ " +
         path + u" ~ " + note + u" ~ " + xcFileInfoText(path);
}

void xcAppendArchiveLines(const Text& archiveFile, const Text& path, const TextList& lines,
                          const Text& note, const Clock& clock, FileSystem& fs) {
  std::string record;
  const Text heading = xcArchiveHeading(path, lines, note, clock);
  auto add = [&](const Text& line) {
    if (line.empty()) return;
    record += toUtf8(line);
    record += "\r\n";
  };
  add(separator(u'1'));
  add(heading);
  add(separator(u'2'));
  for (const Text& line : lines) add(line);
  add(separator(u'3'));
  add(heading);
  add(separator(u'4'));
  add(kBars);
  // The banner opens an archive that is new, or empty after a first record failed.
  appendBytes(fs, archiveFile, [&](off_t size) { return size == 0 ? xcArchiveBanner() + record : record; });
}

void xcAppendArchive(const Text& archiveFile, const Text& path, const Text& note, const Clock& clock,
                     FileSystem& fs) {
  if (!xcFileExists(path)) return;
  std::string bytes;
  if (!xcReadAllBytes(fs, textToPath(path), bytes)) fail();
  FileContent content;
  xcSplitFileContent(std::move(bytes), content);
  xcAppendArchiveLines(archiveFile, path, content.lines, note, clock, fs);
}

void xcAppendLine(const Text& fileName, const Text& text, FileSystem& fs) {
  if (text.empty()) return;
  std::string bytes;
  appendUtf16LE(bytes, text + u"\r\n");
  if (bytes.size() > 8000) bytes.resize(8000);
  appendBytes(fs, fileName, [&](off_t) { return bytes; });
}

}  // namespace varko
