#pragma once
// Decoding a file's bytes into lines, and loading a whole file that way.
#include <cstddef>
#include <string_view>
#include "lib/Text.h"

namespace varko {

// Decoding of a whole file's bytes: byte-order mark (UTF-8, UTF-16 LE, UTF-16 BE), else
// UTF-8 when valid, else Windows-1252 with every byte kept. Line breaks: CR LF, CR, LF;
// a final break adds no empty line; LF CR ends two lines.
enum class TextEncoding { Utf8Bom, Utf16LE, Utf16BE, Utf8, Windows1252 };
TextEncoding detectEncoding(std::string_view bytes);
Text xcDecodeText(std::string_view bytes, TextEncoding encoding);
void xcSplitLines(TextView text, TextList& lines);
void xcDecodeLines(std::string_view bytes, TextList& lines);
char16_t xcWindows1252ToChar(unsigned char b);
// As xcDecodeLines, for bytes that may end in the middle of a UTF-8 sequence because reading
// was cut short: that sequence is left out when the bytes before it are UTF-8.
void decodeCutLines(std::string_view bytes, TextList& lines);

// Length of the well-formed UTF-8 sequence at bytes[i] and its code point; 0 when ill-formed
// (overlong forms, surrogates and values above U+10FFFF included); -1 when the bytes end inside
// a sequence that could still be completed.
int utf8SequenceOf(std::string_view bytes, size_t i, char32_t& cp);

// Valid UTF-8 throughout (32 bytes a round where the processor has AVX2).
bool validUtf8(const char* data, size_t size);

// Reads a regular file whole and decodes it into lines: empty text, else the reason (the
// platform's message, or "Not a regular file").
Text LoadWholeFile(const Text& path, TextList& lines);

}  // namespace varko
