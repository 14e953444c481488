// Text decoding and line splitting: every byte sequence, behind each byte-order mark.
#include <string>
#include "FuzzInput.h"
#include "lib/TextDecoding.h"

using namespace varko;
using varko::fuzz::check;

namespace {

constexpr std::string_view kMarks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB", "\xFF"};

// Byte by byte, straight from the definition of UTF-8.
bool plainValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t len = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return false;
    char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (size_t k = 1; k < len; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += len;
  }
  return true;
}

// Lines by the rule: CR LF, CR or LF end a line; no empty line after a final break.
TextList plainLines(TextView text) {
  TextList lines;
  Text line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      lines.push_back(line);
      line.clear();
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      line.push_back(text[i]);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  std::string bytes(kMarks[in.byte() % std::size(kMarks)]);
  bytes += in.restBytes();

  check(validUtf8(bytes.data(), bytes.size()) == plainValidUtf8(bytes), "the UTF-8 test agrees with the plain one");
  // In a read buffer the bytes after the text are anything: they must not count.
  std::string inBuffer = bytes + "\xFF\xC3";
  check(validUtf8(inBuffer.data(), bytes.size()) == plainValidUtf8(bytes), "the UTF-8 test stops at its size");
  const TextEncoding encoding = detectEncoding(bytes);
  const Text text = xcDecodeText(bytes, encoding);
  const std::string_view view(bytes);
  switch (encoding) {
    case TextEncoding::Utf8Bom: check(view.starts_with("\xEF\xBB\xBF"), "UTF-8 mark"); break;
    case TextEncoding::Utf16LE:
      check(view.starts_with("\xFF\xFE"), "UTF-16 LE mark");
      check(text.size() == (bytes.size() - 1) / 2, "two bytes a character, a lone last byte kept");
      break;
    case TextEncoding::Utf16BE:
      check(view.starts_with("\xFE\xFF"), "UTF-16 BE mark");
      check(text.size() == (bytes.size() - 1) / 2, "two bytes a character, a lone last byte kept");
      break;
    case TextEncoding::Utf8:
      check(plainValidUtf8(bytes), "only valid UTF-8 reads as UTF-8");
      check(toUtf8(text) == bytes, "valid UTF-8 decodes to the same bytes");
      break;
    case TextEncoding::Windows1252:
      check(!plainValidUtf8(bytes), "Windows-1252 only when not UTF-8");
      check(text.size() == bytes.size(), "every Windows-1252 byte is kept");
      break;
  }
  TextList lines;
  xcDecodeLines(bytes, lines);
  check(lines == plainLines(text), "lines split as the rule says");
  TextList cut;
  decodeCutLines(bytes, cut);
  if (encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE)
    check(cut == lines, "complete bytes decode the same when cut");
  for (TextEncoding other : {TextEncoding::Utf8Bom, TextEncoding::Utf16LE, TextEncoding::Utf16BE, TextEncoding::Utf8,
                             TextEncoding::Windows1252}) {
    TextList split;
    xcSplitLines(xcDecodeText(bytes, other), split);
  }
  return 0;
}
