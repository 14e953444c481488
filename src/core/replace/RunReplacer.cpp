#include "replace/RunReplacer.h"

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
    : settings_(std::move(settings)), clock_(clock), questions_(questions), runLog_(runLog), dryRun_(dryRun) {
  settings_.finds.clear();
  settings_.replaces.clear();
  for (const SearchPair& pair : RunPairs(request)) {
    settings_.finds.push_back(pair.find);
    settings_.replaces.push_back(pair.replace);
  }
  settings_.stringSetFile = request.replace.stringSetFilename;
  settings_.changeLogFile = request.replace.changeLogFilename;
}

int RunReplacer::VarkoReplaceStrSubFile(const Text& aFilename, bool& aDoReplace, bool&, bool& aLineQuery,
                                        bool aCaseflBool, bool PreserveSpaces, bool aWordFl, const Text&,
                                        bool& aStopRun) {
  ReplaceSettings settings = settings_;
  settings.ignoreCase = aCaseflBool;
  settings.preserveSpaces = PreserveSpaces;
  settings.wholeWords = aWordFl;
  FileReplacer replacer(std::move(settings), clock_, questions_, FileSystem::real(), runLog_);
  if (dryRun_) {
    FileReplaceResult preview = replacer.previewFile(aFilename);
    // A file the real run could not save (a replacement its encoding cannot hold) is reported
    // as such, not shown as a change.
    if (preview.readFailed || preview.saveFailed) failures_.push_back({aFilename, preview.failureText});
    if (preview.refused || preview.readFailed || preview.saveFailed || preview.changes.changeCount == 0) return 0;
    if (onPreview) onPreview(preview.changes);
    return preview.changes.changeCount;
  }
  FileReplaceResult result = replacer.replaceFile(aFilename, aLineQuery);
  if (result.replaceCancelled) aDoReplace = false;
  if (result.runAborted) aStopRun = true;
  if (result.readFailed || result.saveFailed) failures_.push_back({aFilename, result.failureText});
  if (result.saved) ++savedFiles_;
  return result.replacedCount;
}

}  // namespace varko
