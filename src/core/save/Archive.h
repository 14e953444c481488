#pragma once
// The search/replace archive: every old content a save replaced, appended, never rewritten.
// Failures throw EFileError with the platform's text, so that a save stops before it goes on.
#include <sys/types.h>

#include <functional>

#include "lib/Clock.h"
#include "lib/Text.h"
#include "save/FileContent.h"
#include "save/FileSystem.h"

namespace varko {

inline constexpr char16_t kArchiveFileName[] = u"VarkoSearchReplaceArchive.varc";
// The executable's folder followed by kArchiveFileName.
Text xcArchiveFileName();

// The banner's two lines, in UTF-16LE each with CR LF: 192 bytes.
std::string xcArchiveBanner();

// "Archived:dd-mmm-yy ~ hh:nn:ss ~ Lines=n ~  Size=c ~ path ~ note ~ file info".
Text xcArchiveHeading(const Text& path, const TextList& lines, const Text& note, const Clock& clock);

// Where one record went in the archive, so that a save that fails later can take it back.
struct ArchiveRecord {
  off_t start = -1, end = -1;
  bool written() const { return start >= 0; }
};

// Appends the banner when the archive does not exist yet (or is empty), then one record of lines, as UTF-8
// with CR LF (an empty line leaves nothing), and syncs the archive. The record is written in
// pieces under a lock of the archive, so a large file is never held twice; an archive whose last
// record was cut short (a killed run) gets a line saying so, and the new record starts after it.
ArchiveRecord xcAppendArchiveLines(const Text& archiveFile, const Text& path, const FileContent& content,
                                   const Text& note, const Clock& clock, FileSystem& fs = FileSystem::real(),
                                   bool sync = true);
ArchiveRecord xcAppendArchiveLines(const Text& archiveFile, const Text& path, const TextList& lines,
                                   const Text& note, const Clock& clock, FileSystem& fs = FileSystem::real());

// A save that failed after its record was appended: the record is cut off again when it is
// still the archive's last, else a record saying the change was not made follows.
void withdrawArchiveRecord(const Text& archiveFile, const ArchiveRecord& record, const Text& path,
                             const Text& why, FileSystem& fs = FileSystem::real());

// Reads the file at path into lines and archives them; a file that does not exist is not
// archived, silently.
void xcAppendArchive(const Text& archiveFile, const Text& path, const Text& note, const Clock& clock,
                     FileSystem& fs = FileSystem::real());

// Appends text and CR LF as UTF-16LE (at most 8000 bytes), creating the file; an empty text
// writes nothing.
void xcAppendLine(const Text& fileName, const Text& text, FileSystem& fs = FileSystem::real());

}  // namespace varko
