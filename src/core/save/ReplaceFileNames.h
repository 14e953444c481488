#pragma once
// The temporary and backup names made beside a file that is about to be replaced in.
#include "lib/Clock.h"
#include "lib/Text.h"

namespace varko {

inline constexpr char16_t kReplaceMarker[] = u"VarkoSearchReplace";

struct ReplaceFileNames {
  Text temporary;  // <base>-VarkoSearchReplace-<stamp>-temp<ext>
  Text backup;     // <base>-VarkoSearchReplace-<stamp>-bak<ext>
  // The parts, so that a taken backup name can be numbered.
  Text base;       // folder with its '/', then the name before its last '.', trimmed
  Text stamp;      // yyyymmdd-hhnnss
  Text extension;  // from the name's last '.', dot included; empty without one

  // number 0 gives backup; 1, 2, ... give <base>-VarkoSearchReplace-<stamp>-<number>-bak<ext>.
  Text numberedBackup(int number) const;
};

ReplaceFileNames MakeReplaceFileNames(const Text& fileName, DateTimeValue now);

// The first of backup, backup with -1, -2, ... that names nothing on disk (links included).
Text firstFreeBackupName(const ReplaceFileNames& names);

// The path holds "VarkoSearchReplace" in any letter case: never replaced in.
bool isReplaceFileName(const Text& path);

}  // namespace varko
