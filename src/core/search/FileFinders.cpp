#include "search/FileFinders.h"

#include <unistd.h>
#include <algorithm>

#include "lib/Library.h"
#include "search/Directory.h"
#include "search/Mask.h"

namespace varko {

namespace {

unsigned attributeMask(unsigned attrs) {
  if (attrs & ffaAnyFile) return 511;
  unsigned mask = 0;
  if (attrs & ffaReadOnly) mask |= 1;
  if (attrs & ffaHidden) mask |= 2;
  if (attrs & ffaSysFile) mask |= 4;
  if (attrs & ffaVolumeID) mask |= 8;
  if (attrs & ffaDirectory) mask |= 16;
  if (attrs & ffaArchive) mask |= 32;
  return mask;
}

// The listing leaves out an entry whose hidden, system or folder attribute is not in the mask.
bool inListing(const DirectoryEntry& e, unsigned mask) {
  if (e.isHidden && !(mask & 2)) return false;
  if (e.isSystem && !(mask & 4)) return false;
  if (e.isFolder && !(mask & 16)) return false;
  return true;
}

bool isDots(const Text& name) { return name == u"." || name == u".."; }

Text currentFolder() {
  std::string buffer(4096, '\0');
  if (!getcwd(buffer.data(), buffer.size())) return u"/";
  buffer.resize(std::char_traits<char>::length(buffer.c_str()));
  return xcIncludeTrailingSeparator(pathToText(buffer));
}

}  // namespace

TFindFile::TFindFile() : path_(currentFolder()) {}

void TFindFile::SetPath(const Text& path) {
  if (path == path_ || path.empty() || !xcFolderExists(path)) return;
  path_ = xcIncludeTrailingSeparator(path);
}

const TextList& TFindFile::SearchForFiles() {
  result_.clear();
  scan(path_, attributeMask(FileAttr));
  return result_;
}

void TFindFile::scan(const Text& folder, unsigned attrMask) {
  auto entries = xcListDirectory(folder, false);
  for (const auto& e : entries)
    if (inListing(e, attrMask) && xcMatchesListingPattern(e.name, FileMask)) result_.push_back(folder + e.name);
  if (!InSubFolders) return;
  for (const auto& e : entries) {
    if (!inListing(e, 16) || !e.isFolder || isDots(e.name) || e.isFolderLink) continue;
    scan(folder + e.name + u"/", attrMask);
  }
}

TZEQFindFiles::TZEQFindFiles(const Clock& clock, std::function<void()> processEvents)
    : clock_(clock), processEvents_(std::move(processEvents)) {}

bool TZEQFindFiles::nameMatches(const Text& name) {
  for (size_t i = 0; i < FileMask.size(); ++i) {
    auto& compiled = masks_[i];
    // Compiled on first use, so an invalid mask fails only when a name meets it.
    if (!compiled) compiled.emplace(FileMask[i]);
    if (compiled->matches(name)) return true;
  }
  return false;
}

const TextList& TZEQFindFiles::SearchForFiles() {
  result_.clear();
  progressFolders_ = 0;
  progressFiles_ = 0;
  found_ = 0;
  nextReport_ = clock_.now();
  ContinueScan = true;
  masks_.assign(FileMask.size(), std::nullopt);
  for (const auto& entry : Paths) {
    if (!ContinueScan) break;
    if (xcTrim(entry).empty() || !xcFolderExists(entry)) continue;
    ++progressFolders_;
    scan(xcIncludeTrailingSeparator(entry));
  }
  if (Sorted) std::stable_sort(result_.begin(), result_.end(), xcNameLess);
  return result_;
}

void TZEQFindFiles::scan(const Text& folder) {
  if (!ContinueScan) return;
  if (FileAttr & ffaDirectory)
    ++progressFolders_;
  else
    ++progressFiles_;
  auto entries = xcListDirectory(folder, SelectOnDates);
  for (const auto& e : entries) {
    if (!ContinueScan) return;
    // Listing mask 0: hidden files, system files and folders are left out.
    if (!e.isFolder && !e.isHidden && !e.isSystem && nameMatches(e.name)) {
      bool selected = true;
      if (SelectOnDates)
        selected = !(SelectStartDate > e.lastWrite || SelectEndDate <= 0 || e.lastWrite > SelectEndDate);
      if (selected) {
        ++found_;
        if (KeepList) {
          result_.push_back(folder + e.name);
          if (OnFound) OnFound(result_.back());
        } else if (OnFound) {
          OnFound(folder + e.name);
        }
      }
    }
    DateTimeValue now = clock_.now();
    if (now > nextReport_) {
      if (OnProgress) OnProgress(progressFolders_, progressFiles_, found_);
      nextReport_ = now + kOneSecond;
      if (processEvents_) processEvents_();
    }
  }
  if (!InSubFolders) return;
  for (const auto& e : entries) {
    if (!ContinueScan) return;
    if (!e.isFolder || isDots(e.name) || e.isFolderLink) continue;
    if (e.isHidden && !SearchHistory) continue;
    if (e.isSystem) continue;
    scan(folder + e.name + u"/");
  }
}

}  // namespace varko
