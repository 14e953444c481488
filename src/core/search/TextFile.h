#pragma once
// The text-file test, loading a file into lines, and decoding.
#include <cstdint>
#include <string_view>
#include "lib/Clock.h"
#include "lib/Text.h"

namespace varko {

// Text bytes: 32 to 127, tab, line feed, form feed and carriage return.
inline bool xcIsTextByte(unsigned char b) { return (b >= 32 && b <= 127) || b == 9 || b == 10 || b == 12 || b == 13; }

struct TextTestResult {
  bool isText = false;
  int64_t textBytes = 0;
  int64_t otherBytes = 0;
  Text errorText;  // the platform's message when the file could not be opened or read
};

// Reads at most the first 1000 bytes. Never opens anything but a regular file
// (a FIFO, socket or device gives the error text "Not a regular file").
TextTestResult xcIsTextFileAndLoadable(const Text& path);

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

// Decoding of a whole file's bytes: byte-order mark (UTF-8, UTF-16 LE, UTF-16 BE), else
// UTF-8 when valid, else Windows-1252 with every byte kept. Line breaks: CR LF, CR, LF;
// a final break adds no empty line; LF CR ends two lines.
enum class TextEncoding { Utf8Bom, Utf16LE, Utf16BE, Utf8, Windows1252 };
TextEncoding xcDetectEncoding(std::string_view bytes);
Text xcDecodeText(std::string_view bytes, TextEncoding encoding);
void xcSplitLines(TextView text, TextList& lines);
void xcDecodeLines(std::string_view bytes, TextList& lines);
char16_t xcWindows1252ToChar(unsigned char b);

}  // namespace varko
