#include "replace/RunReplacer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <new>

#include "lib/Errors.h"
#include "lib/Library.h"

namespace varko {

namespace {
constexpr size_t kGroupFiles = 64;
constexpr size_t kGroupBytes = 32u << 20;
constexpr off_t kGroupFileSize = 1 << 20;
}  // namespace

Text ChangeLogFileFor(const SearchRequest& request) {
  const Text first = request.folderMode == kAdvancedMode && !request.selectedFolders.items.empty()
                         ? request.selectedFolders.items.front()
                         : request.folder;
  return xcIsBlank(first) ? Text() : xcIncludeTrailingSeparator(first) + kChangeLogName;
}

RunReplacer::RunReplacer(const SearchRequest& request, ReplaceSettings settings, const Clock& clock,
                         ReplaceQuestions& questions, UndoManifest* undoManifest, bool dryRun)
    : settings_(std::move(settings)),
      clock_(clock),
      questions_(questions),
      undoManifest_(undoManifest),
      dryRun_(dryRun),
      changeLog_(request.replace.changeLogFilename) {
  settings_.finds.clear();
  settings_.replaces.clear();
  for (const SearchPair& pair : RunPairs(request)) {
    settings_.finds.push_back(pair.find);
    settings_.replaces.push_back(pair.replace);
  }
  if (request.regex) {
    // The run refuses a bad pattern before any file is read; until then nothing is replaced.
    Text error;
    settings_.patterns = Patterns::compile(settings_.finds, request.caseInsensitive, request.wholeWords, error);
    if (!settings_.patterns) settings_.finds.assign(settings_.finds.size(), Text());
  }
  settings_.stringSetFile = request.replace.stringSetFilename;
  settings_.changeLogFile = request.replace.changeLogFilename;
  if (!settings_.stringSetFile.empty()) settings_.stringSetTarget = resolvedTarget(settings_.stringSetFile);
  // The log may not exist yet: its folder is resolved.
  if (!settings_.changeLogFile.empty())
    settings_.changeLogTarget = xcIncludeTrailingSeparator(resolvedTarget(pathToText(
                                    xcFolderOf(textToPath(settings_.changeLogFile))))) + kChangeLogName;
}

RunReplacer::~RunReplacer() {
  try {
    finishRun();
  } catch (...) {
  }
}

int RunReplacer::finishRun() {
  const int change = commitPending();
  for (const std::string& folder : foldersToSync_)
    if (!syncFolderOf(FileSystem::real(), folder + "/."))
      questions_.showMessage(u"The folder " + pathToText(folder) + u" could not be synced: " +
                             systemErrorText(errno) + u"; its saved files may not survive a power cut");
  foldersToSync_.clear();
  if (undoManifest_) undoManifest_->closeRun();
  return change;
}

Text RunReplacer::takeNotice() {
  // Only the file just handed over: a group's failures at its commit belong to earlier files.
  Text notice;
  for (; noticed_ < failures_.size(); ++noticed_)
    if (failures_[noticed_].path == lastPath_) notice = failures_[noticed_].reason;
  return notice;
}

int RunReplacer::commitPending() {
  if (pending_.empty()) return 0;
  std::vector<Waiting> group = std::move(pending_);
  pending_.clear();
  pendingBytes_ = 0;
  int change = 0;
  // One sync of each file system instead of one per new file, archive record and backup.
  std::set<dev_t> synced;
  bool syncOk = true;
  int syncError = 0;
  auto syncFolder = [&](const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || (synced.insert(st.st_dev).second && ::syncfs(fd) != 0)) {
      if (syncOk) syncError = errno;
      syncOk = false;
    }
    if (fd >= 0) ::close(fd);
  };
  if (!settings_.archiveFile.empty()) syncFolder(xcFolderOf(textToPath(settings_.archiveFile)));
  if (undoManifest_ && !undoManifest_->manifestName().empty()) syncFolder(xcFolderOf(textToPath(undoManifest_->manifestName())));
  for (const Waiting& waiting : group) syncFolder(xcFolderOf(textToPath(waiting.pending->target)));
  for (Waiting& waiting : group) {
    const int counted = waiting.pending->changeCount;
    const Text path = waiting.pending->path;
    FileReplaceResult result;
    result.changes.target = waiting.pending->target;
    if (!syncOk) {
      // Nothing of the group is put in place: each takes back its new file and backup.
      result.saveFailed = true;
      result.failureText = u"Could not sync the new file before putting it in place: " + systemErrorText(syncError);
      waiting.pending.reset();
    } else {
      commitPendingSave(*waiting.pending, settings_.archiveFile, questions_, undoManifest_, changeLog_, FileSystem::real(),
                          result);
    }
    if (result.replacedCount != counted) change -= counted - result.replacedCount;
    afterSave(path, result, waiting.known ? &waiting.before : nullptr);
  }
  return change;
}

void RunReplacer::afterSave(const Text& path, const FileReplaceResult& result, const struct stat* before) {
  if (result.readFailed || result.saveFailed) failures_.push_back({path, result.failureText});
  if (!result.changeLogFailure.empty()) failures_.push_back({path, result.changeLogFailure, true});
  if (!result.saved) return;
  ++savedFiles_;
  const std::string target = textToPath(result.changes.target);
  foldersToSync_.insert(xcFolderOf(target));
  // The save put a new file under the name: the other names that reach it are the same file.
  if (before) seen_[{before->st_dev, before->st_ino}].replacedAway = true;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) seen_.try_emplace({st.st_dev, st.st_ino}, SeenFile{path, false});
}

void RunReplacer::noteLeftovers(const std::string& folder) {
  if (!foldersLooked_.insert(folder).second) return;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  TextList names;
  const std::string marker = toUtf8(kReplaceMarker);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    // <base>-VarkoSearchReplace-<yyyymmdd-hhnnss>-temp<ext>, or -undo, -undo-<n>
    const size_t at = name.rfind("-" + marker + "-");
    if (at == std::string::npos) continue;
    const std::string rest = name.substr(std::min(name.size(), at + marker.size() + 2 + 15));
    if (rest.starts_with("-temp") || rest.starts_with("-undo")) names.push_back(pathToText(folder + "/" + name));
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  // They may be all that is left of a change: the user decides what to do with them.
  for (const Text& name : names)
    questions_.showMessage(u"Left by an earlier replace run that was stopped (not deleted): " + name);
}

ReplaceJobResult RunReplacer::VarkoReplaceStrSubFile(const ReplaceJob& job) {
  lastPath_ = job.path;
  ReplaceJobResult result;
  try {
    result.replaced = replaceOne(job, result);
  } catch (const std::bad_alloc&) {
    failures_.push_back({job.path, u"not enough memory to replace in it (std::bad_alloc)"});
  } catch (const VarkoError& e) {
    failures_.push_back({job.path, e.text()});
  } catch (const std::exception& e) {
    failures_.push_back({job.path, fromUtf8(e.what())});
  }
  return result;
}

int RunReplacer::replaceOne(const ReplaceJob& job, ReplaceJobResult& outcome) {
  const Text& aFilename = job.path;
  // One file, reached by links, hard links or overlapping folders, is replaced once.
  struct stat st {};
  const bool known = ::stat(textToPath(aFilename).c_str(), &st) == 0;
  if (known) {
    const auto [it, first] = seen_.try_emplace({st.st_dev, st.st_ino}, SeenFile{aFilename, false});
    if (!first) {
      // A save by rename gives the name a new file: another hard link keeps the old one.
      questions_.showMessage(it->second.replacedAway
                                 ? aFilename + u": a hard link of " + it->second.name +
                                       u", which was saved as a file of its own; this name keeps the old content"
                             : it->second.name == aFilename
                                 ? aFilename + u": reached again (the folders overlap); not replaced again"
                                 : aFilename + u": same file as " + it->second.name + u"; not replaced again");
      return 0;
    }
  }
  ReplaceSettings settings = settings_;
  settings.ignoreCase = job.ignoreCase;
  settings.preserveSpaces = job.preserveSpaces;
  settings.wholeWords = job.wholeWords;
  FileReplacer replacer(std::move(settings), clock_, questions_, FileSystem::real(), undoManifest_);
  replacer.useChangeLog(&changeLog_);
  replacer.deferFolderSync();
  if (dryRun_) {
    FileReplaceResult preview = replacer.previewFile(aFilename);
    // A file the real run could not save (a replacement its encoding cannot hold) is reported
    // as such, not shown as a change.
    if (preview.readFailed || preview.saveFailed) failures_.push_back({aFilename, preview.failureText});
    if (preview.refused || preview.readFailed || preview.saveFailed || preview.changes.changed.empty()) return 0;
    if (onPreview) onPreview(preview.changes);
    return preview.changes.changeCount;
  }
  noteLeftovers(xcFolderOf(textToPath(resolvedTarget(aFilename))));
  // Without a person to answer, small files' saves go in groups: one sync for many files. A
  // large file is saved at once, so that its change log entry is never held in memory.
  const bool grouped = !questions_.asksPerson() && known && st.st_size < kGroupFileSize;
  if (grouped) replacer.deferCommit();
  FileReplaceResult result = replacer.replaceFile(aFilename, job.lineQuery);
  outcome.replaceOff = result.replaceCancelled;
  outcome.stopRun = result.runAborted;
  if (result.pending) {
    const int32_t counted = result.pending->changeCount;
    pendingBytes_ += result.pending->changeLog.size() + 4096;
    result.pending->path = aFilename;
    pending_.push_back({std::move(result.pending), st, known});
    // A group is bounded, so that its held files and change log entries stay small.
    if (pending_.size() >= kGroupFiles || pendingBytes_ >= kGroupBytes) return counted + commitPending();
    return counted;
  }
  afterSave(aFilename, result, known ? &st : nullptr);
  return result.replacedCount;
}

}  // namespace varko
