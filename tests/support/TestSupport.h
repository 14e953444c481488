#pragma once
// Shared test helpers: a private temporary folder per test and file writers.
#include <string>
#include <string_view>
#include "lib/Text.h"

namespace varko::test {

// A fresh folder under the system temporary folder, removed (recursively) on destruction.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // Full path with a trailing '/'.
  const std::string& path() const { return path_; }
  Text text() const { return pathToText(path_); }
  // Writes bytes to a file below the folder (creating folders); returns its full path.
  std::string write(const std::string& relative, std::string_view bytes) const;
  std::string mkdir(const std::string& relative) const;
  std::string file(const std::string& relative) const { return path_ + relative; }
private:
  std::string path_;
};

std::string readFileBytes(const std::string& path);
// Sets a file's last-write time (local time).
void setFileTime(const std::string& path, int year, int month, int day, int hour, int minute,
                 int second);
inline Text T(std::string_view utf8) { return fromUtf8(utf8); }
inline std::string U8(TextView t) { return toUtf8(t); }

}  // namespace varko::test
