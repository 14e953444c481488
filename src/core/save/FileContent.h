#pragma once
// A file read for replacing: its exact bytes, its encoding, and its lines with the byte range
// and the own line break of each, so that writing back changes nothing but the changed lines.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include "lib/Text.h"
#include "examine/TextFile.h"

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
  // Where each line starts (its end is where the next one starts, or the end of the bytes): eight
  // bytes a line, its break found again when asked for.
  std::vector<uint64_t> starts;
  size_t lineCount() const { return starts.size(); }
  LineSpan span(size_t index) const;
  Text line(size_t index) const;  // decoded, without its break
  TextList lines() const;         // every line: for small files and tests
  bool endsWithBreak() const { return !starts.empty() && span(starts.size() - 1).textEnd != bytes.size(); }
};

// The new text of the lines a replacement changed, encoded as the file is, one after the other in
// one string: a file whose every line changes costs its size once more, not three times.
class NewLines {
public:
  struct Line {
    size_t index = 0;  // of the line in the file
    size_t offset = 0, size = 0;  // of its new bytes
  };
  // Encodes text as the new content of line index (after any line added before). false with
  // errorText when it cannot be written: a character the encoding cannot hold, or old bytes that
  // did not decode exactly (an ill-formed sequence after a UTF-8 mark, say).
  bool add(const FileContent& content, size_t index, TextView text, Text& errorText);
  const std::vector<Line>& lines() const { return lines_; }
  std::string_view bytes(const Line& line) const { return std::string_view(bytes_).substr(line.offset, line.size); }
  Text text(const FileContent& content, const Line& line) const;
  bool empty() const { return lines_.empty(); }
  size_t size() const { return lines_.size(); }

private:
  std::string bytes_;
  std::vector<Line> lines_;
};

// Detects the encoding as the search does (mark, else UTF-8 when valid, else Windows-1252) and
// splits at CR LF, LF or CR; LF CR ends two lines; a final break adds no empty line.
void splitFileContent(std::string bytes, FileContent& content);

Text encodingName(TextEncoding encoding);
// "U+4E2D '中'"; a surrogate without its other half has no quoted form.
Text xcCharacterName(TextView text, size_t index);

// Appends line in the encoding; false, with errorText naming the first character the encoding
// cannot hold, when there is one.
bool xcEncodeLine(TextView line, TextEncoding encoding, std::string& out, Text& errorText);

// Decodes bytes of the file's encoding (a part of a line).
Text xcDecodeLine(std::string_view bytes, TextEncoding encoding);

// The file's bytes with the changed lines, handed to emit piece by piece: an unchanged line is
// copied byte for byte, a changed one followed by its own break; the mark is kept. false as soon
// as emit returns false.
bool emitNewContent(const FileContent& content, const NewLines& changed,
                      const std::function<bool(std::string_view)>& emit);
// All of it, in one string.
std::string buildNewContent(const FileContent& content, const NewLines& changed);

}  // namespace varko
