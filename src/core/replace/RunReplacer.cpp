#include "replace/RunReplacer.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <new>

#include "lib/Errors.h"
#include "lib/Library.h"

namespace varko {

Text ChangeLogFileFor(const SearchRequest& request) {
  const Text first = request.folderMode == kAdvancedMode && !request.selectedFolders.items.empty()
                         ? request.selectedFolders.items.front()
                         : request.folder;
  return xcIsBlank(first) ? Text() : xcIncludeTrailingSeparator(first) + kChangeLogName;
}

RunReplacer::RunReplacer(const SearchRequest& request, ReplaceSettings settings, const Clock& clock,
                         ReplaceQuestions& questions, ReplaceRunLog* runLog, bool dryRun)
    : settings_(std::move(settings)),
      clock_(clock),
      questions_(questions),
      runLog_(runLog),
      dryRun_(dryRun),
      changeLog_(request.replace.changeLogFilename) {
  settings_.finds.clear();
  settings_.replaces.clear();
  for (const SearchPair& pair : RunPairs(request)) {
    settings_.finds.push_back(pair.find);
    settings_.replaces.push_back(pair.replace);
  }
  settings_.stringSetFile = request.replace.stringSetFilename;
  settings_.changeLogFile = request.replace.changeLogFilename;
}

RunReplacer::~RunReplacer() { finishRun(); }

void RunReplacer::finishRun() {
  if (runLog_) runLog_->closeRun();
  for (const std::string& folder : foldersToSync_)
    if (!xcSyncFolderOf(FileSystem::real(), folder + "/."))
      questions_.showMessage(u"The folder " + pathToText(folder) + u" could not be synced: " +
                             systemErrorText(errno) + u"; its saved files may not survive a power cut");
  foldersToSync_.clear();
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

int RunReplacer::VarkoReplaceStrSubFile(const Text& aFilename, bool& aDoReplace, bool&, bool& aLineQuery,
                                        bool aCaseflBool, bool PreserveSpaces, bool aWordFl, const Text&,
                                        bool& aStopRun) {
  try {
    return replaceOne(aFilename, aDoReplace, aLineQuery, aCaseflBool, PreserveSpaces, aWordFl, aStopRun);
  } catch (const std::bad_alloc&) {
    failures_.push_back({aFilename, u"not enough memory to replace in it (std::bad_alloc)"});
  } catch (const VarkoError& e) {
    failures_.push_back({aFilename, e.text()});
  } catch (const std::exception& e) {
    failures_.push_back({aFilename, fromUtf8(e.what())});
  }
  return 0;
}

int RunReplacer::replaceOne(const Text& aFilename, bool& aDoReplace, bool aLineQuery, bool aCaseflBool,
                            bool PreserveSpaces, bool aWordFl, bool& aStopRun) {
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
  settings.ignoreCase = aCaseflBool;
  settings.preserveSpaces = PreserveSpaces;
  settings.wholeWords = aWordFl;
  FileReplacer replacer(std::move(settings), clock_, questions_, FileSystem::real(), runLog_);
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
  noteLeftovers(xcFolderOf(textToPath(xcResolvedTarget(aFilename))));
  FileReplaceResult result = replacer.replaceFile(aFilename, aLineQuery);
  if (result.replaceCancelled) aDoReplace = false;
  if (result.runAborted) aStopRun = true;
  if (result.readFailed || result.saveFailed) failures_.push_back({aFilename, result.failureText});
  if (!result.changeLogFailure.empty()) failures_.push_back({aFilename, result.changeLogFailure, true});
  if (result.saved) {
    ++savedFiles_;
    const std::string target = textToPath(result.changes.target);
    foldersToSync_.insert(xcFolderOf(target));
    // The save put a new file under the name: the other names that reach it are the same file.
    if (known) seen_[{st.st_dev, st.st_ino}].replacedAway = true;
    if (::stat(target.c_str(), &st) == 0) seen_.try_emplace({st.st_dev, st.st_ino}, SeenFile{aFilename, false});
  }
  return result.replacedCount;
}

}  // namespace varko
