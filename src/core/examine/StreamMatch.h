#pragma once
// The search of an opened file's bytes, read piece by piece or mapped: the lines where a string
// occurs are found with the byte search, matched on their bytes, and handed to the run in parts.
#include <cstddef>
#include "lib/MappedFile.h"
#include "examine/FileExamination.h"

namespace varko {

inline constexpr size_t kReadPiece = 1024 * 1024;

// Grows the read buffer to hold wanted bytes, keeping its first used bytes.
void ensureCapacity(ExamineBuffers& b, size_t wanted, size_t used);

// A mapped file's encoding, when it was checked whole before its search.
enum class KnownEncoding { Nothing, Utf8, Windows1252 };

// Reads the file piece by piece, finding the lines where a string occurs with the byte search,
// and matches each such line on its bytes. A reported line's text and position depend on the
// file's encoding: they wait for it only when the line is not ASCII and the bytes so far are
// valid UTF-8 (the rest of the file may still make it Windows-1252).
//
// A mapped file is searched in place, a piece at a time, each piece checked for UTF-8 right
// after its search, while its bytes are in the cache (a second pass over a large file would
// cost a quarter of the search); a piece the line count saw all ASCII needs no check. Its lines
// wait for the encoding like those of a file read; once many wait, the rest of the file is
// checked at once so they can go on. known: see KnownEncoding.
void streamAndMatch(int fd, size_t used, bool endOfFile, bool bom, const LineMatcher& matcher, const Clock& clock,
                      DateTimeValue deadline, ExamineBuffers& buffers, FileOutcome& out,
                      const MappedFile* mapped = nullptr, KnownEncoding known = KnownEncoding::Nothing);

}  // namespace varko
