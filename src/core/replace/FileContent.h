#pragma once
// A file read for replacing: its exact bytes, its encoding, and its lines with the byte range
// and the own line break of each, so that writing back changes nothing but the changed lines.
#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include "lib/Text.h"
#include "search/TextFile.h"

namespace varko {

struct LineSpan {
  size_t start = 0;    // first byte of the line's text
  size_t textEnd = 0;  // first byte of its line break (== end when it has none)
  size_t end = 0;      // first byte after its line break
};

// The lines are decoded when asked for, so that a large file is held once, as its bytes.
struct FileContent {
  std::string bytes;
  TextEncoding encoding = TextEncoding::Utf8;
  size_t markLength = 0;  // byte-order mark
  std::vector<LineSpan> spans;
  size_t lineCount() const { return spans.size(); }
  Text line(size_t index) const;  // decoded, without its break
  TextList lines() const;         // every line: for small files and tests
  bool endsWithBreak() const { return !spans.empty() && spans.back().textEnd != spans.back().end; }
};

// A line that a replacement changed: its index in the file and its new text.
struct ChangedLine {
  size_t index = 0;
  Text text;
};
using ChangedLines = std::vector<ChangedLine>;  // by index, ascending

// Detects the encoding as the search does (mark, else UTF-8 when valid, else Windows-1252) and
// splits at CR LF, LF or CR; LF CR ends two lines; a final break adds no empty line.
void xcSplitFileContent(std::string bytes, FileContent& content);

Text xcEncodingName(TextEncoding encoding);
// "U+4E2D '中'"; a surrogate without its other half has no quoted form.
Text xcCharacterName(TextView text, size_t index);

// Appends line in the encoding; false, with errorText naming the first character the encoding
// cannot hold, when there is one.
bool xcEncodeLine(TextView line, TextEncoding encoding, std::string& out, Text& errorText);

// false with errorText when a changed line cannot be written: a character the encoding cannot
// hold, or old bytes that did not decode exactly (an ill-formed sequence after a UTF-8 mark, say).
bool xcCheckNewContent(const FileContent& content, const ChangedLines& changed, Text& errorText);

// The file's bytes with the changed lines, handed to emit piece by piece: an unchanged line is
// copied byte for byte, a changed one encoded and followed by its own break; the mark is kept.
// Call xcCheckNewContent first. false as soon as emit returns false.
bool xcEmitNewContent(const FileContent& content, const ChangedLines& changed,
                      const std::function<bool(std::string_view)>& emit);

// Both, into one string.
bool xcBuildNewContent(const FileContent& content, const ChangedLines& changed, std::string& out, Text& errorText);

}  // namespace varko
