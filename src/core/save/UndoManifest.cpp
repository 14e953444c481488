#include "save/UndoManifest.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "lib/DateTime.h"
#include "lib/Errors.h"
#include "lib/Library.h"
#include "save/ReplaceFileNames.h"
#include "save/SafeSave.h"

namespace varko {

namespace {

constexpr std::string_view kHeader = "# Varko replace run: path, backup, FNV-1a 64 and size of the bytes written; created ";
constexpr std::string_view kUndoneEnd = "-undone.txt";

std::string escapeField(std::string_view field) {
  std::string out;
  for (char c : field) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string unescapeField(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out.push_back(field[i]);
      continue;
    }
    const char c = field[++i];
    out.push_back(c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c);
  }
  return out;
}

std::vector<std::string_view> splitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}

bool endsWith(std::string_view s, std::string_view end) {
  return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

constexpr std::string_view kIntent = "intent";  // a fifth field: about to be replaced
constexpr std::string_view kUndone = "undone";  // a fifth field: put back by an undo

struct Entry {
  std::string path, backup, hash;
  uint64_t size = 0;
  bool done = false;    // the rename was recorded
  bool undone = false;  // an earlier undo put it back
  std::string key() const { return path + '\t' + backup + '\t' + hash + '\t' + std::to_string(size); }
};

// The creation time written in the header; empty when there is none.
std::string createdKey(const std::string& bytes) {
  if (bytes.compare(0, kHeader.size(), kHeader) != 0) return std::string();
  const size_t end = bytes.find_first_of("\r\n", kHeader.size());
  return bytes.substr(kHeader.size(), end - kHeader.size());
}

// The run's start as its name says (yyyymmdd-hhnnss), so that even a manifest whose header was
// never written takes its place among the runs.
std::string nameStamp(const std::string& name, size_t prefixLength) { return name.substr(prefixLength, 15); }

// The entries of a manifest, one per file and saving, in the order they were written.
std::vector<Entry> parseEntries(const std::string& bytes) {
  std::vector<Entry> entries;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) break;  // a line cut short by a kill: not written
    std::string_view line(bytes.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    const auto fields = splitTabs(line);
    if (fields.size() != 4 && fields.size() != 5) continue;
    Entry entry{unescapeField(fields[0]), unescapeField(fields[1]), std::string(fields[2]),
                std::strtoull(std::string(fields[3]).c_str(), nullptr, 10)};
    const std::string_view kind = fields.size() == 5 ? fields[4] : std::string_view();
    auto same = std::find_if(entries.rbegin(), entries.rend(), [&](const Entry& e) { return e.key() == entry.key(); });
    if (kind == kUndone) {
      if (same != entries.rend()) same->undone = true;
    } else if (kind.empty() && same != entries.rend() && !same->done) {
      same->done = true;  // the intent's rename happened
    } else {
      entry.done = kind.empty();  // a line without intent: written after the save
      entries.push_back(std::move(entry));
    }
  }
  return entries;
}

std::string entryLine(const Entry& entry, std::string_view kind) {
  std::string line = escapeField(entry.path) + "\t" + escapeField(entry.backup) + "\t" + entry.hash + "\t" +
                     std::to_string(entry.size);
  if (!kind.empty()) line += "\t" + std::string(kind);
  return line + "\r\n";
}

}  // namespace

void ContentHasher::add(std::string_view bytes) {
  for (unsigned char b : bytes) {
    state_ ^= b;
    state_ *= 1099511628211ull;
  }
  size_ += bytes.size();
}

std::string ContentHasher::hash() const {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(state_));
  return text;
}

std::string contentHash(std::string_view bytes) {
  ContentHasher hasher;
  hasher.add(bytes);
  return hasher.hash();
}

UndoManifest::UndoManifest(Text folder, const Clock& clock, FileSystem& fs)
    : folder_(xcIncludeTrailingSeparator(folder)), clock_(clock), fs_(fs) {}

bool UndoManifest::open(Text& errorText) {
  if (!manifestName_.empty()) return true;
  // One file per run; two runs of one process within a second get a number.
  const Text start = folder_ + kUndoManifestPrefix + xcFormatDateTime(u"yyyymmdd-hhnnss", clock_.now()) + u"-" +
                     intToText(::getpid());
  int fd = -1;
  Text name;
  for (int number = 1; fd < 0; ++number) {
    name = start + (number > 1 ? u"-" + intToText(number) : Text()) + u".txt";
    fd = fs_.open(textToPath(name), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    if (fd < 0 && (errno != EEXIST || number > 1000)) {
      errorText = u"Could not create the undo record " + name + u": " + systemErrorText(errno);
      return false;
    }
  }
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  char created[48];
  std::snprintf(created, sizeof created, "%020lld.%09ld", static_cast<long long>(now.tv_sec), now.tv_nsec);
  const bool ok = writeAllBytes(fs_, fd, std::string(kHeader) + created + "\r\n");
  const int error = errno;
  if (!ok) {
    fs_.close(fd);
    fs_.unlink(textToPath(name));
    errorText = u"Could not write the undo record " + name + u": " + systemErrorText(error);
    return false;
  }
  manifestName_ = name;
  fd_ = fd;
  return true;
}

UndoManifest::~UndoManifest() {
  if (fd_ >= 0) fs_.close(fd_);
}

bool UndoManifest::append(const std::string& entry, bool sync, Text& errorText) {
  if (!open(errorText)) return false;
  if (writeAllBytes(fs_, fd_, entry) && (!sync || fs_.fsync(fd_) == 0)) return true;
  errorText = u"Could not write the undo record " + manifestName_ + u": " + systemErrorText(errno);
  return false;
}

void UndoManifest::closeRun() {
  if (manifestName_.empty()) return;
  if (intentCount_ == 0) fs_.unlink(textToPath(manifestName_));
  else fs_.fsync(fd_);
  fs_.close(fd_);
  fd_ = -1;
  manifestName_.clear();
  intentCount_ = 0;
}

bool UndoManifest::recordIntent(const Text& path, const Text& backup, const std::string& hash, uint64_t size,
                                 Text& errorText) {
  ++intentCount_;
  // Not synced each time: a killed run's record is in the page cache already; the end of the
  // run syncs it once, for a power cut.
  return append(entryLine({textToPath(path), textToPath(backup), hash, size}, kIntent), false, errorText);
}

bool UndoManifest::recordDone(const Text& path, const Text& backup, const std::string& hash, uint64_t size,
                               Text& errorText) {
  if (!append(entryLine({textToPath(path), textToPath(backup), hash, size}, {}), false, errorText)) return false;
  ++savedCount_;
  return true;
}

bool UndoManifest::recordSaved(const Text& path, const Text& backup, std::string_view writtenBytes,
                                Text& errorText) {
  const std::string hash = contentHash(writtenBytes);
  return recordIntent(path, backup, hash, writtenBytes.size(), errorText) &&
         recordDone(path, backup, hash, writtenBytes.size(), errorText);
}

namespace {

// The newest run not yet undone: by the stamp in its name, then the creation time in its header.
struct NewestManifest {
  std::string name, bytes;
  int error = 0;  // why its bytes could not be read
};
NewestManifest findNewestManifest(FileSystem& fs, const std::string& folderPath) {
  const std::string prefix = toUtf8(kUndoManifestPrefix);
  NewestManifest newest;
  std::string newestKey;
  DIR* dir = ::opendir(folderPath.c_str());
  if (!dir) return newest;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0 || !endsWith(name, ".txt") || endsWith(name, kUndoneEnd))
      continue;
    std::string bytes;
    const int error = readAllBytes(fs, folderPath + name, bytes) ? 0 : errno;
    const std::string key = nameStamp(name, prefix.size()) + createdKey(bytes) + name;
    if (newest.name.empty() || key > newestKey) {
      newest = {name, std::move(bytes), error};
      newestKey = key;
    }
  }
  ::closedir(dir);
  return newest;
}

// Whether the locked file still has the content the run saved; error is set when it cannot be
// read.
bool readMatches(FileSystem& fs, int fd, const Entry& entry, int& error) {
  ContentHasher hasher;
  char buffer[1 << 16];
  for (ssize_t n; (n = fs.read(fd, buffer, sizeof buffer)) != 0;) {
    if (n < 0) {
      error = errno;
      return false;
    }
    hasher.add(std::string_view(buffer, static_cast<size_t>(n)));
  }
  error = 0;
  return hasher.size() == entry.size && hasher.hash() == entry.hash;
}

// Puts the backup's content, attributes and ACL back in place of the file, by a new temporary
// file and a rename. Empty when done, else why not.
Text putBackupInPlace(FileSystem& fs, const Entry& entry, const Clock& clock) {
  const Text path = pathToText(entry.path);
  std::string old;
  struct stat backupStat {};
  if (!readAllBytes(fs, entry.backup, old) || ::stat(entry.backup.c_str(), &backupStat) != 0)
    return u"the backup " + pathToText(entry.backup) + u" cannot be read: " + systemErrorText(errno);
  const ReplaceFileNames names = MakeReplaceFileNames(path, clock.now());
  std::string temporary;
  bool written = false;
  for (int number = 0; number < 1000 && !written; ++number) {
    temporary = textToPath(names.base + u"-" + kReplaceMarker + u"-" + names.stamp + u"-undo" +
                           (number > 0 ? u"-" + intToText(number) : Text()) + names.extension);
    written = writeNewFile(fs, temporary, bytesWriter(old), backupStat, false, -1);
    if (!written && errno != EEXIST) break;
  }
  if (!written) return u"could not write " + pathToText(temporary) + u": " + systemErrorText(errno);
  // The backup's attributes and ACL, as the file had them before the replace.
  const int backupFd = fs.open(entry.backup, O_RDONLY | O_NONBLOCK | O_NOFOLLOW, 0);
  const int tempFd = fs.open(temporary, O_WRONLY | O_NOFOLLOW, 0);
  std::string attribute;
  const bool attributesOk =
      backupFd < 0 || (tempFd >= 0 && copyExtendedAttributes(fs, backupFd, tempFd, attribute) && fs.fsync(tempFd) == 0);
  const int attributeError = errno;
  if (backupFd >= 0) fs.close(backupFd);
  if (tempFd >= 0) fs.close(tempFd);
  if (!attributesOk) {
    fs.unlink(temporary);
    return u"could not give it the extended attribute " + pathToText(attribute) + u" of its backup: " +
           systemErrorText(attributeError);
  }
  if (fs.rename(temporary, entry.path) != 0) {
    const int error = errno;
    fs.unlink(temporary);
    return u"could not replace it: " + systemErrorText(error);
  }
  return Text();
}

// One entry of the run, under the file's lock; what happened goes to report and result, and a
// file the run is done with to doneLines.
void restoreEntry(FileSystem& fs, const Entry& entry, const Clock& clock, TextList& report, UndoResult& result,
                  std::string& doneLines) {
  const Text path = pathToText(entry.path);
  auto refuse = [&](const Text& why) {
    report.push_back(u"Not restored: " + path + u": " + why);
    ++result.refused;
  };
  struct stat locked {};
  const int fd = openAndLock(fs, entry.path, locked);
  if (fd < 0) return refuse(systemErrorText(errno));
  int error = 0;
  const bool unchanged = readMatches(fs, fd, entry, error);
  if (error != 0) {
    fs.close(fd);
    return refuse(systemErrorText(error));
  }
  if (!unchanged) {
    fs.close(fd);
    if (entry.done) return refuse(u"changed since the replace; left as it is");
    // Its rename was never made: the run was stopped before this file was saved.
    report.push_back(u"Not changed by that run (it was stopped before saving it): " + path);
    ++result.notSaved;
    doneLines += entryLine(entry, kUndone);
    return;
  }
  const Text failure = putBackupInPlace(fs, entry, clock);
  fs.close(fd);  // the lock is held until the file is back in place
  if (!failure.empty()) return refuse(failure);
  syncFolderOf(fs, entry.path);
  report.push_back(u"Restored " + path + u" from " + pathToText(entry.backup));
  ++result.restored;
  doneLines += entryLine(entry, kUndone);
}

}  // namespace

UndoResult UndoLastReplace(const Text& folder, TextList& report, const Clock& clock, FileSystem& fs) {
  UndoResult result;
  const std::string folderPath = textToPath(xcIncludeTrailingSeparator(folder));
  const NewestManifest newest = findNewestManifest(fs, folderPath);
  if (newest.name.empty()) {
    report.push_back(u"No replace run to undo in " + pathToText(folderPath));
    return result;
  }
  result.foundRun = true;
  const std::string manifest = folderPath + newest.name;
  result.manifestName = pathToText(manifest);
  auto markUndone = [&] {
    const std::string undone = folderPath + newest.name.substr(0, newest.name.size() - 4) + std::string(kUndoneEnd);
    if (fs.rename(manifest, undone) != 0)
      report.push_back(u"Could not mark " + result.manifestName + u" as undone: " + systemErrorText(errno));
  };

  // A record we cannot read may name files of the last run: never undo an older run instead.
  if (newest.error != 0 || (!newest.bytes.empty() && createdKey(newest.bytes).empty())) {
    report.push_back(u"The undo record " + result.manifestName + u" cannot be read" +
                     (newest.error ? u": " + systemErrorText(newest.error) : Text(u": it is damaged")) +
                     u"; nothing was restored. Move it away to undo the run before it.");
    ++result.refused;
    return result;
  }
  // Made, and the run stopped before its first file: that run changed nothing.
  if (newest.bytes.empty()) {
    report.push_back(u"The undo record " + result.manifestName + u" is empty: that run changed no file");
    markUndone();
    return result;
  }
  const std::vector<Entry> entries = parseEntries(newest.bytes);
  if (entries.empty()) {
    report.push_back(u"The undo record " + result.manifestName + u" names no file: that run changed none");
    markUndone();
    return result;
  }
  std::string restoredLines;
  // Last saved first: a file saved twice goes back step by step.
  for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    if (!it->undone) restoreEntry(fs, *it, clock, report, result, restoredLines);

  if (result.refused == 0) {
    markUndone();
    return result;
  }
  // Some files are left: the run stays the last one, and the next undo tries only those.
  const int fd = fs.open(manifest, O_WRONLY | O_APPEND | O_NOFOLLOW, 0);
  const bool marked = fd >= 0 && writeAllBytes(fs, fd, restoredLines) && fs.fsync(fd) == 0;
  const int error = errno;
  if (fd >= 0) fs.close(fd);
  if (!marked)
    report.push_back(u"Could not note the restored files in " + result.manifestName + u": " + systemErrorText(error));
  report.push_back(u"The run stays undoable for the " + intToText(result.refused) +
                   u" file(s) not restored; undo again once they can be");
  return result;
}

}  // namespace varko
