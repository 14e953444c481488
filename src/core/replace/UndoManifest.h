#pragma once
// Undo of a replace run: each run that saves files writes a manifest beside the archive (one
// line a saved file: path, backup, hash and size of the bytes written), and the last run not yet
// undone can be put back from its backups.
#include <cstdint>
#include <string>
#include <string_view>

#include "lib/Clock.h"
#include "lib/Text.h"
#include "replace/FileSystem.h"

namespace varko {

// FNV-1a 64 of bytes, as 16 lower-case hex digits.
std::string xcContentHash(std::string_view bytes);

inline constexpr char16_t kUndoManifestPrefix[] = u"VarkoSearchReplaceUndo-";

// The manifest of one run; made with the first saved file and written through after each, so a
// run that is killed still leaves what it saved.
class ReplaceRunLog {
public:
  ReplaceRunLog(Text folder, const Clock& clock, FileSystem& fs = FileSystem::real());
  // false, with errorText, when the manifest cannot be written.
  bool recordSaved(const Text& path, const Text& backup, std::string_view writtenBytes, Text& errorText);
  const Text& manifestName() const { return manifestName_; }  // empty before the first save
  int savedCount() const { return savedCount_; }

private:
  Text folder_;
  const Clock& clock_;
  FileSystem& fs_;
  Text manifestName_;
  int savedCount_ = 0;
};

struct UndoResult {
  bool foundRun = false;  // false: no run left to undo
  int restored = 0;
  int refused = 0;
  Text manifestName;
};

// Puts back every file of the newest manifest in folder from its backup (last saved first),
// only where the file still holds exactly what the run wrote; the manifest is then renamed with
// "-undone" so that the next undo takes the run before. report receives a line per file.
UndoResult UndoLastReplace(const Text& folder, TextList& report, const Clock& clock,
                           FileSystem& fs = FileSystem::real());

}  // namespace varko
