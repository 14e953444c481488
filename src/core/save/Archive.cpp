#include "save/Archive.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>

#include "lib/DateTime.h"
#include "lib/Errors.h"
#include "lib/Library.h"
#include "save/FileContent.h"

namespace varko {

namespace {

constexpr char16_t kBannerTitle[] = u"-<<<< Varko Archive >>>>-";
const Text kBars(67, u'|');
constexpr char16_t kIncompleteRecord[] = u"The record above is incomplete: the run writing it was stopped";

Text separator(char16_t digit) {
  Text line;
  for (int i = 0; i < 33; ++i) line += u"<>";
  return line + u"<" + digit;
}

[[noreturn]] void fail() { throw EFileError(systemErrorText(errno)); }

Text headingText(const Text& path, size_t lineCount, long long characters, const Text& note, const Clock& clock) {
  return u"Archived:" + xcTodayText(clock) + u" ~ " + xcTimeText(clock) + u" ~ Lines=" +
         intToText(static_cast<long long>(lineCount)) + u" ~  Size=" + intToText(characters) + u" ~ " + path +
         u" ~ " + note + u" ~ " + xcFileInfoText(path);
}

void appendUtf16LE(std::string& out, TextView text) {
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
}

// The archive (or another file written by appending) opened for a record, locked so that runs
// saving at the same time append one record after the other.
class LockedArchive {
public:
  LockedArchive(FileSystem& fs, const Text& fileName) : fs_(fs) {
    fd_ = fs.open(textToPath(fileName), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd_ < 0) fail();
    struct stat st {};
    if (fs.fstat(fd_, st) != 0) failClosing(errno);
    if (!S_ISREG(st.st_mode)) failClosing(EINVAL);
    if (fs.flock(fd_, LOCK_EX) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) failClosing(errno);
    if (fs.fstat(fd_, st) != 0) failClosing(errno);
    size_ = st.st_size;
  }
  ~LockedArchive() {
    if (fd_ >= 0) fs_.close(fd_);
  }
  LockedArchive(const LockedArchive&) = delete;
  LockedArchive& operator=(const LockedArchive&) = delete;

  int fd() const { return fd_; }
  off_t size() const { return size_; }

  // The last record is whole: it ends with the bars, or the archive is the banner alone.
  bool endsWhole() const {
    if (size_ == 0) return true;
    const std::string closing = toUtf8(kBars) + "\r\n";
    const std::string banner = xcArchiveBanner();
    const size_t want = std::max(closing.size(), banner.size());
    std::string tail(std::min<size_t>(want, static_cast<size_t>(size_)), '\0');
    if (::pread(fd_, tail.data(), tail.size(), size_ - static_cast<off_t>(tail.size())) !=
        static_cast<ssize_t>(tail.size()))
      return false;
    return tail.ends_with(closing) || (static_cast<size_t>(size_) == banner.size() && tail == banner);
  }

  // Cuts what was written after the size found at the start, then fails with the write's error.
  [[noreturn]] void undoAndFail() {
    const int saved = errno;
    fs_.ftruncate(fd_, size_);
    failClosing(saved);
  }
  [[noreturn]] void failClosing(int error) {
    fs_.close(fd_);
    fd_ = -1;
    errno = error;
    fail();
  }
  void syncAndClose(bool sync = true) {
    const bool ok = !sync || fs_.fsync(fd_) == 0;
    const int error = errno;
    const int fd = fd_;
    fd_ = -1;
    if (fs_.close(fd) != 0 && ok) fail();
    errno = error;
    if (!ok) fail();
  }

private:
  FileSystem& fs_;
  int fd_ = -1;
  off_t size_ = 0;
};

// Appends one record, its lines given one at a time, in pieces.
ArchiveRecord appendRecord(FileSystem& fs, const Text& archiveFile, const Text& path, size_t lineCount,
                           const std::function<Text(size_t)>& lineAt, const Text& note, const Clock& clock,
                           bool sync) {
  long long characters = 0;
  for (size_t i = 0; i < lineCount; ++i) characters += static_cast<long long>(lineAt(i).size()) + 2;
  const Text heading = headingText(path, lineCount, characters, note, clock);

  LockedArchive archive(fs, archiveFile);
  ArchiveRecord record;
  record.start = archive.size();
  std::string piece;
  if (record.start == 0) {
    piece = xcArchiveBanner();  // a new archive, or one left empty after a first record failed
  } else if (!archive.endsWhole()) {
    piece = "\r\n" + toUtf8(kIncompleteRecord) + "\r\n" + toUtf8(kBars) + "\r\n";
  }
  off_t written = 0;
  auto flush = [&] {
    if (!writeAllBytes(fs, archive.fd(), piece)) archive.undoAndFail();
    written += static_cast<off_t>(piece.size());
    piece.clear();
  };
  auto add = [&](const Text& line) {
    if (line.empty()) return;
    piece += toUtf8(line);
    piece += "\r\n";
    if (piece.size() >= (1u << 20)) flush();
  };
  add(separator(u'1'));
  add(heading);
  add(separator(u'2'));
  for (size_t i = 0; i < lineCount; ++i) add(lineAt(i));
  add(separator(u'3'));
  add(heading);
  add(separator(u'4'));
  add(kBars);
  flush();
  archive.syncAndClose(sync);
  record.end = record.start + written;
  return record;
}

}  // namespace

Text xcArchiveFileName() { return dataFolder() + kArchiveFileName; }

std::string xcArchiveBanner() {
  std::string out;
  appendUtf16LE(out, Text(kBannerTitle) + u"\r\n");
  appendUtf16LE(out, kBars + u"\r\n");
  return out;
}

Text xcArchiveHeading(const Text& path, const TextList& lines, const Text& note, const Clock& clock) {
  long long characters = 0;
  for (const Text& line : lines) characters += static_cast<long long>(line.size()) + 2;
  return headingText(path, lines.size(), characters, note, clock);
}

ArchiveRecord xcAppendArchiveLines(const Text& archiveFile, const Text& path, const FileContent& content,
                                   const Text& note, const Clock& clock, FileSystem& fs, bool sync) {
  return appendRecord(fs, archiveFile, path, content.lineCount(), [&](size_t i) { return content.line(i); }, note,
                      clock, sync);
}

ArchiveRecord xcAppendArchiveLines(const Text& archiveFile, const Text& path, const TextList& lines,
                                   const Text& note, const Clock& clock, FileSystem& fs) {
  return appendRecord(fs, archiveFile, path, lines.size(), [&](size_t i) { return lines[i]; }, note, clock, true);
}

void withdrawArchiveRecord(const Text& archiveFile, const ArchiveRecord& record, const Text& path,
                             const Text& why, FileSystem& fs) {
  try {
    LockedArchive archive(fs, archiveFile);
    if (archive.size() == record.end) {
      if (fs.ftruncate(archive.fd(), record.start) != 0) fail();
    } else {
      const std::string note = toUtf8(u"Not saved after all: " + path + u" ~ " + why) + "\r\n" + toUtf8(kBars) + "\r\n";
      if (!writeAllBytes(fs, archive.fd(), note)) archive.undoAndFail();
    }
    archive.syncAndClose();
  } catch (const VarkoError&) {
    // The save's own failure is what the user is told; the record then stays, as if written
    // for a change that a later save may still make.
  }
}

void xcAppendArchive(const Text& archiveFile, const Text& path, const Text& note, const Clock& clock,
                     FileSystem& fs) {
  if (!xcFileExists(path)) return;
  std::string bytes;
  if (!readAllBytes(fs, textToPath(path), bytes)) fail();
  FileContent content;
  splitFileContent(std::move(bytes), content);
  xcAppendArchiveLines(archiveFile, path, content, note, clock, fs);
}

void xcAppendLine(const Text& fileName, const Text& text, FileSystem& fs) {
  if (text.empty()) return;
  std::string bytes;
  appendUtf16LE(bytes, text + u"\r\n");
  if (bytes.size() > 8000) bytes.resize(8000);
  LockedArchive file(fs, fileName);
  if (!writeAllBytes(fs, file.fd(), bytes)) file.undoAndFail();  // never half a line
  file.syncAndClose();
}

}  // namespace varko
