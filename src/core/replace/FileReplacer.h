#pragma once
// Replacing the find/replace pairs in one file: the line confirmations, the changes for review,
// and the safe save, with every question asked through ReplaceQuestions.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lib/Clock.h"
#include "lib/Text.h"
#include "match/Patterns.h"
#include "save/FileContent.h"
#include "save/FileSystem.h"
#include "save/ReplaceFileNames.h"
#include "save/SafeSave.h"
#include "save/UndoManifest.h"
#include "search/RunHost.h"

namespace varko {

// Rows of grdReplaceLog below its fixed heading row and the empty row 1: "Filename: ",
// "Temp File: ", "Backup File: ", "Archive File: " (column 1), two empty rows, then per
// accepted line (i, old), (i + "->", new) and an empty row, i counted from 0.
using ReplaceLogRow = std::array<Text, 2>;

struct FileChanges {
  Text path;             // as passed in
  Text target;           // the file itself, symbolic links resolved
  ReplaceFileNames names;
  Text archiveFile;
  Text changedOn;        // the date of the change log's heading
  int32_t changeCount = 0;
  FileContent original;  // the bytes read and their lines: the old lines
  NewLines changed;      // the lines whose text the accepted replacements changed
};

// The rows of grdReplaceLog for changes (worked out when shown: a large file's are many).
std::vector<ReplaceLogRow> replaceLogRows(const FileChanges& changes);
// The change log's lines for changes: heading (35 underscores, date " Search/Replace " path),
// then i:old, i:new, "" per changed line.
TextList changeLogLines(const FileChanges& changes);

enum class FileDecision {
  Save,
  DoNotSave,        // removes a temporary file Show Differences wrote
  Abort,            // "Abort Find/Replace": the run stops before its next file
  ShowDifferences,  // the question is asked again afterwards
  Close,            // the window's close box: nothing saved, the run goes on
};

class ReplaceQuestions {
public:
  virtual ~ReplaceQuestions() = default;
  // The confirmation box of one candidate line (Yes, No, Cancel, No to All, Yes to All).
  virtual ConfirmAnswer confirmLine(const Text& boxText) = 0;
  virtual FileDecision decideFile(const FileChanges& changes) = 0;
  // Yes/No before saving when no differences were shown; true = Yes.
  virtual bool confirmSaveWithoutDiffs(const Text& text) = 0;
  virtual void showMessage(const Text& text) = 0;
  // false when every answer is given without a person (--yes): saves may then be grouped.
  virtual bool asksPerson() const { return true; }
  // Called every few thousand lines of a file being worked on, so a window can stay alive.
  virtual void working() {}
};

struct ReplaceSettings {
  TextList finds;  // pair k is finds[k], replaces[k]
  TextList replaces;
  // Regular expressions: pattern k is finds[k]; set when the run's strings are patterns.
  std::shared_ptr<const Patterns> patterns;
  bool ignoreCase = false;
  bool wholeWords = false;
  bool preserveSpaces = false;
  Text stringSetFile;  // never replaced in (compared exactly, letter case included)
  Text changeLogFile;  // never replaced in; empty: the change log is not written
  Text archiveFile;    // empty: no archive record
  Text settingsFile;   // where the differences viewer is named
  // The two list files with links resolved, worked out once for a run (empty: worked out here).
  Text stringSetTarget, changeLogTarget;
};

// The change log of a run, appended to after each saved file. It is never written through a link
// or into anything but a regular file; a log that cannot be opened so is left alone for the rest
// of the run, with one message.
class ChangeLog {
public:
  explicit ChangeLog(Text file) : file_(std::move(file)) {}
  const Text& file() const { return file_; }
  // false with errorText: a write that failed (the log is cut back to where it was) is a failure
  // of the run; notice, with no failure, says the log is not written in this run.
  bool append(const FileChanges& changes, FileSystem& fs, Text& errorText, Text& notice);
  // An entry worked out before (changeLogBytes).
  bool appendBytes(std::string_view bytes, FileSystem& fs, Text& errorText, Text& notice);

private:
  // -1, with notice, when the log is not to be written (any more) in this run; else locked.
  int openLocked(FileSystem& fs, off_t& size, Text& notice);
  bool finish(FileSystem& fs, int fd, bool ok, off_t size, Text& errorText);

  Text file_;
  bool off_ = false;
};

// A save prepared up to its rename, waiting for its group to be synced and committed.
struct PendingSave {
  std::unique_ptr<PreparedSave> save;
  SaveResult prepared;
  Text path, target;
  ContentHasher hasher;  // of the new content, for the undo record
  int32_t changeCount = 0;
  std::string changeLog;  // its change log entry
};

// The change log entry of changes, as written: UTF-8 lines with CR LF.
std::string changeLogBytes(const FileChanges& changes);

// Renames a pending save into place and does what follows a save: the undo record, the messages,
// the change log. The result says what happened, as replaceFile's would.
struct FileReplaceResult;
void commitPendingSave(PendingSave& pending, const Text& archiveFile, ReplaceQuestions& questions,
                         UndoManifest* undoManifest, ChangeLog& changeLog, FileSystem& fs, FileReplaceResult& result);

struct FileReplaceResult {
  int32_t replacedCount = 0;     // the change count when saved, else 0
  bool refused = false;          // a program file, the string-set file or the change log: not read
  bool readFailed = false;       // failureText holds the platform's text
  bool replaceCancelled = false; // Cancel on a line: no more replacing in this run
  bool runAborted = false;       // "Abort Find/Replace"
  bool saved = false;
  bool saveFailed = false;       // failureText says which step and why (also: not encodable)
  Text failureText;
  Text changeLogFailure;         // saved, but the change log could not be written
  std::unique_ptr<PendingSave> pending;  // prepared, to be committed with its group
  FileChanges changes;           // what was worked out (for a dry run: all of it)
};

class FileReplacer {
public:
  FileReplacer(ReplaceSettings settings, const Clock& clock, ReplaceQuestions& questions,
               FileSystem& fs = FileSystem::real(), UndoManifest* undoManifest = nullptr);

  // lineQuery: "Confirm each line"; Yes to All / No to All hold for this file only.
  FileReplaceResult replaceFile(const Text& path, bool lineQuery);
  // Works out the changes with every candidate line accepted: nothing asked, nothing written.
  FileReplaceResult previewFile(const Text& path);

  const ReplaceSettings& settings() const { return settings_; }
  // The run's change log, shared by the files of a run; without one, settings' change log.
  void useChangeLog(ChangeLog* log) { changeLog_ = log; }
  // Saves leave the folder sync to the caller, who syncs each folder once.
  void deferFolderSync() { syncFolders_ = false; }
  // Saves stop before their rename and are handed back as pending: the caller syncs a group of
  // them at once and commits them (commitPendingSave).
  void deferCommit() { deferCommit_ = true; }

private:
  FileReplaceResult work(const Text& path, bool lineQuery, bool ask);
  bool buildChanges(bool lineQuery, bool ask, FileReplaceResult& result);
  void review(FileReplaceResult& result);
  void save(bool temporaryIsOurs, FileReplaceResult& result);
  void appendChangeLog(FileReplaceResult& result);

  ReplaceSettings settings_;
  const Clock& clock_;
  ReplaceQuestions& questions_;
  FileSystem& fs_;
  UndoManifest* undoManifest_;
  ChangeLog ownChangeLog_;
  ChangeLog* changeLog_ = nullptr;
  bool syncFolders_ = true;
  bool deferCommit_ = false;
};

// The file itself when path is a symbolic link (or lies below one); path when it cannot be
// resolved, so that reading it reports why.
Text resolvedTarget(const Text& path);

// "File:" + path ... "This line:" + number ... "Changes this line=" + sum + " - Save changes?".
Text lineConfirmationText(const Text& path, int lineNumber, const Text& oldLine, const Text& newLine, int32_t sum);
// "Changes saved to " + path + CRLF CRLF "Backup file=" ... "Archive file=" ...
Text savedMessage(const Text& path, const Text& backup, const Text& archiveFile);
Text saveWithoutDiffsQuestion();

// A unified diff of two versions of one file: "--- path", "+++ path", hunks with three lines of
// context, LF line ends.
Text unifiedDiff(const Text& path, const TextList& oldLines, const TextList& newLines);
Text unifiedDiff(const FileChanges& changes);

}  // namespace varko
