#include "find/GitIgnore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "lib/PosixFile.h"

namespace varko {

struct GitWorkTree {
  std::shared_ptr<const GitIgnoreList> infoExclude;  // $GIT_DIR/info/exclude
  std::shared_ptr<const GitIgnoreList> excludes;     // the user's global excludes file
};

namespace {

enum : unsigned { kNegative = 1, kFolderOnly = 2, kNoSlash = 4, kEndsWith = 8 };

size_t plainLength(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && !isGlobSpecial(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

void trimTrailingSpaces(std::string& line) {
  size_t firstSpace = std::string::npos;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ' ') {
      if (firstSpace == std::string::npos) firstSpace = i;
      continue;
    }
    if (line[i] == '\\' && ++i == line.size()) return;  // an escaped space stays
    firstSpace = std::string::npos;
  }
  if (firstSpace != std::string::npos) line.resize(firstSpace);
}

std::string readAll(int fd) {
  std::string bytes;
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return bytes;
  char buffer[16 * 1024];
  for (ssize_t n; (n = xcReadSome(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<size_t>(n));
  return bytes;
}

std::string readFile(const std::string& path) {
  std::string bytes;
  if (path.empty() || readRegularFile(path, bytes) != 0) bytes.clear();
  return bytes;
}

// Git does not follow a .gitignore that is a symbolic link inside the work tree.
std::string readIgnoreFile(int folder, const char* name) {
  FileDescriptor fd(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  return readAll(fd.get());
}

std::shared_ptr<const GitIgnoreList> listOf(std::string_view content) {
  if (content.empty()) return nullptr;
  auto list = std::make_shared<const GitIgnoreList>(content);
  return list->empty() ? nullptr : list;
}

bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool environmentTrue(const char* name) {
  std::string value = environment(name);
  std::transform(value.begin(), value.end(), value.begin(), [](unsigned char c) { return std::tolower(c); });
  return !value.empty() && value != "0" && value != "false" && value != "no" && value != "off";
}

// $XDG_CONFIG_HOME/git/NAME, else ~/.config/git/NAME.
std::string xdgConfigFile(const char* name) {
  const std::string xdg = environment("XDG_CONFIG_HOME");
  if (!xdg.empty()) return xdg + "/git/" + name;
  const std::string home = environment("HOME");
  return home.empty() ? std::string() : home + "/.config/git/" + name;
}

// ~/ and ~user/ at the start of a configured path.
std::string expandHome(const std::string& path) {
  if (path.empty() || path[0] != '~') return path;
  const size_t slash = std::min(path.find('/'), path.size());
  if (slash == 1) {
    const std::string home = environment("HOME");
    return home.empty() ? std::string() : home + path.substr(1);
  }
  const std::string user = path.substr(1, slash - 1);
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (getpwnam_r(user.c_str(), &entry, buffer, sizeof buffer, &found) != 0 || !found) return std::string();
  return found->pw_dir + path.substr(slash);
}

// One value of a git configuration file, from after its '=' to the end of its line: quotes,
// escapes, continued lines and comments as git reads them. Nothing for a malformed one.
std::optional<std::string> configValue(const std::string& text, size_t& i) {
  std::string value;
  bool quote = false, comment = false;
  size_t spaces = 0;
  auto next = [&]() -> char {
    if (i >= text.size()) return '\n';
    char c = text[i++];
    if (c == '\r' && i < text.size() && text[i] == '\n') c = text[i++];
    return c;
  };
  for (;;) {
    char c = next();
    if (c == '\n') {
      if (quote) return std::nullopt;
      return value;
    }
    if (comment) continue;
    if (!quote && (c == ' ' || c == '\t' || c == '\r')) {
      if (!value.empty()) ++spaces;
      continue;
    }
    if (!quote && (c == ';' || c == '#')) {
      comment = true;
      continue;
    }
    value.append(spaces, ' ');
    spaces = 0;
    if (c == '\\') {
      c = next();
      switch (c) {
        case '\n': continue;
        case 't': c = '\t'; break;
        case 'b': c = '\b'; break;
        case 'n': c = '\n'; break;
        case '\\':
        case '"': break;
        default: return std::nullopt;
      }
      value += c;
      continue;
    }
    if (c == '"') {
      quote = !quote;
      continue;
    }
    value += c;
  }
}

// The last core.excludesFile a git configuration file sets, if any. Include directives are not
// followed.
std::optional<std::string> excludesFileSetting(const std::string& path) {
  const std::string text = readFile(path);
  std::optional<std::string> setting;
  std::string section;
  size_t i = 0;
  const size_t n = text.size();
  auto isName = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; };
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  auto skipLine = [&] {
    while (i < n && text[i] != '\n') ++i;
  };
  while (i < n) {
    const char c = text[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '#' || c == ';') {
      skipLine();
    } else if (c == '[') {
      section.clear();
      for (++i; i < n && (isName(text[i]) || text[i] == '.'); ++i) section += lower(text[i]);
      // [core "sub"] is not [core]; a subsection is quoted and may hold ']'.
      bool plain = true;
      while (i < n && text[i] != ']' && text[i] != '\n') {
        plain = plain && (text[i] == ' ' || text[i] == '\t');
        if (text[i] == '"')
          for (++i; i < n && text[i] != '"' && text[i] != '\n'; ++i)
            if (text[i] == '\\') ++i;
        if (i < n) ++i;
      }
      if (i < n && text[i] == ']') ++i;
      if (!plain) section = "\n";
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      std::string key;
      for (; i < n && isName(text[i]); ++i) key += lower(text[i]);
      while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
      if (i >= n || text[i] != '=') {
        skipLine();  // a key alone is a boolean, no path
        continue;
      }
      ++i;
      std::optional<std::string> value = configValue(text, i);
      if (value && section == "core" && key == "excludesfile") setting = std::move(value);
    } else {
      skipLine();
    }
  }
  return setting;
}

// Where a linked work tree's repository keeps what all its work trees share (info/, config).
std::string commonDir(const std::string& gitDir) {
  std::string common = readFile(gitDir + "/commondir");
  while (!common.empty() && (common.back() == '\n' || common.back() == '\r')) common.pop_back();
  if (common.empty()) return gitDir;
  return common[0] == '/' ? common : gitDir + "/" + common;
}

bool isGitDirectory(const std::string& dir) {
  const std::string common = commonDir(dir);
  return exists(dir + "/HEAD") && exists(common + "/objects") && exists(common + "/refs");
}

// The repository of a work tree whose root is folder: its .git folder, or the folder a .git file
// names ("gitdir: PATH"). Empty when folder holds none.
std::string gitDirOf(const std::string& folder) {
  const std::string dotGit = (folder == "/" ? std::string() : folder) + "/.git";
  struct stat st {};
  if (::stat(dotGit.c_str(), &st) != 0) return std::string();
  std::string dir;
  if (S_ISDIR(st.st_mode)) {
    dir = dotGit;
  } else if (S_ISREG(st.st_mode)) {
    const std::string text = readFile(dotGit);
    if (text.rfind("gitdir: ", 0) != 0) return std::string();
    dir = text.substr(8);
    while (!dir.empty() && std::isspace(static_cast<unsigned char>(dir.back()))) dir.pop_back();
    if (dir.empty()) return std::string();
    if (dir[0] != '/') dir = folder + "/" + dir;
  } else {
    return std::string();
  }
  return isGitDirectory(dir) ? dir : std::string();
}

std::string parentOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

GitIgnoreList::GitIgnoreList(std::string_view content) {
  if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
  while (!content.empty()) {
    const size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (line.empty() || line[0] == '#') continue;
    if (line.back() == '\r') line.remove_suffix(1);
    std::string text(line.substr(0, line.find('\0')));
    trimTrailingSpaces(text);
    Pattern pattern;
    std::string_view p = text;
    if (!p.empty() && p[0] == '!') {
      pattern.flags |= kNegative;
      p.remove_prefix(1);
    }
    size_t length = p.size();
    if (length > 0 && p[length - 1] == '/') {
      --length;
      pattern.flags |= kFolderOnly;
    }
    if (p.substr(0, length).find('/') == std::string_view::npos) pattern.flags |= kNoSlash;
    pattern.literal = std::min(plainLength(p), length);
    if (!p.empty() && p[0] == '*' && plainLength(p.substr(1)) == p.size() - 1) pattern.flags |= kEndsWith;
    pattern.text = p.substr(0, length);
    if (!(pattern.flags & kNoSlash) && pattern.text[0] == '/') {
      pattern.text.erase(0, 1);
      --pattern.literal;
    }
    if (!pattern.text.empty()) patterns_.push_back(std::move(pattern));
  }
}

int GitIgnoreList::match(const std::string& path, size_t from, size_t nameAt, bool isFolder) const {
  const char* below = path.c_str() + from;
  const size_t belowLength = path.size() - from;
  const char* name = path.c_str() + nameAt;
  const size_t nameLength = path.size() - nameAt;
  for (auto it = patterns_.rbegin(); it != patterns_.rend(); ++it) {
    const Pattern& pattern = *it;
    if ((pattern.flags & kFolderOnly) && !isFolder) continue;
    const std::string& text = pattern.text;
    bool matched;
    if (pattern.flags & kNoSlash) {
      // The name alone.
      if (pattern.literal == text.size())
        matched = nameLength == text.size() && std::memcmp(text.data(), name, nameLength) == 0;
      else if (pattern.flags & kEndsWith)
        matched = text.size() - 1 <= nameLength &&
                  std::memcmp(text.data() + 1, name + nameLength - (text.size() - 1), text.size() - 1) == 0;
      else
        matched = gitWildmatch(text.c_str(), name, false);
    } else {
      // The path below the ignore file's folder; the plain start is compared first.
      const size_t literal = pattern.literal;
      if (literal > belowLength || std::memcmp(text.data(), below, literal) != 0)
        matched = false;
      else if (literal > 0 && literal == text.size() && literal == belowLength)
        matched = true;
      else
        matched = gitWildmatch(text.c_str() + literal, below + literal, true);
    }
    if (matched) return (pattern.flags & kNegative) ? -1 : 1;
  }
  return 0;
}

bool GitIgnoreFolder::ignores(TextView name, bool isFolder) const {
  if (!anyRules_) return false;
  thread_local std::string bytes;
  textToPathInto(name, bytes);
  return ignoresBytes(bytes, isFolder);
}

bool GitIgnoreFolder::ignoresBytes(std::string_view name, bool isFolder) const {
  if (!anyRules_) return false;
  thread_local std::string path;
  path.assign(path_);
  const size_t nameAt = path.size();
  path.append(name);
  // The deepest .gitignore first, then info/exclude, then the global file.
  for (const GitIgnoreFolder* f = list_ ? this : above_.get(); f; f = f->above_.get())
    if (int said = f->list_->match(path, f->path_.size(), nameAt, isFolder)) return said > 0;
  for (const GitIgnoreList* list : {tree_->infoExclude.get(), tree_->excludes.get()})
    if (list)
      if (int said = list->match(path, 0, nameAt, isFolder)) return said > 0;
  return false;
}

GitIgnoreFolderPtr GitIgnore::place(const GitIgnoreFolderPtr& above, std::shared_ptr<const GitWorkTree> tree,
                                    std::string path, std::shared_ptr<const GitIgnoreList> list) {
  auto folder = std::make_shared<GitIgnoreFolder>();
  folder->above_ = above && !above->list_ ? above->above_ : above;
  folder->anyRules_ = list || folder->above_ || tree->infoExclude || tree->excludes;
  folder->tree_ = std::move(tree);
  folder->path_ = std::move(path);
  folder->list_ = std::move(list);
  return folder;
}

GitIgnore::GitIgnore() {
  // Later files win: the system's, then the user's (the XDG one, then ~/.gitconfig).
  std::vector<std::string> files;
  if (!environmentTrue("GIT_CONFIG_NOSYSTEM")) {
    const char* system = std::getenv("GIT_CONFIG_SYSTEM");
    files.push_back(system ? system : "/etc/gitconfig");
  }
  if (const char* global = std::getenv("GIT_CONFIG_GLOBAL")) {
    files.push_back(global);
  } else {
    files.push_back(xdgConfigFile("config"));
    const std::string home = environment("HOME");
    if (!home.empty()) files.push_back(home + "/.gitconfig");
  }
  std::optional<std::string> configured;
  for (const auto& file : files)
    if (auto setting = excludesFileSetting(file)) configured = std::move(setting);
  const std::string path = configured ? expandHome(*configured) : xdgConfigFile("ignore");
  if (!path.empty() && path[0] == '/')
    global_ = listOf(readFile(path));
  else
    relativeGlobal_ = path;
}

namespace {

// git reads a relative one from the work tree's root, where it works.
std::shared_ptr<const GitIgnoreList> excludesFile(const std::string& path, const std::string& root) {
  return path.empty() ? nullptr : listOf(readFile(path[0] == '/' ? path : root + "/" + path));
}

}  // namespace

std::shared_ptr<const GitWorkTree> GitIgnore::openTree(const std::string& root, const std::string& gitDir) const {
  auto tree = std::make_shared<GitWorkTree>();
  const std::string common = commonDir(gitDir);
  tree->infoExclude = listOf(readFile(common + "/info/exclude"));
  if (auto local = excludesFileSetting(common + "/config"))
    tree->excludes = excludesFile(expandHome(*local), root);
  else
    tree->excludes = relativeGlobal_.empty() ? global_ : excludesFile(relativeGlobal_, root);
  return tree;
}

GitIgnore::Start GitIgnore::walk(const std::string& real, bool isFolder) const {
  // The nearest folder at or above holding a repository, on the same file system as git looks.
  const std::string first = isFolder ? real : parentOf(real);
  struct stat st {};
  if (::stat(first.c_str(), &st) != 0) return {};
  const dev_t device = st.st_dev;
  const bool acrossFileSystems = environmentTrue("GIT_DISCOVERY_ACROSS_FILESYSTEM");
  std::string root, gitDir;
  for (std::string folder = first;; folder = parentOf(folder)) {
    if (::stat(folder.c_str(), &st) != 0 || (st.st_dev != device && !acrossFileSystems)) return {};
    gitDir = gitDirOf(folder);
    if (!gitDir.empty()) {
      root = folder;
      break;
    }
    if (folder == "/") return {};
  }
  if (root == real) return {};
  auto tree = openTree(root, gitDir);
  const std::string base = root == "/" ? std::string() : root;
  auto ignoreFileOf = [&](const std::string& below) {
    FileDescriptor folder(::open((base + "/" + below).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder.isOpen() ? listOf(readIgnoreFile(folder.get(), ".gitignore")) : nullptr;
  };
  GitIgnoreFolderPtr at = place(nullptr, tree, std::string(), ignoreFileOf(std::string()));
  // Git does not go into a folder it ignores, so nothing below one is taken back. The rules are
  // still gathered on down: a start folder git ignores is searched with them.
  bool ignored = false;
  std::string_view rest = std::string_view(real).substr(base.size() + 1);
  for (;;) {
    const size_t slash = rest.find('/');
    const std::string_view name = rest.substr(0, slash);
    const bool last = slash == std::string_view::npos;
    if (name == ".git") return Start{nullptr, Text(), true};
    ignored = ignored || at->ignoresBytes(name, last ? isFolder : true);
    if (last) return Start{at, pathToText(name), ignored};
    std::string path = at->path() + std::string(name) + "/";
    auto list = ignoreFileOf(path);
    at = place(at, tree, std::move(path), std::move(list));
    rest.remove_prefix(slash + 1);
  }
}

GitIgnore::Start GitIgnore::start(const Text& folder) const {
  char* resolved = ::realpath(textToPath(folder).c_str(), nullptr);
  if (!resolved) return {};
  std::string real(resolved);
  std::free(resolved);
  return walk(real, true);
}

bool GitIgnore::ignores(const Text& path) const {
  const std::string given = withoutTrailingSlashes(textToPath(path));
  const size_t slash = given.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : given.substr(0, slash);
  const std::string name = slash == std::string::npos ? given : given.substr(slash + 1);
  char* resolved = ::realpath(folder.c_str(), nullptr);
  if (!resolved) return false;
  std::string real(resolved);
  std::free(resolved);
  if (name.empty()) return walk(real, true).ignored;
  real = withoutTrailingSlashes(real + "/" + name);
  struct stat st {};
  const bool isFolder = ::lstat(given.c_str(), &st) == 0 && S_ISDIR(st.st_mode);  // a link is no folder to git
  return walk(real, isFolder).ignored;
}

GitIgnoreFolderPtr GitIgnore::enter(const GitIgnoreFolderPtr& above, TextView name, const Text& folder, int fd,
                                    const std::vector<DirectoryEntry>& entries) const {
  bool hasIgnoreFile = false, hasRepository = false;
  for (const auto& e : entries) {
    if (e.name.size() < 4 || e.name[0] != u'.') continue;
    if (e.name == u".gitignore")
      hasIgnoreFile = !e.isFolder;
    else if (e.name == u".git")
      hasRepository = true;
  }
  std::shared_ptr<const GitWorkTree> tree;
  std::string path;
  GitIgnoreFolderPtr from;
  if (hasRepository) {
    const std::string root = withoutTrailingSlashes(textToPath(folder));
    const std::string gitDir = gitDirOf(root);
    if (!gitDir.empty()) tree = openTree(root, gitDir);
  }
  if (!tree) {
    if (!above) return nullptr;
    tree = above->tree_;
    path = above->path_ + textToPath(name) + "/";
    from = above;
  }
  auto list = hasIgnoreFile && fd >= 0 ? listOf(readIgnoreFile(fd, ".gitignore")) : nullptr;
  return place(from, std::move(tree), std::move(path), std::move(list));
}

}  // namespace varko
