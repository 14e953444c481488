#include "lib/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "lib/Errors.h"
#include "lib/PosixFile.h"

namespace varko {

namespace {

constexpr size_t kMaxValueLength = 2047;
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

enum class LineKind { Other, Section, Key };

// One line of the file as byte offsets into its text; nothing is copied so that every line the
// program does not touch goes back out exactly as it came in.
struct IniLine {
  size_t begin = 0;
  size_t contentEnd = 0;  // before the CR LF or LF
  size_t end = 0;         // after the line end, if any
  LineKind kind = LineKind::Other;
  Text name;              // section or key name
  size_t valueBegin = 0;  // key lines: just after the '='
};

struct KeyLocation {
  int sectionLine = -1;
  int keyLine = -1;
  int lastKeyLine = -1;  // the section's last key line, where a new key goes
};

bool isBlankByte(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view trimBytes(std::string_view s) {
  while (!s.empty() && isBlankByte(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlankByte(s.back())) s.remove_suffix(1);
  return s;
}

// Invalid UTF-8 (a file saved in another code page) is kept as escaped bytes, so a folder
// name read from the file reaches the very same folder and writes back unchanged.
Text decode(std::string_view bytes) { return pathToText(bytes); }
std::string encode(TextView text) { return textToPath(text); }

std::vector<IniLine> parseLines(const std::string& bytes) {
  std::vector<IniLine> lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    IniLine line;
    line.begin = pos;
    const size_t newline = bytes.find('\n', pos);
    line.end = newline == std::string::npos ? bytes.size() : newline + 1;
    line.contentEnd = newline == std::string::npos ? bytes.size() : newline;
    if (line.contentEnd > line.begin && bytes[line.contentEnd - 1] == '\r') --line.contentEnd;
    pos = line.end;

    size_t contentBegin = line.begin;
    if (line.begin == 0 && std::string_view(bytes).substr(0, line.contentEnd).starts_with(kUtf8Bom))
      contentBegin += kUtf8Bom.size();
    const std::string_view content(bytes.data() + contentBegin, line.contentEnd - contentBegin);
    const std::string_view trimmed = trimBytes(content);

    if (trimmed.starts_with('[')) {
      const size_t close = trimmed.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        line.kind = LineKind::Section;
        line.name = decode(trimBytes(trimmed.substr(1, close - 1)));
      }
    } else if (!trimmed.starts_with(';') && !trimmed.starts_with('#')) {
      const size_t equals = content.find('=');
      if (equals != std::string_view::npos) {
        line.kind = LineKind::Key;
        line.name = decode(trimBytes(content.substr(0, equals)));
        line.valueBegin = contentBegin + equals + 1;
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

bool sameName(TextView a, TextView b) { return xcSameText(a, b); }

// The first section of that name and, within it, the first key of that name.
KeyLocation locate(const std::vector<IniLine>& lines, TextView section, TextView key) {
  KeyLocation at;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind == LineKind::Section && sameName(lines[i].name, section)) {
      at.sectionLine = static_cast<int>(i);
      break;
    }
  }
  if (at.sectionLine < 0) return at;
  for (size_t i = static_cast<size_t>(at.sectionLine) + 1; i < lines.size(); ++i) {
    if (lines[i].kind == LineKind::Section) break;
    if (lines[i].kind != LineKind::Key) continue;
    at.lastKeyLine = static_cast<int>(i);
    if (at.keyLine < 0 && sameName(lines[i].name, key)) at.keyLine = static_cast<int>(i);
  }
  return at;
}

enum class ReadResult { Ok, Missing, Failed };

// Only a regular file is ever read: a FIFO or device could block or never end.
ReadResult readWholeFile(const Text& fileName, std::string& bytes) {
  const int error = readRegularFile(textToPath(fileName), bytes);
  if (error == 0) return ReadResult::Ok;
  return error == ENOENT ? ReadResult::Missing : ReadResult::Failed;
}

bool loadForReading(const Text& fileName, std::string& bytes, std::vector<IniLine>& lines) {
  if (readWholeFile(fileName, bytes) != ReadResult::Ok) return false;
  lines = parseLines(bytes);
  return true;
}

// Strictly a whole number: optional sign and decimal digits, or "0x" and hexadecimal digits
// (up to 32 bits, so 0xFFFFFFFF is -1).
bool parseInteger(TextView s, int32_t& value) {
  if (s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) {
    uint64_t v = 0;
    for (char16_t c : s.substr(2)) {
      int digit;
      if (c >= u'0' && c <= u'9') digit = c - u'0';
      else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
      else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
      else return false;
      v = v * 16 + static_cast<uint64_t>(digit);
      if (v > 0xFFFFFFFFull) return false;
    }
    value = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
  }
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  if (i == s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return false;
    v = v * 10 + (s[i] - u'0');
    if (v > int64_t(INT32_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<int32_t>(v);
  return true;
}

// A line break inside a value would split it into lines the reader takes for other keys.
std::string encodeValue(TextView value) {
  std::string bytes = encode(value);
  for (char& c : bytes)
    if (c == '\r' || c == '\n') c = ' ';
  return bytes;
}

void terminateLastLine(std::string& out) {
  if (out.empty() || out.back() == '\n') return;
  out += out.back() == '\r' ? "\n" : kLineEnd;
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash + 1);
}

// Writes over the file's own bytes. Not atomic, but it keeps the file's hard links, owner and
// group, and needs no write permission on the folder.
bool writeInPlace(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && writeFull(fd, bytes.data(), bytes.size()) &&
            ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  return ok;
}

// The new file would not be the same file to everyone who holds the old one.
bool renameWouldChangeIdentity(const struct stat& st) {
  if (st.st_nlink > 1) return true;
  return ::geteuid() != 0 && (st.st_uid != ::geteuid() || st.st_gid != ::getegid());
}

// Writes the new text beside the file and renames it over the file, so the file is either the
// old or the new text, never half of it. A link is followed so that the link itself stays. A
// file with other hard links or another owner, or in a folder where no temporary file can be
// made, is written in place instead.
bool replaceFile(const std::string& givenPath, const std::string& bytes) {
  std::string path = givenPath;
  if (char* real = ::realpath(givenPath.c_str(), nullptr)) {
    path = real;
    std::free(real);
  }

  struct stat st;
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists) {
    if (!S_ISREG(st.st_mode)) return false;
    // The rename would get round a read-only file; the file's own permission decides.
    const int probe = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (probe < 0) return false;
    ::close(probe);
    if (renameWouldChangeIdentity(st)) return writeInPlace(path, bytes);
  }

  static std::atomic<unsigned> counter{0};
  std::string base = path.substr(folderOf(path).size());
  if (base.size() > 200) base.resize(200);
  const std::string tempPath = folderOf(path) + "." + base + ".tmp" + std::to_string(::getpid()) + "-" +
                               std::to_string(counter++);
  const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return exists && writeInPlace(path, bytes);

  bool ok = true;
  if (exists) {
    ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    // Root saving a user's file keeps its owner; not managing that is no reason to refuse.
    if (ok && ::geteuid() == 0 && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
    }
  }
  ok = ok && writeFull(fd, bytes.data(), bytes.size());
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(tempPath.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(tempPath.c_str());
  return ok;
}

}  // namespace

Text IniFile::ReadString(TextView section, TextView key, const Text& defaultValue) const {
  std::string bytes;
  std::vector<IniLine> lines;
  if (!loadForReading(fileName_, bytes, lines)) return defaultValue;
  const KeyLocation at = locate(lines, section, key);
  if (at.keyLine < 0) return defaultValue;
  const IniLine& line = lines[static_cast<size_t>(at.keyLine)];
  Text value = decode(trimBytes(std::string_view(bytes).substr(line.valueBegin, line.contentEnd - line.valueBegin)));
  if (value.size() > kMaxValueLength) {
    value.resize(kMaxValueLength);
    value = xcTrim(value);
  }
  return value;
}

int32_t IniFile::ReadInteger(TextView section, TextView key, int32_t defaultValue) const {
  int32_t value;
  return parseInteger(ReadString(section, key, Text()), value) ? value : defaultValue;
}

bool IniFile::ReadBool(TextView section, TextView key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::SectionExists(TextView section) const {
  std::string bytes;
  std::vector<IniLine> lines;
  if (!loadForReading(fileName_, bytes, lines)) return false;
  for (const IniLine& line : lines)
    if (line.kind == LineKind::Section && sameName(line.name, section)) return true;
  return false;
}

void IniFile::WriteString(TextView section, TextView key, const Text& value) {
  const Text refused = u"Unable to write to " + fileName_;
  std::string bytes;
  if (readWholeFile(fileName_, bytes) == ReadResult::Failed) throw EIniFileException(refused);
  const std::vector<IniLine> lines = parseLines(bytes);
  const KeyLocation at = locate(lines, section, key);

  std::string out;
  out.reserve(bytes.size() + key.size() + value.size() + section.size() + 8);
  if (at.keyLine >= 0) {
    // The user's layout stays: indentation, the key as spelt, the '=' and the blanks after it.
    const IniLine& line = lines[static_cast<size_t>(at.keyLine)];
    size_t keep = line.valueBegin;
    while (keep < line.contentEnd && (bytes[keep] == ' ' || bytes[keep] == '\t')) ++keep;
    if (keep == line.contentEnd) keep = line.valueBegin;  // no old value to line up with
    out.append(bytes, 0, keep);
    out += encodeValue(value);
    out += kLineEnd;
    out.append(bytes, line.end);
  } else if (at.sectionLine >= 0) {
    const int after = at.lastKeyLine >= 0 ? at.lastKeyLine : at.sectionLine;
    const size_t insertAt = lines[static_cast<size_t>(after)].end;
    out.append(bytes, 0, insertAt);
    terminateLastLine(out);
    out += encode(key) + "=" + encodeValue(value);
    out += kLineEnd;
    out.append(bytes, insertAt);
  } else {
    out = bytes;
    terminateLastLine(out);
    out += "[" + encode(section) + "]";
    out += kLineEnd;
    out += encode(key) + "=" + encodeValue(value);
    out += kLineEnd;
  }

  if (!replaceFile(textToPath(fileName_), out)) throw EIniFileException(refused);
}

void IniFile::WriteInteger(TextView section, TextView key, int32_t value) {
  WriteString(section, key, intToText(value));
}

void IniFile::WriteBool(TextView section, TextView key, bool value) {
  WriteString(section, key, value ? Text(u"1") : Text(u"0"));
}

}  // namespace varko
