#pragma once
// What git leaves out of a work tree, for the multi-path finder's "Skip files git ignores": the
// .gitignore files from the work tree's root down, $GIT_DIR/info/exclude and the user's global
// excludes file, read and matched as git reads and matches them (letter case counts). Only the
// patterns decide: the index is not read, so a tracked file that a pattern takes is left out too.
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "lib/Text.h"
#include "find/Directory.h"

namespace varko {

// git's wildmatch: '*', '?', '[...]' ('!' or '^' negates; ranges, [:alpha:] and the like) and
// '\' escapes; with pathname, '*', '?' and sets do not take '/' and a "**" between slashes takes
// any number of folders. Both texts end with a NUL.
bool gitWildmatch(const char* pattern, const char* text, bool pathname);
// The characters that make a pattern more than plain text.
inline bool isGlobSpecial(unsigned char c) { return c == '*' || c == '?' || c == '[' || c == '\\'; }

// The patterns of one ignore file.
class GitIgnoreList {
public:
  explicit GitIgnoreList(std::string_view content);
  bool empty() const { return patterns_.empty(); }
  // What the last pattern matching path says: 1 ignored, -1 not ignored (a '!' pattern), 0 no
  // pattern matches. path.substr(from) is the path below the file's folder; its last name
  // starts at nameAt.
  int match(const std::string& path, size_t from, size_t nameAt, bool isFolder) const;

private:
  struct Pattern {
    std::string text;  // without '!', the trailing '/' and an anchoring '/' at the start
    unsigned flags = 0;
    size_t literal = 0;  // how many leading characters are plain ones
  };
  std::vector<Pattern> patterns_;
};

struct GitWorkTree;

// Where one folder of a scan stands in its work tree: its path from the root and the ignore
// files that apply to what it holds. Never changed once made, so the threads that list folders
// ahead of the scan can hand it on.
class GitIgnoreFolder {
public:
  // Git leaves out the entry name of this folder.
  bool ignores(TextView name, bool isFolder) const;
  bool ignoresBytes(std::string_view name, bool isFolder) const;
  const std::string& path() const { return path_; }

private:
  friend class GitIgnore;
  std::shared_ptr<const GitWorkTree> tree_;
  std::string path_;  // "" at the root, else "a/b/"
  std::shared_ptr<const GitIgnoreList> list_;     // this folder's .gitignore, when it has rules
  std::shared_ptr<const GitIgnoreFolder> above_;  // the nearest folder above with rules
  bool anyRules_ = false;                         // here, above or for the whole work tree
};
using GitIgnoreFolderPtr = std::shared_ptr<const GitIgnoreFolder>;

// The reader of one scan: the user's configuration is read when it is made; after that it is
// only read from, by any thread.
class GitIgnore {
public:
  GitIgnore();

  struct Start {
    GitIgnoreFolderPtr above;  // the folder above the start folder inside its work tree
    Text name;                 // the start folder's name there
    bool ignored = false;      // git leaves out the start folder itself (or it is in .git)
  };
  // Finds the work tree of a start folder. Outside one, and at a work tree's root, above is null.
  Start start(const Text& folder) const;

  // The place of a folder just listed (fd, entries), from the place of the folder above it and
  // its name there: reads its .gitignore through fd when the listing has one; a folder holding a
  // repository (.git) starts a work tree of its own. Null outside every work tree.
  GitIgnoreFolderPtr enter(const GitIgnoreFolderPtr& above, TextView name, const Text& folder, int fd,
                           const std::vector<DirectoryEntry>& entries) const;

  // Git leaves out path (a file or folder), by the walk from its work tree's root.
  bool ignores(const Text& path) const;

private:
  static GitIgnoreFolderPtr place(const GitIgnoreFolderPtr& above, std::shared_ptr<const GitWorkTree> tree,
                                  std::string path, std::shared_ptr<const GitIgnoreList> list);
  Start walk(const std::string& real, bool isFolder) const;
  std::shared_ptr<const GitWorkTree> openTree(const std::string& root, const std::string& gitDir) const;
  // The global excludes file, or its path when relative to each work tree's root.
  std::shared_ptr<const GitIgnoreList> global_;
  std::string relativeGlobal_;
};

}  // namespace varko
