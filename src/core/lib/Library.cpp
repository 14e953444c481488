#include "lib/Library.h"

#include <malloc.h>
#include <sys/resource.h>

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace varko {

LibrarySettings& librarySettings() {
  static LibrarySettings settings;
  return settings;
}

namespace {
LibraryMessageHandler& messageHandler() {
  static LibraryMessageHandler handler;
  return handler;
}
Text& exePathOverride() {
  static Text path;
  return path;
}
}  // namespace

void setLibraryMessageHandler(LibraryMessageHandler handler) { messageHandler() = std::move(handler); }

void xcShowLibraryMessage(const Text& message) {
  if (messageHandler())
    messageHandler()(message);
  else
    std::cerr << toUtf8(message) << '\n';
}

Text xcExePath() {
  if (!exePathOverride().empty()) return exePathOverride();
  static const Text path = [] {
    std::string buffer(4096, '\0');
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return Text(u"./Varko64");
    buffer.resize(static_cast<size_t>(n));
    return pathToText(buffer);
  }();
  return path;
}

void setExePathForTesting(const Text& path) { exePathOverride() = path; }

Text xcExeFolder() { return xcExtractFilePath(xcExePath()); }
Text xcExeFileName() { return xcExtractFileName(xcExePath()); }

bool exeFolderIsPortable() {
  const Text folder = xcExeFolder();
  if (folder.empty()) return false;
  for (const char16_t* system : {u"/usr/", u"/bin/", u"/sbin/", u"/lib/", u"/lib64/", u"/snap/"})
    if (folder.starts_with(system)) return false;
  return ::access(textToPath(folder).c_str(), W_OK) == 0;
}

namespace {
// $variable/varko/, else ~/fallback/varko/, made when missing.
Text userFolder(const char* variable, const char* fallback) {
  std::string base;
  if (const char* value = std::getenv(variable); value && *value == '/') {
    base = value;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : "/tmp") + "/" + fallback;
  }
  std::string folder = base + "/varko";
  // Each level in turn: the parents of a fresh home may not exist yet.
  for (size_t at = 1; at != std::string::npos; at = folder.find('/', at + 1))
    ::mkdir(folder.substr(0, at).c_str(), 0700);
  ::mkdir(folder.c_str(), 0700);
  return xcIncludeTrailingSeparator(pathToText(folder));
}
}  // namespace

Text configFolder() { return exeFolderIsPortable() ? xcExeFolder() : userFolder("XDG_CONFIG_HOME", ".config"); }

Text dataFolder() { return exeFolderIsPortable() ? xcExeFolder() : userFolder("XDG_DATA_HOME", ".local/share"); }

Text tempFolder() {
  const char* dir = std::getenv("TMPDIR");
  Text folder = (dir && *dir) ? pathToText(dir) : Text(u"/tmp");
  return xcIncludeTrailingSeparator(folder);
}

bool xcFileExists(const Text& path) {
  if (path.empty()) return false;
  struct stat st;
  return stat(textToPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool xcFolderExists(const Text& path) {
  if (path.empty()) return false;
  struct stat st;
  return stat(textToPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

Text xcIncludeTrailingSeparator(const Text& path) {
  if (!path.empty() && path.back() == u'/') return path;
  return path + u"/";
}

Text xcExtractFilePath(const Text& path) {
  auto p = path.rfind(u'/');
  return p == Text::npos ? Text() : path.substr(0, p + 1);
}

Text xcExtractFileName(const Text& path) {
  auto p = path.rfind(u'/');
  return p == Text::npos ? path : path.substr(p + 1);
}

Text xcExtractFileExt(const Text& path) {
  auto p = path.find_last_of(u"./");
  if (p == Text::npos || path[p] != u'.') return Text();
  return path.substr(p);
}

Text xcChangeFileExt(const Text& path, const Text& ext) {
  auto p = path.find_last_of(u"./");
  if (p == Text::npos || path[p] != u'.') return path + ext;
  return path.substr(0, p) + ext;
}

void raiseOpenFileLimit() {
  struct rlimit rl {};
  if (getrlimit(RLIMIT_NOFILE, &rl) != 0) return;
  rlim_t wanted = std::min<rlim_t>(rl.rlim_max, 65536);
  if (rl.rlim_cur >= wanted) return;
  rl.rlim_cur = wanted;
  setrlimit(RLIMIT_NOFILE, &rl);
}

void limitMallocArenas() { mallopt(M_ARENA_MAX, 2); }

}  // namespace varko
