#pragma once
// Saving a replaced file so that its name always holds the complete old or the complete new
// content: temporary file, archive record, backup, atomic rename, folder sync.
#include <sys/stat.h>

#include "lib/Clock.h"
#include "lib/Text.h"
#include "replace/FileContent.h"
#include "replace/FileSystem.h"
#include "replace/ReplaceFileNames.h"

namespace varko {

struct SaveRequest {
  Text path;                         // as the user named it: messages and the archive record
  Text target;                       // the file itself, symbolic links resolved
  const FileContent* old = nullptr;  // what was read for replacing
  std::string_view newBytes;
  ReplaceFileNames names;            // made beside target
  Text archiveFile;                  // empty: no archive record
  Text note;                         // "Changes=<n>"
  bool temporaryIsOurs = false;      // a temporary file Show Differences left may be replaced
};

struct SaveResult {
  bool saved = false;
  bool stopped = false;  // the seam stopped the save after a step, as a killed process would
  SaveStep failedStep = SaveStep::None;
  Text message;          // why it failed, or a warning about a saved file
  Text backupName;       // the backup actually made
};

SaveResult xcSaveReplacedFile(const SaveRequest& request, const Clock& clock, FileSystem& fs);

// Creates name exclusively (first removing it when replaceExisting), writes bytes, gives it the
// permission bits of like (and its owner when running as root), syncs and closes it. On failure
// nothing of it is left and errno tells why.
bool xcWriteNewFile(FileSystem& fs, const std::string& name, std::string_view bytes,
                    const struct stat& like, bool replaceExisting);

}  // namespace varko
