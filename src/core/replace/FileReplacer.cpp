#include "replace/FileReplacer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "lib/DateTime.h"
#include "lib/Errors.h"
#include "replace/DifferencesViewer.h"
#include "replace/ReplaceText.h"
#include "save/SafeSave.h"
#include "match/Matching.h"

namespace varko {

namespace {
constexpr char16_t kCrLf[] = u"\r\n";
}  // namespace

Text resolvedTarget(const Text& path) {
  char* real = ::realpath(textToPath(path).c_str(), nullptr);
  if (!real) return path;
  Text target = pathToText(real);
  std::free(real);
  return target;
}

Text lineConfirmationText(const Text& path, int lineNumber, const Text& oldLine, const Text& newLine, int32_t sum) {
  return u"File:" + path + kCrLf + kCrLf + u"Yes to all/No to all - buttons apply to current file only" + kCrLf +
         u"Cancel aborts Replace operations now" + kCrLf + kCrLf + u"This line:" + intToText(lineNumber) + kCrLf +
         oldLine + kCrLf + kCrLf + newLine + kCrLf + kCrLf + u"Changes this line=" + intToText(sum) +
         u" - Save changes?" + kCrLf + kCrLf;
}

Text savedMessage(const Text& path, const Text& backup, const Text& archiveFile) {
  return u"Changes saved to " + path + kCrLf + kCrLf + u"Backup file=" + backup + kCrLf + kCrLf +
         u"Archive file=" + archiveFile + kCrLf + kCrLf;
}

Text saveWithoutDiffsQuestion() {
  return Text(u"Diffs have NOT been shown for this file") + kCrLf + u"Check the logs and differences" + kCrLf + kCrLf +
         u"Are you sure you want to save changes?";
}

FileReplacer::FileReplacer(ReplaceSettings settings, const Clock& clock, ReplaceQuestions& questions,
                           FileSystem& fs, UndoManifest* undoManifest)
    : settings_(std::move(settings)),
      clock_(clock),
      questions_(questions),
      fs_(fs),
      undoManifest_(undoManifest),
      ownChangeLog_(settings_.changeLogFile) {}

FileReplaceResult FileReplacer::replaceFile(const Text& path, bool lineQuery) { return work(path, lineQuery, true); }

FileReplaceResult FileReplacer::previewFile(const Text& path) { return work(path, false, false); }

FileReplaceResult FileReplacer::work(const Text& path, bool lineQuery, bool ask) {
  FileReplaceResult result;
  FileChanges& changes = result.changes;
  changes.path = path;
  changes.target = resolvedTarget(path);
  changes.names = MakeReplaceFileNames(changes.target, clock_.now());
  changes.archiveFile = settings_.archiveFile;

  auto isListFile = [&](const Text& name) {
    return !name.empty() && (name == settings_.stringSetFile || name == settings_.changeLogFile);
  };
  auto isTargetOf = [&](const Text& name, const Text& resolved) {
    return !name.empty() && changes.target == (resolved.empty() ? resolvedTarget(name) : resolved);
  };
  if (isReplaceFileName(path) || isReplaceFileName(changes.target) || isListFile(path) ||
      isListFile(changes.target) || isTargetOf(settings_.stringSetFile, settings_.stringSetTarget) ||
      isTargetOf(settings_.changeLogFile, settings_.changeLogTarget)) {
    result.refused = true;
    return result;
  }

  std::string bytes;
  if (!readAllBytes(fs_, textToPath(changes.target), bytes)) {
    result.readFailed = true;
    result.failureText = systemErrorText(errno);
    // Said in the window too, as the command line says it.
    if (ask) questions_.showMessage(u"Could not read " + path + u" for replacing: " + result.failureText +
                                    u"; it was not changed");
    return result;
  }
  splitFileContent(std::move(bytes), changes.original);

  if (!buildChanges(lineQuery, ask, result) || changes.changeCount == 0) return result;
  // Replacements that give the same text back change no byte: nothing to save, back up or archive.
  if (changes.changed.empty()) return result;
  if (ask) review(result);
  return result;
}

bool FileReplacer::buildChanges(bool lineQuery, bool ask, FileReplaceResult& result) {
  FileChanges& changes = result.changes;
  const FileContent& content = changes.original;
  const size_t pairs = std::min(settings_.finds.size(), settings_.replaces.size());
  bool askLines = lineQuery;
  bool accept = true;
  // Lines are decoded one at a time: only the changed ones are kept.
  for (size_t i = 0; i < content.lineCount(); ++i) {
    if (ask && (i & 4095) == 4095) questions_.working();
    const Text old = content.line(i);
    bool candidate = false;
    if (settings_.patterns) {
      Patterns::Found found;
      candidate = settings_.patterns->firstMatch(toUtf8(old), found) >= 0;
    }
    for (size_t k = 0; k < pairs && !candidate && !settings_.patterns; ++k)
      candidate = !settings_.finds[k].empty() &&
                  xcWordPos(old, settings_.finds[k], settings_.ignoreCase, settings_.wholeWords) > 0;
    if (!candidate) continue;
    Text rewritten = old;
    int32_t sum = 0;
    for (size_t k = 0; k < pairs; ++k) {
      if (settings_.finds[k].empty()) continue;
      int32_t count = 0;
      if (settings_.patterns)
        replaceAllMatches(rewritten, *settings_.patterns, k, settings_.replaces[k], count, settings_.preserveSpaces);
      else if (settings_.preserveSpaces)
        xcReplaceAllKeepSpacing(rewritten, settings_.finds[k], settings_.replaces[k], count, settings_.ignoreCase,
                                settings_.wholeWords);
      else
        xcReplaceAll(rewritten, settings_.finds[k], settings_.replaces[k], count, settings_.ignoreCase,
                     settings_.wholeWords);
      sum += count;
    }
    if (ask && askLines && sum > 0) {
      const int lineNumber = static_cast<int>(std::min<size_t>(i + 1, INT_MAX));
      switch (questions_.confirmLine(lineConfirmationText(changes.path, lineNumber, old, rewritten, sum))) {
        case ConfirmAnswer::Yes: accept = true; break;
        case ConfirmAnswer::No: accept = false; break;
        case ConfirmAnswer::YesToAll: askLines = false; accept = true; break;
        case ConfirmAnswer::NoToAll: askLines = false; accept = false; break;
        case ConfirmAnswer::Cancel:
          result.replaceCancelled = true;
          changes.changeCount = 0;
          return false;
      }
    }
    if (!accept) continue;
    changes.changeCount += sum;
    if (changes.changedOn.empty()) changes.changedOn = xcTodayText(clock_);
    // A line that could not be written back exactly refuses the file before anyone is asked to save it.
    Text why;
    if (rewritten != old && !changes.changed.add(content, i, rewritten, why)) {
      result.saveFailed = true;
      result.failureText = changes.path + u" cannot be saved: " + why;
      if (ask) questions_.showMessage(result.failureText);
      return false;
    }
  }
  return true;
}

void FileReplacer::review(FileReplaceResult& result) {
  FileChanges& changes = result.changes;
  const std::string temporary = textToPath(changes.names.temporary);
  bool diffsShown = false;
  bool temporaryIsOurs = false;
  for (;;) {
    switch (questions_.decideFile(changes)) {
      case FileDecision::ShowDifferences: {
        struct stat like {};
        if (::stat(textToPath(changes.target).c_str(), &like) != 0) like.st_mode = 0600;
        const auto write = [&](FileSystem& fs, int fd) {
          return emitNewContent(changes.original, changes.changed,
                                  [&](std::string_view piece) { return writeAllBytes(fs, fd, piece); });
        };
        if (!writeNewFile(fs_, temporary, write, like, temporaryIsOurs)) {
          const int error = errno;
          temporaryIsOurs = false;
          diffsShown = false;
          questions_.showMessage(u"Could not write the temporary file " + changes.names.temporary + u": " +
                                 systemErrorText(error));
          break;
        }
        temporaryIsOurs = true;
        xcShowDifferences(changes.path, changes.names.temporary, diffsShown, settings_.settingsFile,
                          [this](const Text& text) { questions_.showMessage(text); });
        break;
      }
      case FileDecision::DoNotSave:
        if (temporaryIsOurs) fs_.unlink(temporary);
        return;
      case FileDecision::Abort:
        result.runAborted = true;
        return;
      case FileDecision::Close:
        return;
      case FileDecision::Save:
        if (!diffsShown && !questions_.confirmSaveWithoutDiffs(saveWithoutDiffsQuestion())) break;
        save(temporaryIsOurs, result);
        return;
    }
  }
}

namespace {

// The outcome of a save into result: false (with the reason, shown unless the save was stopped
// as a killed process would be) when the file is not saved.
bool takeSaveResult(const SaveResult& saved, FileReplaceResult& result, ReplaceQuestions& questions) {
  result.saved = saved.saved;
  if (saved.stopped) {
    result.saveFailed = !saved.saved;
    result.failureText = u"Stopped after the step " + saveStepName(saved.failedStep);
    return false;
  }
  if (!saved.saved) {
    result.saveFailed = true;
    result.failureText = saved.message;
    questions.showMessage(saved.message);
    return false;
  }
  return true;
}

// What follows a save: the undo record's done line and the messages.
void announceSaved(const SaveResult& saved, const Text& path, const Text& target, const ContentHasher& written,
                   const Text& archiveFile, UndoManifest* undoManifest, ReplaceQuestions& questions) {
  Text why;
  if (undoManifest && !undoManifest->recordDone(target, saved.backupName, written.hash(), written.size(), why))
    questions.showMessage(why);
  questions.showMessage(savedMessage(path, saved.backupName, archiveFile));
  if (!saved.message.empty()) questions.showMessage(saved.message);
}

}  // namespace

void FileReplacer::save(bool temporaryIsOurs, FileReplaceResult& result) {
  FileChanges& changes = result.changes;
  ContentHasher hasher;
  SaveRequest request;
  request.path = changes.path;
  request.target = changes.target;
  request.old = &changes.original;
  // Written piece by piece, hashed on the way for the undo record.
  request.writeNew = [&](FileSystem& fs, int fd) {
    hasher = ContentHasher();
    return emitNewContent(changes.original, changes.changed, [&](std::string_view piece) {
      hasher.add(piece);
      return writeAllBytes(fs, fd, piece);
    });
  };
  request.names = changes.names;
  request.archiveFile = settings_.archiveFile;
  request.note = u"Changes=" + intToText(changes.changeCount);
  request.temporaryIsOurs = temporaryIsOurs;
  request.syncFolder = syncFolders_;
  request.beforeReplace = [&](const Text& backup, Text& why) {
    return !undoManifest_ || undoManifest_->recordIntent(changes.target, backup, hasher.hash(), hasher.size(), why);
  };
  request.waiting = [this](const Text& text) { questions_.showMessage(text); };
  Text why;
  if (undoManifest_ && !undoManifest_->open(why)) {
    result.saveFailed = true;
    result.failureText = why;
    questions_.showMessage(why);
    return;
  }
  if (deferCommit_) {
    request.syncNow = false;
    auto pending = std::make_unique<PendingSave>();
    pending->save = prepareSave(request, clock_, fs_, pending->prepared);
    if (!pending->save) {
      takeSaveResult(pending->prepared, result, questions_);
      return;
    }
    pending->path = changes.path;
    pending->target = changes.target;
    pending->hasher = hasher;
    pending->changeCount = changes.changeCount;
    pending->changeLog = changeLogBytes(changes);
    result.pending = std::move(pending);
    return;
  }
  const SaveResult saved = saveReplacedFile(request, clock_, fs_);
  if (!takeSaveResult(saved, result, questions_)) return;
  result.replacedCount = changes.changeCount;
  announceSaved(saved, changes.path, changes.target, hasher, settings_.archiveFile, undoManifest_, questions_);
  appendChangeLog(result);
}

void commitPendingSave(PendingSave& pending, const Text& archiveFile, ReplaceQuestions& questions,
                         UndoManifest* undoManifest, ChangeLog& changeLog, FileSystem& fs, FileReplaceResult& result) {
  const SaveResult saved = commitSave(*pending.save, fs, pending.prepared);
  pending.save.reset();
  if (!takeSaveResult(saved, result, questions)) return;
  result.replacedCount = pending.changeCount;
  announceSaved(saved, pending.path, pending.target, pending.hasher, archiveFile, undoManifest, questions);
  Text notice;
  if (!changeLog.appendBytes(pending.changeLog, fs, result.changeLogFailure, notice))
    questions.showMessage(result.changeLogFailure);
  if (!notice.empty()) questions.showMessage(notice);
}

void FileReplacer::appendChangeLog(FileReplaceResult& result) {
  ChangeLog& log = changeLog_ ? *changeLog_ : ownChangeLog_;
  Text notice;
  if (!log.append(result.changes, fs_, result.changeLogFailure, notice))
    questions_.showMessage(result.changeLogFailure);
  if (!notice.empty()) questions_.showMessage(notice);
}

// Calls line for each row, old and new text decoded one line at a time.
template <typename Each>
void forEachChangedLine(const FileChanges& changes, Each each) {
  for (const NewLines::Line& line : changes.changed.lines())
    each(intToText(static_cast<long long>(line.index)), changes.original.line(line.index),
         changes.changed.text(changes.original, line));
}

std::vector<ReplaceLogRow> replaceLogRows(const FileChanges& changes) {
  std::vector<ReplaceLogRow> rows = {{Text(), u"Filename: " + changes.path},
                                     {Text(), u"Temp File: " + changes.names.temporary},
                                     {Text(), u"Backup File: " + changes.names.backup},
                                     {Text(), u"Archive File: " + changes.archiveFile},
                                     {},
                                     {}};
  forEachChangedLine(changes, [&](const Text& index, Text old, Text now) {
    rows.push_back({index, std::move(old)});
    rows.push_back({index + u"->", std::move(now)});
    rows.push_back({});
  });
  return rows;
}

TextList changeLogLines(const FileChanges& changes) {
  TextList lines;
  if (changes.changed.empty()) return lines;
  lines = {Text(35, u'_'), changes.changedOn + u" Search/Replace " + changes.path};
  forEachChangedLine(changes, [&](const Text& index, const Text& old, const Text& now) {
    lines.push_back(index + u":" + old);
    lines.push_back(index + u":" + now);
    lines.push_back(Text());
  });
  return lines;
}

int ChangeLog::openLocked(FileSystem& fs, off_t& size, Text& notice) {
  if (off_ || file_.empty()) return -1;
  // Never through a link, and a FIFO put in its place must not stall the run.
  const int fd = fs.open(textToPath(file_), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK, 0600);
  struct stat st {};
  const bool opened = fd >= 0 && fs.fstat(fd, st) == 0;
  if (!opened || !S_ISREG(st.st_mode)) {
    const int error = errno;
    if (fd >= 0) fs.close(fd);
    off_ = true;
    notice = u"The change log " + file_ + u" is not written in this run: " +
             (opened ? Text(u"it is not a regular file")
             : error == ELOOP ? Text(u"it is a symbolic link")
             : error == ENXIO ? Text(u"it is not a regular file")
                              : systemErrorText(error));
    return -1;
  }
  // Runs saving at the same time append whole entries one after the other.
  fs.flock(fd, LOCK_EX);
  fs.fstat(fd, st);
  size = st.st_size;
  return fd;
}

bool ChangeLog::finish(FileSystem& fs, int fd, bool ok, off_t size, Text& errorText) {
  const int error = errno;
  if (!ok) fs.ftruncate(fd, size);  // no half entry
  fs.close(fd);
  if (!ok) errorText = u"Could not write the change log " + file_ + u": " + systemErrorText(error);
  return ok;
}

bool ChangeLog::appendBytes(std::string_view bytes, FileSystem& fs, Text& errorText, Text& notice) {
  if (bytes.empty()) return true;
  off_t size = 0;
  const int fd = openLocked(fs, size, notice);
  if (fd < 0) return true;
  return finish(fs, fd, writeAllBytes(fs, fd, bytes), size, errorText);
}

namespace {
// As the file channels write lines: an empty line leaves nothing. add is called with pieces of
// about a megabyte, so that a large file's changes are never all in memory at once.
template <typename Add>
bool changeLogPieces(const FileChanges& changes, Add add) {
  std::string piece;
  bool ok = true;
  auto line = [&](const Text& text) {
    if (!ok || text.empty()) return;
    piece += toUtf8(text);
    piece += "\r\n";
    if (piece.size() >= (1u << 20)) {
      ok = add(piece);
      piece.clear();
    }
  };
  line(Text(35, u'_'));
  line(changes.changedOn + u" Search/Replace " + changes.path);
  forEachChangedLine(changes, [&](const Text& index, const Text& old, const Text& now) {
    line(index + u":" + old);
    line(index + u":" + now);
  });
  return ok && (piece.empty() || add(piece));
}
}  // namespace

std::string changeLogBytes(const FileChanges& changes) {
  std::string all;
  if (!changes.changed.empty()) changeLogPieces(changes, [&](const std::string& piece) {
      all += piece;
      return true;
    });
  return all;
}

bool ChangeLog::append(const FileChanges& changes, FileSystem& fs, Text& errorText, Text& notice) {
  if (changes.changed.empty()) return true;
  off_t size = 0;
  const int fd = openLocked(fs, size, notice);
  if (fd < 0) return true;
  const bool ok = changeLogPieces(changes, [&](const std::string& piece) { return writeAllBytes(fs, fd, piece); });
  return finish(fs, fd, ok, size, errorText);
}

Text unifiedDiff(const Text& path, const TextList& oldLines, const TextList& newLines) {
  const size_t oldSize = oldLines.size(), newSize = newLines.size();
  const size_t size = std::max(oldSize, newSize);
  auto changed = [&](size_t i) { return i >= oldSize || i >= newSize || oldLines[i] != newLines[i]; };
  std::vector<size_t> changes;
  for (size_t i = 0; i < size; ++i)
    if (changed(i)) changes.push_back(i);
  if (changes.empty()) return Text();

  constexpr size_t kContext = 3;
  auto range = [](size_t start, size_t count) {
    return intToText(static_cast<long long>(count == 0 ? start : start + 1)) + u"," +
           intToText(static_cast<long long>(count));
  };
  Text out = u"--- " + path + u"\n+++ " + path + u"\n";
  for (size_t k = 0; k < changes.size();) {
    const size_t start = changes[k] > kContext ? changes[k] - kContext : 0;
    size_t last = k;
    while (last + 1 < changes.size() && changes[last + 1] <= changes[last] + 2 * kContext + 1) ++last;
    const size_t end = std::min(size, changes[last] + kContext + 1);
    const size_t oldCount = std::min(end, oldSize) - std::min(start, oldSize);
    const size_t newCount = std::min(end, newSize) - std::min(start, newSize);
    out += u"@@ -" + range(start, oldCount) + u" +" + range(start, newCount) + u" @@\n";
    for (size_t i = start; i < end;) {
      if (!changed(i)) {
        out += u" " + oldLines[i] + u"\n";
        ++i;
        continue;
      }
      size_t runEnd = i;
      while (runEnd < end && changed(runEnd)) ++runEnd;
      for (size_t j = i; j < runEnd && j < oldSize; ++j) out += u"-" + oldLines[j] + u"\n";
      for (size_t j = i; j < runEnd && j < newSize; ++j) out += u"+" + newLines[j] + u"\n";
      i = runEnd;
    }
    k = last + 1;
  }
  return out;
}

Text unifiedDiff(const FileChanges& changes) {
  // Only the changed lines and their context are decoded: a replace never adds or removes lines.
  const FileContent& content = changes.original;
  TextList oldLines(content.lineCount()), newLines(content.lineCount());
  for (const NewLines::Line& line : changes.changed.lines()) {
    const size_t from = line.index > 3 ? line.index - 3 : 0;
    for (size_t i = from; i <= line.index + 3 && i < content.lineCount(); ++i)
      if (oldLines[i].empty()) oldLines[i] = newLines[i] = content.line(i);
  }
  for (const NewLines::Line& line : changes.changed.lines())
    newLines[line.index] = changes.changed.text(content, line);
  return unifiedDiff(changes.path, oldLines, newLines);
}

}  // namespace varko
