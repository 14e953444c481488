#pragma once
// The file operations of replacing and saving, behind one seam so that tests can make any of
// them fail (an errno, a short write, a full disk) or stop after a step as a killed process would.
#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include "lib/Text.h"

namespace varko {

// The steps of saving a replaced file, in order.
enum class SaveStep {
  None,             // outside a save (reading, Show Differences, undo)
  CheckUnchanged,   // the file is read again and compared with what was replaced in
  WriteTemporary,   // new content to the temporary name, synced, with the original's permissions
  AppendArchive,    // the old content appended to the archive and synced
  KeepBackup,       // the old content kept under the backup name
  RecordUndo,       // the undo record says this file is about to be replaced
  ReplaceOriginal,  // the temporary file renamed over the original
  SyncFolder,       // the folder synced, so the rename and the backup survive a power cut
};
Text saveStepName(SaveStep step);

// Calls mirror the system calls: -1 (or a short count) with errno set on failure. The real
// write gives all it is given or fails; a test's may still stop short.
class FileSystem {
public:
  virtual ~FileSystem() = default;

  virtual void beginStep(SaveStep) {}
  // false: stop right here, leaving everything as it is, as if the process had been killed.
  virtual bool endStep(SaveStep) { return true; }

  virtual int open(const std::string& path, int flags, mode_t mode);
  virtual ssize_t read(int fd, void* buffer, size_t count);
  virtual ssize_t write(int fd, const void* buffer, size_t count);
  virtual int fsync(int fd);
  virtual int fstat(int fd, struct stat& st);
  virtual int fchmod(int fd, mode_t mode);
  virtual int fchown(int fd, uid_t owner, gid_t group);
  virtual int fsetxattr(int fd, const char* name, const void* value, size_t size);
  virtual int flock(int fd, int operation);
  virtual int ftruncate(int fd, off_t length);
  virtual int close(int fd);
  virtual int link(const std::string& from, const std::string& to);
  virtual int rename(const std::string& from, const std::string& to);
  virtual int unlink(const std::string& path);

  static FileSystem& real();
};

// Helpers over a FileSystem; false with errno set on failure.
bool readAllBytes(FileSystem& fs, const std::string& path, std::string& bytes);
bool writeAllBytes(FileSystem& fs, int fd, std::string_view bytes);
// Opens the folder holding path and fsyncs it.
bool syncFolderOf(FileSystem& fs, const std::string& path);
// The folder part of path ("." when it has none).
std::string xcFolderOf(const std::string& path);
// Gives to fd every extended attribute of from (its ACL included) that the system lets us read.
// false with errno set, and the attribute's name in failedName, when one cannot be set: the
// caller refuses the file rather than give it wider access than the original had.
bool copyExtendedAttributes(FileSystem& fs, int from, int to, std::string& failedName);

}  // namespace varko
