#pragma once
// Why a run did not search a file (or entered no folder), for the listing of skipped files.
#include <cstddef>
#include <cstdint>

namespace varko {

enum class SkipReason : uint8_t {
  None,            // searched, or not a file at all (a folder of the simple scanner's list)
  NotText,
  BinaryBackup,    // the binary/backup/build names rule
  OwnFile,         // the program's own search/replace files
  DateWindow,      // last written outside the date window
  Unreadable,      // with the system's text
  SpecialFile,     // FIFO, socket, device, dangling link
  TooSlow,         // cut short by the two-second limit
  ExcludedFolder,  // a folder left out by name, with everything below it
  IgnoredByGit,    // inside a git work tree, ignored by its ignore files
};
inline constexpr size_t kSkipReasonCount = 10;

// The words of rows and of the summary.
constexpr const char16_t* skipReasonText(SkipReason reason) {
  switch (reason) {
    case SkipReason::None: break;
    case SkipReason::NotText: return u"not text";
    case SkipReason::BinaryBackup: return u"binary/backup";
    case SkipReason::OwnFile: return u"own file";
    case SkipReason::DateWindow: return u"date window";
    case SkipReason::Unreadable: return u"unreadable";
    case SkipReason::SpecialFile: return u"special file";
    case SkipReason::TooSlow: return u"too slow";
    case SkipReason::ExcludedFolder: return u"excluded folder";
    case SkipReason::IgnoredByGit: return u"ignored by git";
  }
  return u"";
}

}  // namespace varko
