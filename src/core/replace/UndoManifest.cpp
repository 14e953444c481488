#include "replace/UndoManifest.h"

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
#include "replace/ReplaceFileNames.h"
#include "replace/SafeSave.h"

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

struct Entry {
  std::string path, backup, hash;
  uint64_t size = 0;
};

// The creation time written in the header, for ordering runs; 0 when unreadable.
std::string createdKey(const std::string& bytes) {
  if (bytes.compare(0, kHeader.size(), kHeader) != 0) return std::string();
  const size_t end = bytes.find_first_of("\r\n", kHeader.size());
  return bytes.substr(kHeader.size(), end - kHeader.size());
}

}  // namespace

std::string xcContentHash(std::string_view bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char b : bytes) {
    hash ^= b;
    hash *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

ReplaceRunLog::ReplaceRunLog(Text folder, const Clock& clock, FileSystem& fs)
    : folder_(xcIncludeTrailingSeparator(folder)), clock_(clock), fs_(fs) {}

bool ReplaceRunLog::recordSaved(const Text& path, const Text& backup, std::string_view writtenBytes,
                                Text& errorText) {
  std::string line;
  int fd = -1;
  if (manifestName_.empty()) {
    // One file per run; two runs of one process within a second get a number.
    const Text start = folder_ + kUndoManifestPrefix + xcFormatDateTime(u"yyyymmdd-hhnnss", clock_.now()) +
                       u"-" + intToText(::getpid());
    for (int number = 1; fd < 0; ++number) {
      const Text name = start + (number > 1 ? u"-" + intToText(number) : Text()) + u".txt";
      fd = fs_.open(textToPath(name), O_WRONLY | O_APPEND | O_CREAT | O_EXCL, 0644);
      if (fd < 0 && (errno != EEXIST || number > 1000)) {
        errorText = u"Could not create the undo record " + name + u": " + systemErrorText(errno);
        return false;
      }
      if (fd >= 0) manifestName_ = name;
    }
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    char created[48];
    std::snprintf(created, sizeof created, "%020lld.%09ld", static_cast<long long>(now.tv_sec), now.tv_nsec);
    line = std::string(kHeader) + created + "\r\n";
  } else {
    fd = fs_.open(textToPath(manifestName_), O_WRONLY | O_APPEND, 0);
  }
  if (fd >= 0) {
    line += escapeField(textToPath(path)) + "\t" + escapeField(textToPath(backup)) + "\t" +
            xcContentHash(writtenBytes) + "\t" + std::to_string(writtenBytes.size()) + "\r\n";
    const bool ok = xcWriteAllBytes(fs_, fd, line) && fs_.fsync(fd) == 0;
    const int saved = errno;
    fs_.close(fd);
    errno = saved;
    if (ok) {
      ++savedCount_;
      return true;
    }
  }
  errorText = u"Could not write the undo record " + manifestName_ + u": " + systemErrorText(errno);
  return false;
}

UndoResult UndoLastReplace(const Text& folder, TextList& report, const Clock& clock, FileSystem& fs) {
  UndoResult result;
  const std::string folderPath = textToPath(xcIncludeTrailingSeparator(folder));
  const std::string prefix = toUtf8(kUndoManifestPrefix);

  // The newest run not yet undone, by the creation time in its header.
  std::string newest, newestKey, newestBytes;
  if (DIR* dir = ::opendir(folderPath.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.compare(0, prefix.size(), prefix) != 0 || !endsWith(name, ".txt") || endsWith(name, kUndoneEnd))
        continue;
      std::string bytes;
      if (!xcReadAllBytes(fs, folderPath + name, bytes)) continue;
      const std::string key = createdKey(bytes) + name;
      if (newest.empty() || key > newestKey) {
        newest = name;
        newestKey = key;
        newestBytes = std::move(bytes);
      }
    }
    ::closedir(dir);
  }
  if (newest.empty()) {
    report.push_back(u"No replace run to undo in " + pathToText(folderPath));
    return result;
  }
  result.foundRun = true;
  result.manifestName = pathToText(folderPath + newest);

  std::vector<Entry> entries;
  size_t start = 0;
  while (start < newestBytes.size()) {
    size_t end = newestBytes.find('\n', start);
    if (end == std::string::npos) end = newestBytes.size();
    std::string_view line(newestBytes.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    const auto fields = splitTabs(line);
    if (fields.size() != 4) continue;
    entries.push_back({unescapeField(fields[0]), unescapeField(fields[1]), std::string(fields[2]),
                       std::strtoull(std::string(fields[3]).c_str(), nullptr, 10)});
  }

  // Last saved first: a file saved twice goes back step by step.
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    const Text path = pathToText(it->path);
    const Text backup = pathToText(it->backup);
    auto refuse = [&](const Text& why) {
      report.push_back(u"Not restored: " + path + u": " + why);
      ++result.refused;
    };
    std::string current;
    if (!xcReadAllBytes(fs, it->path, current)) {
      refuse(systemErrorText(errno));
      continue;
    }
    if (current.size() != it->size || xcContentHash(current) != it->hash) {
      refuse(u"changed since the replace; left as it is");
      continue;
    }
    std::string old;
    struct stat backupStat {};
    if (!xcReadAllBytes(fs, it->backup, old) || ::stat(it->backup.c_str(), &backupStat) != 0) {
      refuse(u"the backup " + backup + u" cannot be read: " + systemErrorText(errno));
      continue;
    }
    const ReplaceFileNames names = MakeReplaceFileNames(path, clock.now());
    std::string temporary;
    bool written = false;
    for (int number = 0; number < 1000 && !written; ++number) {
      temporary = textToPath(names.base + u"-" + kReplaceMarker + u"-" + names.stamp + u"-undo" +
                             (number > 0 ? u"-" + intToText(number) : Text()) + names.extension);
      written = xcWriteNewFile(fs, temporary, old, backupStat, false);
      if (!written && errno != EEXIST) break;
    }
    if (!written) {
      refuse(u"could not write " + pathToText(temporary) + u": " + systemErrorText(errno));
      continue;
    }
    if (fs.rename(temporary, it->path) != 0) {
      const int error = errno;
      fs.unlink(temporary);
      refuse(u"could not replace it: " + systemErrorText(error));
      continue;
    }
    xcSyncFolderOf(fs, it->path);
    report.push_back(u"Restored " + path + u" from " + backup);
    ++result.restored;
  }

  const std::string undone = folderPath + newest.substr(0, newest.size() - 4) + std::string(kUndoneEnd);
  if (fs.rename(folderPath + newest, undone) != 0)
    report.push_back(u"Could not mark " + result.manifestName + u" as undone: " + systemErrorText(errno));
  return result;
}

}  // namespace varko
