#pragma once
// Saving a replaced file so that its name always holds the complete old or the complete new
// content: temporary file, archive record, backup, undo record, atomic rename, folder sync.
#include <sys/stat.h>

#include <functional>
#include <memory>
#include <string_view>

#include "lib/Clock.h"
#include "lib/Text.h"
#include "save/FileContent.h"
#include "save/FileSystem.h"
#include "save/ReplaceFileNames.h"

namespace varko {

// Writes a file's content to fd; false with errno set when a write fails.
using ContentWriter = std::function<bool(FileSystem& fs, int fd)>;
ContentWriter bytesWriter(std::string_view bytes);

struct SaveRequest {
  Text path;                         // as the user named it: messages and the archive record
  Text target;                       // the file itself, symbolic links resolved
  const FileContent* old = nullptr;  // what was read for replacing
  ContentWriter writeNew;            // the new content
  ReplaceFileNames names;            // made beside target
  Text archiveFile;                  // empty: no archive record
  Text note;                         // "Changes=<n>"
  bool temporaryIsOurs = false;      // a temporary file Show Differences left may be replaced
  bool syncFolder = true;            // false: the caller syncs the folder later (once per folder)
  // false: the new file, the archive record and a copied backup are not synced one by one; the
  // caller syncs their file systems before it commits the save (once for a group of files).
  bool syncNow = true;
  // After the backup, before the rename: the undo record. false (with why) stops the save.
  std::function<bool(const Text& backup, Text& why)> beforeReplace;
  // Told when another replace run is saving the same file and this save waits for it.
  std::function<void(const Text& text)> waiting;
};

struct SaveResult {
  bool saved = false;
  bool stopped = false;  // the seam stopped the save after a step, as a killed process would
  SaveStep failedStep = SaveStep::None;
  Text message;          // why it failed, or a warning about a saved file
  Text backupName;       // the backup actually made
};

SaveResult saveReplacedFile(const SaveRequest& request, const Clock& clock, FileSystem& fs);

// A save made up to its rename (the original locked, checked, the new file written, the archive
// record, the backup and the undo intent made), so that a group of saves can be synced at once
// before their renames. Dropped before its commit, it takes back what it made.
class PreparedSave {
public:
  struct State;
  explicit PreparedSave(std::unique_ptr<State> state);
  ~PreparedSave();
  PreparedSave(const PreparedSave&) = delete;
  PreparedSave& operator=(const PreparedSave&) = delete;

private:
  friend SaveResult commitSave(PreparedSave& prepared, FileSystem& fs, SaveResult result);
  std::unique_ptr<State> state_;
};

// The steps before the rename; null, with result saying why (or stopped), when one failed.
std::unique_ptr<PreparedSave> prepareSave(const SaveRequest& request, const Clock& clock, FileSystem& fs,
                                            SaveResult& result);
// The rename (after a last check that the file is unchanged) and the folder sync; result is the
// one the preparation filled.
SaveResult commitSave(PreparedSave& prepared, FileSystem& fs, SaveResult result);

// Creates name exclusively (first removing it when replaceExisting), writes it, gives it the
// permission bits of like (and its owner when running as root) and, when attributesFrom is an
// open file, that file's extended attributes and ACL; syncs and closes it. On failure nothing
// of it is left and errno tells why; failedAttribute names an attribute that could not be set.
bool writeNewFile(FileSystem& fs, const std::string& name, const ContentWriter& write, const struct stat& like,
                    bool replaceExisting, int attributesFrom = -1, std::string* failedAttribute = nullptr,
                    bool sync = true);

// Takes the replace lock of the file at path (an open descriptor of it, locked so that every
// other replace run of the program waits), re-opening when the name moved to another file while
// waiting. -1 with errno when it cannot be opened; st is the locked file's status.
int openAndLock(FileSystem& fs, const std::string& path, struct stat& st,
                 const std::function<void()>& onWait = {});

}  // namespace varko
