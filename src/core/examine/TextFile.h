#pragma once
// The text-file test and loading a file into lines; the decoding is lib's, included here for
// the files that look for it here.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include "lib/Clock.h"
#include "lib/Text.h"
#include "lib/TextDecoding.h"

namespace varko {

// Text bytes: 32 to 127, tab, line feed, form feed and carriage return.
inline bool xcIsTextByte(unsigned char b) { return (b >= 32 && b <= 127) || b == 9 || b == 10 || b == 12 || b == 13; }

// The text test looks at the first 1000 bytes: text when at most 5 of them are other
// characters and they are not more than the text characters.
inline constexpr size_t kTextTestBytes = 1000;
inline bool xcIsTextSample(int64_t textBytes, int64_t otherBytes) {
  return !(otherBytes > 5 || textBytes < otherBytes);
}

struct TextSampleCounts {
  int64_t text = 0;
  int64_t other = 0;
};

// Counts the first bytes of a file; more: the file goes on after them. The 8-bit test counts
// bytes. Otherwise characters: a file with a UTF-8 or UTF-16 mark is counted on its decoded
// characters; without one, each valid UTF-8 sequence of a character that is not a control
// character is one text character, and invalid bytes and control characters are other ones.
// A character cut by the end of the sample is not counted when more follows.
TextSampleCounts xcCountTextSample(const char* data, size_t size, bool more, bool asciiTest);
// The same decision, quicker: the run's path. It stops counting once more than 5 other
// characters make the sample not text, so the counts of such a sample are partial.
TextSampleCounts countTextSampleFast(const char* data, size_t size, bool more, bool asciiTest);

struct TextTestResult {
  bool isText = false;
  int64_t textBytes = 0;   // text characters (bytes in the 8-bit test)
  int64_t otherBytes = 0;  // other characters (bytes in the 8-bit test)
  Text errorText;  // the platform's message when the file could not be opened or read
};

// Reads at most the first 1000 bytes. Never opens anything but a regular file
// (a FIFO, socket or device gives the error text "Not a regular file").
TextTestResult xcIsTextFileAndLoadable(const Text& path, bool asciiTest = false);

// "How to load file" items.
enum LoadMethodItem : int {
  kLoadStandard = 0,       // "Standard LoadFromFile"
  kLoadFilesInUse = 1,     // "LoadFromFile that can load files in use"
  kLoadAsciiDisabled = 2,  // "xcLoadAsciiData (disabled)"
};

struct LoadResult {
  bool loaded = false;
  bool cutShort = false;  // the deadline passed while reading; lines hold what was read
  Text errorText;         // the platform's message when not loaded
};

// Empties lines, sets deadline := now + 2 s, reads the file in pieces (stopping when the
// deadline passes), decodes it and splits it into lines. loadMethod above 1 is set to 0.
LoadResult LoadFileLines(const Text& path, TextList& lines, int& loadMethod,
                         DateTimeValue& deadline, const Clock& clock);

}  // namespace varko
