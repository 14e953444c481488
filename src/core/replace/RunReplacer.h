#pragma once
// Where the per-file replacement joins a search run: every file with a matching line is handed
// to a FileReplacer made for the run's options; the outcomes are kept for the caller's report.
#include <map>
#include <memory>
#include <set>
#include <utility>
#include "replace/FileReplacer.h"
#include "search/SearchRequest.h"
#include "search/SearchSession.h"

namespace varko {

// The change log, in the first start folder of a replace run.
inline constexpr char16_t kChangeLogName[] = u"Varko-SearchReplace.log";

// The change log of a run: in its first start folder, as the replace options window says;
// empty when there is no folder.
Text ChangeLogFileFor(const SearchRequest& request);

struct ReplaceRunFailure {
  Text path;
  Text reason;
  bool saved = false;  // the file was saved; what failed came after (its change log entry)
};

class RunReplacer final : public ReplaceHandler {
public:
  // settings carries the names (archive, settings file, string-set file, change log); the
  // pairs come from the request. A dry run asks nothing and writes nothing: each file's changes
  // go to onPreview.
  RunReplacer(const SearchRequest& request, ReplaceSettings settings, const Clock& clock, ReplaceQuestions& questions,
              UndoManifest* undoManifest, bool dryRun);

  ReplaceJobResult VarkoReplaceStrSubFile(const ReplaceJob& job) override;
  void ClearReplaceLists() override {}

  std::function<void(const FileChanges&)> onPreview;
  const std::vector<ReplaceRunFailure>& failures() const { return failures_; }
  int savedFiles() const { return savedFiles_; }
  // Commits the saves still pending, syncs each folder that got a saved file (once) and closes
  // the undo record. Returns the change to the count of replacements.
  int finishRun() override;
  Text takeNotice() override;
  ~RunReplacer() override;

private:
  int replaceOne(const ReplaceJob& job, ReplaceJobResult& result);
  // Names what an earlier run that was stopped left in folder, once per folder.
  void noteLeftovers(const std::string& folder);
  // Syncs the file systems of the pending saves, the archive and the undo record at once, then
  // renames each pending file into place. Returns the change to the count of replacements.
  int commitPending();
  void afterSave(const Text& path, const FileReplaceResult& result, const struct stat* before);

  ReplaceSettings settings_;
  const Clock& clock_;
  ReplaceQuestions& questions_;
  UndoManifest* undoManifest_;
  bool dryRun_;
  std::vector<ReplaceRunFailure> failures_;
  int savedFiles_ = 0;
  ChangeLog changeLog_;
  struct SeenFile {
    Text name;                  // the first name that reached it
    bool replacedAway = false;  // saved: the name now holds a new file
  };
  std::map<std::pair<dev_t, ino_t>, SeenFile> seen_;  // each file once, however many names reach it
  std::set<std::string> foldersToSync_, foldersLooked_;
  struct Waiting {
    std::unique_ptr<PendingSave> pending;
    struct stat before {};
    bool known = false;
  };
  std::vector<Waiting> pending_;
  size_t noticed_ = 0;  // failures already given as notices
  Text lastPath_;       // the file handed over last
  size_t pendingBytes_ = 0;
};

}  // namespace varko
