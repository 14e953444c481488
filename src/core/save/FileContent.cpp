#include "save/FileContent.h"

#include <algorithm>
#include <cstdio>

namespace varko {

namespace {

size_t markLengthOf(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8Bom: return 3;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: return 2;
    default: return 0;
  }
}

bool isUtf16(TextEncoding encoding) { return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE; }

Text decodeBytes(std::string_view bytes, TextEncoding encoding) {
  Text out;
  switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
      return fromUtf8(bytes);
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
      // Not through the search's decoder: it would drop a mark at the start of a line.
      const bool big = encoding == TextEncoding::Utf16BE;
      out.reserve(bytes.size() / 2 + 1);
      size_t i = 0;
      for (; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        out.push_back(static_cast<char16_t>(big ? (first << 8 | second) : (second << 8 | first)));
      }
      if (i < bytes.size()) out.push_back(static_cast<unsigned char>(bytes[i]));
      return out;
    }
    case TextEncoding::Windows1252:
      out.reserve(bytes.size());
      for (char b : bytes) out.push_back(xcWindows1252ToChar(static_cast<unsigned char>(b)));
      return out;
  }
  return out;
}

// The byte Windows-1252 uses for c, or -1.
int windows1252Byte(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (int b = 0x80; b <= 0x9F; ++b)
    if (xcWindows1252ToChar(static_cast<unsigned char>(b)) == c) return b;
  return -1;
}

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

void splitFileContent(std::string bytes, FileContent& content) {
  content.bytes = std::move(bytes);
  content.encoding = detectEncoding(content.bytes);
  content.markLength = markLengthOf(content.encoding);
  content.starts.clear();
  const std::string_view all = content.bytes;
  const size_t unit = isUtf16(content.encoding) ? 2 : 1;
  const bool big = content.encoding == TextEncoding::Utf16BE;
  auto unitAt = [&](size_t i) -> char16_t {
    if (unit == 1) return static_cast<unsigned char>(all[i]);
    const auto first = static_cast<unsigned char>(all[i]);
    const auto second = static_cast<unsigned char>(all[i + 1]);
    return static_cast<char16_t>(big ? (first << 8 | second) : (second << 8 | first));
  };
  auto addLine = [&](size_t start, size_t, size_t) { content.starts.push_back(start); };
  size_t start = content.markLength;
  size_t i = start;
  while (i + unit <= all.size()) {
    const char16_t c = unitAt(i);
    if (c != u'\r' && c != u'\n') {
      i += unit;
      continue;
    }
    size_t end = i + unit;
    if (c == u'\r' && end + unit <= all.size() && unitAt(end) == u'\n') end += unit;
    addLine(start, i, end);
    start = i = end;
  }
  if (start < all.size()) addLine(start, all.size(), all.size());
}

Text encodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8Bom: return u"UTF-8 with a byte-order mark";
    case TextEncoding::Utf16LE: return u"UTF-16LE";
    case TextEncoding::Utf16BE: return u"UTF-16BE";
    case TextEncoding::Utf8: return u"UTF-8";
    case TextEncoding::Windows1252: return u"Windows-1252";
  }
  return Text();
}

Text xcCharacterName(TextView text, size_t index) {
  const char16_t c = text[index];
  char32_t code = c;
  size_t length = 1;
  if (isHighSurrogate(c) && index + 1 < text.size() && isLowSurrogate(text[index + 1])) {
    code = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[index + 1] - 0xDC00);
    length = 2;
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
  Text name = fromAscii(hex);
  const bool lone = length == 1 && (isHighSurrogate(c) || isLowSurrogate(c));
  if (!lone && c >= 0x20) name += u" '" + Text(text.substr(index, length)) + u"'";
  return name;
}

bool xcEncodeLine(TextView line, TextEncoding encoding, std::string& out, Text& errorText) {
  auto refuse = [&](size_t index) {
    errorText = encodingName(encoding) + u" cannot hold the character " + xcCharacterName(line, index);
    return false;
  };
  switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
      if (appendAsUtf8(line, out)) return true;
      for (size_t i = 0; i < line.size(); ++i) {
        if (isHighSurrogate(line[i]) && i + 1 < line.size() && isLowSurrogate(line[i + 1])) {
          ++i;
        } else if (isHighSurrogate(line[i]) || isLowSurrogate(line[i])) {
          return refuse(i);
        }
      }
      return refuse(0);  // not reached: appendAsUtf8 refuses lone surrogates only
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
      const bool big = encoding == TextEncoding::Utf16BE;
      out.reserve(out.size() + line.size() * 2);
      for (char16_t c : line) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        out.push_back(big ? high : low);
        out.push_back(big ? low : high);
      }
      return true;
    }
    case TextEncoding::Windows1252: {
      const size_t before = out.size();
      out.reserve(before + line.size());
      for (size_t i = 0; i < line.size(); ++i) {
        const int b = windows1252Byte(line[i]);
        if (b < 0) {
          out.resize(before);
          return refuse(i);
        }
        out.push_back(static_cast<char>(b));
      }
      return true;
    }
  }
  return false;
}

LineSpan FileContent::span(size_t index) const {
  LineSpan span;
  span.start = starts[index];
  span.end = index + 1 < starts.size() ? starts[index + 1] : bytes.size();
  // The break, as the split found it: CR LF, LF or CR (LF CR is two breaks).
  const size_t unit = isUtf16(encoding) ? 2 : 1;
  const bool big = encoding == TextEncoding::Utf16BE;
  auto unitAt = [&](size_t i) -> char16_t {
    if (unit == 1) return static_cast<unsigned char>(bytes[i]);
    const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char16_t>(big ? (first << 8 | second) : (second << 8 | first));
  };
  span.textEnd = span.end;
  if (span.end >= span.start + unit) {
    const char16_t last = unitAt(span.end - unit);
    if (last == u'\n' || last == u'\r') span.textEnd -= unit;
    if (last == u'\n' && span.textEnd >= span.start + unit && unitAt(span.textEnd - unit) == u'\r') span.textEnd -= unit;
  }
  return span;
}

Text FileContent::line(size_t index) const {
  const LineSpan span = this->span(index);
  return decodeBytes(std::string_view(bytes).substr(span.start, span.textEnd - span.start), encoding);
}

TextList FileContent::lines() const {
  TextList all;
  all.reserve(starts.size());
  for (size_t i = 0; i < starts.size(); ++i) all.push_back(line(i));
  return all;
}

Text xcDecodeLine(std::string_view bytes, TextEncoding encoding) { return decodeBytes(bytes, encoding); }

bool NewLines::add(const FileContent& content, size_t index, TextView text, Text& errorText) {
  const LineSpan span = content.span(index);
  const std::string_view old = std::string_view(content.bytes).substr(span.start, span.textEnd - span.start);
  std::string check;
  Text ignored;
  if (!xcEncodeLine(content.line(index), content.encoding, check, ignored) || check != old) {
    errorText = u"line " + intToText(static_cast<long long>(index) + 1) + u" holds bytes that are not valid " +
                encodingName(content.encoding) + u", so it cannot be rewritten exactly";
    return false;
  }
  const size_t offset = bytes_.size();
  if (!xcEncodeLine(text, content.encoding, bytes_, errorText)) {
    bytes_.resize(offset);
    return false;
  }
  lines_.push_back({index, offset, bytes_.size() - offset});
  return true;
}

Text NewLines::text(const FileContent& content, const Line& line) const {
  return decodeBytes(bytes(line), content.encoding);
}

bool emitNewContent(const FileContent& content, const NewLines& changed,
                      const std::function<bool(std::string_view)>& emit) {
  constexpr size_t kPiece = 1 << 20;
  const std::string_view all = content.bytes;
  std::string piece;
  size_t copied = 0;  // bytes of the old content handed on so far
  auto flush = [&] {
    const bool ok = piece.empty() || emit(piece);
    piece.clear();
    return ok;
  };
  // Unchanged runs go straight from the old bytes; changed lines gather in the piece.
  auto copyUpTo = [&](size_t end) {
    if (end == copied) return true;
    if (!flush()) return false;
    for (; copied < end; copied += std::min(kPiece, end - copied))
      if (!emit(all.substr(copied, std::min(kPiece, end - copied)))) return false;
    return true;
  };
  for (const NewLines::Line& line : changed.lines()) {
    const LineSpan span = content.span(line.index);
    if (!copyUpTo(span.start)) return false;
    piece.append(changed.bytes(line));
    piece.append(all.substr(span.textEnd, span.end - span.textEnd));
    copied = span.end;
    if (piece.size() >= kPiece && !flush()) return false;
  }
  return flush() && copyUpTo(all.size());
}

std::string buildNewContent(const FileContent& content, const NewLines& changed) {
  std::string out;
  out.reserve(content.bytes.size() + content.bytes.size() / 8);
  emitNewContent(content, changed, [&](std::string_view piece) {
    out.append(piece);
    return true;
  });
  return out;
}

}  // namespace varko
