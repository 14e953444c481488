#pragma once
// Undo of a replace run: each run that saves files writes a manifest beside the archive (per
// saved file: path, backup, hash and size of the bytes written, first as an intent before the
// file is replaced, then as done), and the last run not yet undone can be put back from its
// backups, also after the run was killed at any point.
#include <cstdint>
#include <string>
#include <string_view>

#include "lib/Clock.h"
#include "lib/Text.h"
#include "save/FileSystem.h"

namespace varko {

// FNV-1a 64 of bytes, as 16 lower-case hex digits.
std::string contentHash(std::string_view bytes);

inline constexpr char16_t kUndoManifestPrefix[] = u"VarkoSearchReplaceUndo-";

// The manifest of one run; made with the first file about to be saved and written through, so a
// run that is killed still leaves every file it may have replaced.
class UndoManifest {
public:
  UndoManifest(Text folder, const Clock& clock, FileSystem& fs = FileSystem::real());
  ~UndoManifest();
  UndoManifest(const UndoManifest&) = delete;
  UndoManifest& operator=(const UndoManifest&) = delete;
  // Creates the manifest, when not done yet, before the run's first save begins: a run killed
  // before its first rename then leaves a record that names no file.
  bool open(Text& errorText);
  // Before the rename: false, with errorText, when the manifest cannot be written (the file is
  // then not saved). hash is contentHash of the bytes about to be put in place.
  bool recordIntent(const Text& path, const Text& backup, const std::string& hash, uint64_t size, Text& errorText);
  // After the rename.
  bool recordDone(const Text& path, const Text& backup, const std::string& hash, uint64_t size, Text& errorText);
  // Both at once, for a file saved outside a save's steps.
  bool recordSaved(const Text& path, const Text& backup, std::string_view writtenBytes, Text& errorText);
  // At the end of a run: a manifest that names no file (every save failed) goes again.
  void closeRun();
  const Text& manifestName() const { return manifestName_; }  // empty before the first save
  int savedCount() const { return savedCount_; }

private:
  Text folder_;
  const Clock& clock_;
  FileSystem& fs_;
  bool append(const std::string& line, bool sync, Text& errorText);

  Text manifestName_;
  int savedCount_ = 0;
  int intentCount_ = 0;
  int fd_ = -1;  // the manifest, open for appending while the run lasts
};

// Adds the bytes of a file as they are written, for its undo record.
class ContentHasher {
public:
  void add(std::string_view bytes);
  std::string hash() const;  // as contentHash
  uint64_t size() const { return size_; }

private:
  uint64_t state_ = 14695981039346656037ull;
  uint64_t size_ = 0;
};

struct UndoResult {
  bool foundRun = false;  // false: no run left to undo
  int restored = 0;
  int refused = 0;        // files left to restore (the run stays undoable for them)
  int notSaved = 0;       // files the run was stopped before saving: nothing to put back
  Text manifestName;
};

// Puts back every file of the newest manifest in folder from its backup (last saved first),
// only where the file still holds exactly what the run wrote. When every file is back, the
// manifest is renamed with "-undone" so that the next undo takes the run before; otherwise the
// restored ones are marked in it and the next undo tries the rest again. A manifest that cannot
// be read is never passed over: nothing is restored until it is moved away. report receives a
// line per file.
UndoResult UndoLastReplace(const Text& folder, TextList& report, const Clock& clock,
                           FileSystem& fs = FileSystem::real());

}  // namespace varko
