#include "save/SafeSave.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "lib/Errors.h"
#include "save/Archive.h"

namespace varko {

namespace {

constexpr int kMostBackupNumbers = 10000;

bool giveAttributes(FileSystem& fs, int fd, const struct stat& like) {
  // The owner first: changing it may clear set-id bits that the mode then restores.
  if (::geteuid() == 0 && fs.fchown(fd, like.st_uid, like.st_gid) != 0) return false;
  return fs.fchmod(fd, like.st_mode & 07777) == 0;
}

bool sameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The same file, with the same size and content time (and status time when asked).
bool unchanged(const struct stat& was, const struct stat& now, bool statusTimeToo) {
  return was.st_dev == now.st_dev && was.st_ino == now.st_ino && was.st_size == now.st_size &&
         sameTime(was.st_mtim, now.st_mtim) && (!statusTimeToo || sameTime(was.st_ctim, now.st_ctim));
}

// fd's content is exactly bytes, read in pieces so that no second copy of the file is made.
bool holdsExactly(FileSystem& fs, int fd, std::string_view bytes, bool& same) {
  char buffer[1 << 16];
  size_t at = 0;
  same = false;
  for (;;) {
    const ssize_t n = fs.read(fd, buffer, sizeof buffer);
    if (n < 0) return false;
    if (n == 0) break;
    const auto got = static_cast<size_t>(n);
    if (at + got > bytes.size() || std::memcmp(buffer, bytes.data() + at, got) != 0) return true;
    at += got;
  }
  same = at == bytes.size();
  return true;
}

}  // namespace

ContentWriter bytesWriter(std::string_view bytes) {
  return [bytes](FileSystem& fs, int fd) { return writeAllBytes(fs, fd, bytes); };
}

bool writeNewFile(FileSystem& fs, const std::string& name, const ContentWriter& write, const struct stat& like,
                    bool replaceExisting, int attributesFrom, std::string* failedAttribute, bool sync) {
  int fd = fs.open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
  if (fd < 0 && errno == EEXIST && replaceExisting && fs.unlink(name) == 0)
    fd = fs.open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  std::string attribute;
  bool ok = false;
  try {
    ok = write(fs, fd) && giveAttributes(fs, fd, like);
  } catch (...) {
    fs.close(fd);
    fs.unlink(name);
    throw;
  }
  if (ok && attributesFrom >= 0 && !copyExtendedAttributes(fs, attributesFrom, fd, attribute)) {
    ok = false;
    if (failedAttribute) *failedAttribute = attribute;
  }
  if (ok && sync) ok = fs.fsync(fd) == 0;
  int saved = errno;
  if (fs.close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (!ok) {
    fs.unlink(name);
    errno = saved;
  }
  return ok;
}

int openAndLock(FileSystem& fs, const std::string& path, struct stat& st, const std::function<void()>& onWait) {
  for (int attempt = 0;; ++attempt) {
    // O_NONBLOCK: a FIFO put in the file's place must not stall us.
    const int fd = fs.open(path, O_RDONLY | O_NONBLOCK | O_NOFOLLOW, 0);
    if (fd < 0) return -1;
    auto fail = [&](int error) {
      fs.close(fd);
      errno = error;
      return -1;
    };
    if (fs.fstat(fd, st) != 0) return fail(errno);
    if (!S_ISREG(st.st_mode)) return fail(EINVAL);
    if (fs.flock(fd, LOCK_EX | LOCK_NB) != 0) {
      // Where the file system has no such locks, the checks before the rename still hold.
      if (errno != EWOULDBLOCK) return fd;
      if (onWait && attempt == 0) onWait();
      if (fs.flock(fd, LOCK_EX) != 0) return fail(errno);
    }
    // While we waited, the other run may have put a new file under the name.
    struct stat named {};
    if (::lstat(path.c_str(), &named) == 0 && named.st_dev == st.st_dev && named.st_ino == st.st_ino) {
      if (fs.fstat(fd, st) != 0) return fail(errno);
      return fd;
    }
    fs.close(fd);
    if (attempt == 100) {
      errno = EAGAIN;
      return -1;
    }
  }
}

// What a save that does not finish takes back, also when an exception (no memory) ends it.
struct PreparedSave::State {
  FileSystem& fs;
  Text path, archiveFile;
  std::string target, temporary;
  bool temporaryExists = false;
  std::string backup;
  ArchiveRecord record;
  int locked = -1;  // the original, locked until the save is over
  struct stat settled {};
  bool syncFolder = true;
  Text why = u"the save was stopped by an error";

  State(FileSystem& fileSystem, const SaveRequest& request)
      : fs(fileSystem),
        path(request.path),
        archiveFile(request.archiveFile),
        target(textToPath(request.target)),
        temporary(textToPath(request.names.temporary)),
        temporaryExists(request.temporaryIsOurs),
        syncFolder(request.syncFolder) {}
  void release() {
    if (locked >= 0) fs.close(locked);
    locked = -1;
  }
  void takeBack() {
    const int saved = errno;
    if (temporaryExists) fs.unlink(temporary);
    if (!backup.empty()) fs.unlink(backup);  // the original still holds that content
    temporaryExists = false;
    backup.clear();
    // The archive must not claim a change that did not happen.
    if (record.written()) {
      const ArchiveRecord written = record;
      record = ArchiveRecord();
      try {
        withdrawArchiveRecord(archiveFile, written, path, why, fs);
      } catch (...) {
      }
    }
    release();
    errno = saved;
  }
  // As a killed process would: everything stays where it is.
  void leave() {
    temporaryExists = false;
    backup.clear();
    record = ArchiveRecord();
    release();
  }
  ~State() { takeBack(); }
};

PreparedSave::PreparedSave(std::unique_ptr<State> state) : state_(std::move(state)) {}
PreparedSave::~PreparedSave() = default;

namespace {

Text because(int error) { return u": " + systemErrorText(error); }
Text changedText(const Text& path) {
  return path + u" was changed on disk since it was read for replacing; it was not saved";
}

}  // namespace

std::unique_ptr<PreparedSave> prepareSave(const SaveRequest& request, const Clock& clock, FileSystem& fs,
                                            SaveResult& result) {
  auto state = std::make_unique<PreparedSave::State>(fs, request);
  PreparedSave::State& st = *state;
  auto failure = [&](SaveStep step, const Text& message) {
    st.why = message;
    fs.beginStep(SaveStep::None);  // taking back is no part of the step that failed
    st.takeBack();
    result.failedStep = step;
    result.message = message;
    return nullptr;
  };
  auto stop = [&] {
    st.leave();
    result.stopped = true;
    return nullptr;
  };

  // Another program may have written the file since it was read: its content wins. The lock
  // keeps every other replace run of ours out until this one has renamed.
  fs.beginStep(SaveStep::CheckUnchanged);
  struct stat original {};
  st.locked = openAndLock(fs, st.target, original, [&] {
    if (request.waiting) request.waiting(u"Waiting for another replace run to finish saving " + request.path);
  });
  if (st.locked < 0) return failure(SaveStep::CheckUnchanged, u"Could not read " + request.path + u" again" + because(errno));
  bool same = false;
  if (!holdsExactly(fs, st.locked, request.old->bytes, same))
    return failure(SaveStep::CheckUnchanged, u"Could not read " + request.path + u" again" + because(errno));
  if (!same) return failure(SaveStep::CheckUnchanged, changedText(request.path));
  if (!fs.endStep(SaveStep::CheckUnchanged)) return stop();

  fs.beginStep(SaveStep::WriteTemporary);
  st.temporaryExists = false;
  std::string attribute;
  if (!writeNewFile(fs, st.temporary, request.writeNew, original, request.temporaryIsOurs, st.locked, &attribute,
                      request.syncNow)) {
    const int error = errno;
    // A failed replacement of Show Differences' file took it away too.
    if (!attribute.empty())
      return failure(SaveStep::WriteTemporary, u"Could not give the temporary file " + request.names.temporary +
                                                   u" the extended attribute " + pathToText(attribute) + u" of " +
                                                   request.path + because(error) + u"; it was not saved");
    return failure(SaveStep::WriteTemporary,
                   u"Could not write the temporary file " + request.names.temporary + because(error));
  }
  st.temporaryExists = true;
  if (!fs.endStep(SaveStep::WriteTemporary)) return stop();

  fs.beginStep(SaveStep::AppendArchive);
  if (!request.archiveFile.empty()) {
    try {
      st.record = xcAppendArchiveLines(request.archiveFile, request.path, *request.old, request.note, clock, fs,
                                       request.syncNow);
    } catch (const VarkoError& e) {
      return failure(SaveStep::AppendArchive,
                     u"Could not append to the archive " + request.archiveFile + u": " + e.text());
    }
  }
  if (!fs.endStep(SaveStep::AppendArchive)) return stop();

  // A hard link keeps the old content at no cost; where links are not possible, a copy. A file
  // with other names gets a copy too: an edit through one of them would otherwise change the
  // backup. A taken name gets the next number: a backup is never overwritten.
  fs.beginStep(SaveStep::KeepBackup);
  bool linking = original.st_nlink <= 1;
  int error = EEXIST;
  Text backupName;
  for (int number = 0; number < kMostBackupNumbers && error == EEXIST; ++number) {
    backupName = request.names.numberedBackup(number);
    const std::string name = textToPath(backupName);
    if (linking) {
      if (fs.link(st.target, name) == 0) {
        error = 0;
      } else {
        error = errno;
        if (error != EEXIST) linking = false;
      }
    }
    if (!linking) {
      attribute.clear();
      error = writeNewFile(fs, name, bytesWriter(request.old->bytes), original, false, st.locked, &attribute,
                             request.syncNow)
                  ? 0
                  : errno;
      if (error != 0 && !attribute.empty()) {
        errno = error;
        return failure(SaveStep::KeepBackup, u"Could not give the backup file " + backupName +
                                                 u" the extended attribute " + pathToText(attribute) + because(error));
      }
    }
    if (error == 0) st.backup = name;
  }
  if (error != 0) {
    errno = error;
    return failure(SaveStep::KeepBackup, u"Could not create the backup file " + backupName + because(error));
  }
  result.backupName = backupName;
  // Our own link changed the status time; the content time and size must not have moved.
  if (fs.fstat(st.locked, st.settled) != 0 || !unchanged(original, st.settled, false))
    return failure(SaveStep::KeepBackup, changedText(request.path));
  if (!fs.endStep(SaveStep::KeepBackup)) return stop();

  fs.beginStep(SaveStep::RecordUndo);
  if (request.beforeReplace) {
    Text why;
    if (!request.beforeReplace(backupName, why)) return failure(SaveStep::RecordUndo, why);
  }
  if (!fs.endStep(SaveStep::RecordUndo)) return stop();
  return std::make_unique<PreparedSave>(std::move(state));
}

SaveResult commitSave(PreparedSave& prepared, FileSystem& fs, SaveResult result) {
  PreparedSave::State& st = *prepared.state_;
  auto failure = [&](const Text& message) {
    st.why = message;
    fs.beginStep(SaveStep::None);
    st.takeBack();
    result.failedStep = SaveStep::ReplaceOriginal;
    result.message = message;
    return result;
  };

  fs.beginStep(SaveStep::ReplaceOriginal);
  // Once more, right before the rename: the same file under the name, not written meanwhile.
  struct stat named {}, now {};
  if (::lstat(st.target.c_str(), &named) != 0 || fs.fstat(st.locked, now) != 0 ||
      !unchanged(st.settled, named, true) || !unchanged(st.settled, now, true))
    return failure(changedText(st.path));
  if (fs.rename(st.temporary, st.target) != 0) {
    const int renameError = errno;
    return failure(u"Could not replace " + st.path + u" with the temporary file " + pathToText(st.temporary) +
                   because(renameError));
  }
  st.temporaryExists = false;
  st.backup.clear();  // it is the old content now
  st.record = ArchiveRecord();
  result.saved = true;
  st.release();
  if (!fs.endStep(SaveStep::ReplaceOriginal)) {
    result.stopped = true;
    return result;
  }

  // The new content is in place; a folder that cannot be synced is only worth a warning.
  fs.beginStep(SaveStep::SyncFolder);
  if (st.syncFolder && !syncFolderOf(fs, st.target)) {
    result.failedStep = SaveStep::SyncFolder;
    result.message = u"The folder of " + st.path + u" could not be synced" + because(errno) +
                     u"; the changes are saved but may not survive a power cut";
  }
  if (!fs.endStep(SaveStep::SyncFolder)) result.stopped = true;
  return result;
}

SaveResult saveReplacedFile(const SaveRequest& request, const Clock& clock, FileSystem& fs) {
  SaveResult result;
  std::unique_ptr<PreparedSave> prepared = prepareSave(request, clock, fs, result);
  if (!prepared) return result;
  return commitSave(*prepared, fs, result);
}

}  // namespace varko
