// The settings-file reader and writer on any file: a write then a read gives back the value,
// and every line the write did not touch is kept byte for byte.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>
#include "FuzzInput.h"
#include "lib/IniFile.h"
#include "lib/PosixFile.h"

using namespace varko;
using varko::fuzz::check;

namespace {

const std::string& scratchFile() {
  static const std::string path = [] {
    std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string folder = base + "/varko-fuzz-XXXXXX";
    if (!::mkdtemp(folder.data())) std::abort();
    return folder + "/Varko64.INI";
  }();
  return path;
}

// Section and key names from a small alphabet, so that inputs often name what the file holds.
Text name(fuzz::FuzzInput& in) {
  static constexpr char16_t kLetters[] = u"SsKk1_x";
  Text t;
  const int length = in.byte() % 3 + 1;
  for (int i = 0; i < length; ++i) t.push_back(kLetters[in.byte() % 7]);
  return t;
}

std::vector<std::string> linesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < bytes.size()) {
    size_t end = bytes.find('\n', at);
    end = end == std::string::npos ? bytes.size() : end + 1;
    lines.push_back(bytes.substr(at, end - at));
    at = end;
  }
  return lines;
}

// The value the reader gives for a written one: line breaks become blanks, then trimmed and cut.
Text readBack(Text value) {
  for (auto& c : value)
    if (c == u'\r' || c == u'\n') c = u' ';
  value = xcTrim(value);
  if (value.size() > 2047) value = xcTrim(value.substr(0, 2047));
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  const Text section = name(in), key = name(in);
  // Latin-1 characters, or any 16-bit ones but lone surrogates, which a file name may hold
  // but a UTF-8 settings value cannot.
  Text value = in.text(in.flag());
  for (auto& c : value)
    if (c >= 0xD800 && c <= 0xDFFF) c = u'?';
  const std::string_view before = in.restBytes();

  const std::string& path = scratchFile();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0 || ::write(fd, before.data(), before.size()) != static_cast<ssize_t>(before.size())) std::abort();
  ::close(fd);

  IniFile ini(pathToText(path));
  (void)ini.ReadString(section, key, u"");
  (void)ini.ReadInteger(section, key, 0);
  ini.WriteString(section, key, value);
  check(ini.ReadString(section, key, u"\x01") == readBack(value), "a write then a read gives back the value");
  check(ini.SectionExists(section), "the written section exists");

  std::string after;
  if (readRegularFile(path, after) != 0) std::abort();
  // The write replaces one line or adds at most two (a section and a key), in one place; the
  // last old line may gain a line end.
  const std::vector<std::string> old = linesOf(std::string(before)), now = linesOf(after);
  size_t prefix = 0;
  while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix]) ++prefix;
  size_t suffix = 0;
  while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
         old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix])
    ++suffix;
  size_t oldChanged = old.size() - prefix - suffix, nowChanged = now.size() - prefix - suffix;
  if (oldChanged == 1 && prefix + 1 == old.size() && old.back().back() != '\n' &&
      now[prefix].starts_with(old.back()) && nowChanged >= 1) {
    --oldChanged;  // the unterminated last line, now ended
    --nowChanged;
  }
  check(oldChanged <= 1, "at most the key's own line is rewritten");
  check(nowChanged <= 2, "at most a section and a key line are added");
  check(nowChanged >= oldChanged, "no line is lost");
  return 0;
}
