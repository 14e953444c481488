#include "search/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <string>

#include "lib/Errors.h"
#include "lib/PosixFile.h"

namespace varko {

namespace {

constexpr size_t kLoadPiece = size_t{1} << 20;
// Upper bound for reserving ahead from the file size; larger files grow as they are read.
constexpr size_t kMostReserved = size_t{256} << 20;

}  // namespace

TextTestResult xcIsTextFileAndLoadable(const Text& path) {
  TextTestResult result;
  FileDescriptor file;
  int64_t size = 0;
  if (int error = xcOpenRegularFile(textToPath(path), file, size)) {
    result.errorText = xcFileErrorText(error);
    return result;
  }
  if (size == 0) return result;
  char buffer[kTextTestBytes];
  ssize_t got = xcReadFull(file.get(), buffer, static_cast<size_t>(std::min<int64_t>(size, kTextTestBytes)));
  if (got < 0) {
    result.errorText = systemErrorText(errno);
    return result;
  }
  if (got == 0) return result;
  for (ssize_t i = 0; i < got; ++i) {
    if (xcIsTextByte(static_cast<unsigned char>(buffer[i])))
      ++result.textBytes;
    else
      ++result.otherBytes;
  }
  result.isText = xcIsTextSample(result.textBytes, result.otherBytes);
  return result;
}

LoadResult LoadFileLines(const Text& path, TextList& lines, int& loadMethod, DateTimeValue& deadline,
                         const Clock& clock) {
  // Without file locks on this platform both methods read the same way.
  if (loadMethod > 1) loadMethod = 0;
  lines.clear();
  deadline = clock.now() + 2 * kOneSecond;

  LoadResult result;
  FileDescriptor file;
  int64_t size = 0;
  if (int error = xcOpenRegularFile(textToPath(path), file, size)) {
    result.errorText = xcFileErrorText(error);
    return result;
  }

  std::string bytes;
  try {
    bytes.reserve(static_cast<size_t>(std::min<int64_t>(size, kMostReserved)) + kLoadPiece);
    for (;;) {
      size_t used = bytes.size();
      bytes.resize(used + kLoadPiece);
      ssize_t n = xcReadSome(file.get(), bytes.data() + used, kLoadPiece);
      if (n < 0) {
        result.errorText = systemErrorText(errno);
        return result;
      }
      bytes.resize(used + static_cast<size_t>(n));
      if (n == 0) break;
      if (clock.now() > deadline) {
        result.cutShort = true;
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    // Keep what fitted; the file is searched as far as it was read.
    result.cutShort = true;
  }

  try {
    if (result.cutShort)
      xcDecodeCutLines(bytes, lines);
    else
      xcDecodeLines(bytes, lines);
  } catch (const std::bad_alloc&) {
    lines.clear();
    result.errorText = systemErrorText(ENOMEM);
    return result;
  }
  result.loaded = true;
  return result;
}

}  // namespace varko
