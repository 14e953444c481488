#include "replace/SafeSave.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "lib/Errors.h"
#include "replace/Archive.h"

namespace varko {

namespace {

constexpr int kMostBackupNumbers = 10000;

bool giveAttributes(FileSystem& fs, int fd, const struct stat& like) {
  // The owner first: changing it may clear set-id bits that the mode then restores.
  if (::geteuid() == 0 && fs.fchown(fd, like.st_uid, like.st_gid) != 0) return false;
  return fs.fchmod(fd, like.st_mode & 07777) == 0;
}

}  // namespace

bool xcWriteNewFile(FileSystem& fs, const std::string& name, std::string_view bytes,
                    const struct stat& like, bool replaceExisting) {
  int fd = fs.open(name, O_WRONLY | O_CREAT | O_EXCL, 0600);
  if (fd < 0 && errno == EEXIST && replaceExisting && fs.unlink(name) == 0)
    fd = fs.open(name, O_WRONLY | O_CREAT | O_EXCL, 0600);
  if (fd < 0) return false;
  bool ok = xcWriteAllBytes(fs, fd, bytes) && giveAttributes(fs, fd, like) && fs.fsync(fd) == 0;
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

SaveResult xcSaveReplacedFile(const SaveRequest& request, const Clock& clock, FileSystem& fs) {
  SaveResult result;
  const std::string target = textToPath(request.target);
  const std::string temporary = textToPath(request.names.temporary);
  bool temporaryExists = request.temporaryIsOurs;
  std::string backup;

  auto failure = [&](SaveStep step, const Text& message) {
    const int saved = errno;
    if (temporaryExists) fs.unlink(temporary);
    if (!backup.empty()) fs.unlink(backup);  // the original still holds that content
    errno = saved;
    result.failedStep = step;
    result.message = message;
    return result;
  };
  auto because = [](int error) { return u": " + systemErrorText(error); };

  // Another program may have written the file since it was read: its content wins.
  fs.beginStep(SaveStep::CheckUnchanged);
  std::string current;
  struct stat original {};
  if (!xcReadAllBytes(fs, target, current) || ::stat(target.c_str(), &original) != 0)
    return failure(SaveStep::CheckUnchanged, u"Could not read " + request.path + u" again" + because(errno));
  if (current != request.old->bytes)
    return failure(SaveStep::CheckUnchanged,
                   request.path + u" was changed on disk since it was read for replacing; it was not saved");
  current = std::string();
  if (!fs.endStep(SaveStep::CheckUnchanged)) return result.stopped = true, result;

  fs.beginStep(SaveStep::WriteTemporary);
  temporaryExists = false;
  if (!xcWriteNewFile(fs, temporary, request.newBytes, original, request.temporaryIsOurs)) {
    const int error = errno;
    // A failed replacement of Show Differences' file took it away too.
    return failure(SaveStep::WriteTemporary,
                   u"Could not write the temporary file " + request.names.temporary + because(error));
  }
  temporaryExists = true;
  if (!fs.endStep(SaveStep::WriteTemporary)) return result.stopped = true, result;

  fs.beginStep(SaveStep::AppendArchive);
  if (!request.archiveFile.empty()) {
    try {
      xcAppendArchiveLines(request.archiveFile, request.path, request.old->lines, request.note, clock, fs);
    } catch (const VarkoError& e) {
      return failure(SaveStep::AppendArchive,
                     u"Could not append to the archive " + request.archiveFile + u": " + e.text());
    }
  }
  if (!fs.endStep(SaveStep::AppendArchive)) return result.stopped = true, result;

  // A hard link keeps the old content at no cost; where links are not possible, a copy.
  // A taken name gets the next number: a backup is never overwritten.
  fs.beginStep(SaveStep::KeepBackup);
  bool linking = true;
  int error = EEXIST;
  Text backupName;
  for (int number = 0; number < kMostBackupNumbers && error == EEXIST; ++number) {
    backupName = request.names.numberedBackup(number);
    const std::string name = textToPath(backupName);
    if (linking) {
      if (fs.link(target, name) == 0) {
        error = 0;
      } else {
        error = errno;
        if (error != EEXIST) linking = false;
      }
    }
    if (!linking) {
      error = xcWriteNewFile(fs, name, request.old->bytes, original, false) ? 0 : errno;
    }
    if (error == 0) backup = name;
  }
  if (error != 0) {
    errno = error;
    return failure(SaveStep::KeepBackup, u"Could not create the backup file " + backupName + because(error));
  }
  result.backupName = backupName;
  if (!fs.endStep(SaveStep::KeepBackup)) return result.stopped = true, result;

  fs.beginStep(SaveStep::ReplaceOriginal);
  if (fs.rename(temporary, target) != 0) {
    const int renameError = errno;
    return failure(SaveStep::ReplaceOriginal, u"Could not replace " + request.path + u" with the temporary file " +
                                                  request.names.temporary + because(renameError));
  }
  temporaryExists = false;
  result.saved = true;
  if (!fs.endStep(SaveStep::ReplaceOriginal)) return result.stopped = true, result;

  // The new content is in place; a folder that cannot be synced is only worth a warning.
  fs.beginStep(SaveStep::SyncFolder);
  if (!xcSyncFolderOf(fs, target)) {
    result.failedStep = SaveStep::SyncFolder;
    result.message = u"The folder of " + request.path + u" could not be synced" + because(errno) +
                     u"; the changes are saved but may not survive a power cut";
  }
  if (!fs.endStep(SaveStep::SyncFolder)) return result.stopped = true, result;
  return result;
}

}  // namespace varko
