#include "save/ReplaceFileNames.h"

#include <sys/stat.h>

#include "lib/DateTime.h"

namespace varko {

Text ReplaceFileNames::numberedBackup(int number) const {
  Text name = base + u"-" + kReplaceMarker + u"-" + stamp;
  if (number > 0) name += u"-" + intToText(number);
  return name + u"-bak" + extension;
}

ReplaceFileNames MakeReplaceFileNames(const Text& fileName, DateTimeValue now) {
  ReplaceFileNames names;
  const size_t slash = fileName.rfind(u'/');
  const size_t nameStart = slash == Text::npos ? 0 : slash + 1;
  const TextView folder = TextView(fileName).substr(0, nameStart);
  const TextView name = TextView(fileName).substr(nameStart);
  const size_t dot = name.rfind(u'.');
  names.extension = dot == TextView::npos ? Text() : Text(name.substr(dot));
  names.base = Text(folder) + xcTrim(name.substr(0, dot));
  names.stamp = xcFormatDateTime(u"yyyymmdd-hhnnss", now);
  names.temporary = names.base + u"-" + kReplaceMarker + u"-" + names.stamp + u"-temp" + names.extension;
  names.backup = names.numberedBackup(0);
  return names;
}

Text firstFreeBackupName(const ReplaceFileNames& names) {
  for (int number = 0;; ++number) {
    Text candidate = names.numberedBackup(number);
    struct stat st {};
    if (::lstat(textToPath(candidate).c_str(), &st) != 0) return candidate;
  }
}

bool isReplaceFileName(const Text& path) { return xcTextPos(path, kReplaceMarker, 1) > 0; }

}  // namespace varko
