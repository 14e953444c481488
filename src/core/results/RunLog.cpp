#include "results/RunLog.h"

#include <sys/stat.h>

#include "lib/DateTime.h"
#include "lib/FileChannels.h"
#include "lib/Library.h"

namespace varko {

namespace {

constexpr int kFirstLineChannel = 21;
constexpr int kLogChannel = 0;

bool nonEmptyFile(const Text& fileName) {
  struct stat st;
  return xcFileExists(fileName) && ::stat(textToPath(fileName).c_str(), &st) == 0 && st.st_size > 0;
}

// Closes the channel on every way out, the error paths included.
class ChannelGuard {
public:
  ChannelGuard(ChannelStream& stream, int channel) : stream_(stream), channel_(channel) {}
  ~ChannelGuard() { xcClose(stream_, channel_); }
  ChannelGuard(const ChannelGuard&) = delete;
  ChannelGuard& operator=(const ChannelGuard&) = delete;
private:
  ChannelStream& stream_;
  int channel_;
};

}  // namespace

Text xcLogFileName() {
  Text folder = xcTrim(librarySettings().logFolder);
  folder = xcFolderExists(folder) ? xcIncludeTrailingSeparator(folder) : dataFolder();
  if (xcTrim(folder).empty()) return Text();
  return folder + u"NORVrun.log";
}

Text xcProgramName() {
  Text name = xcExeFileName();
  if (name.size() > 4 && name[name.size() - 4] == u'.') name.resize(name.size() - 4);
  return name;
}

void xcLog(const Text& text, const Clock& clock) {
  const Text fileName = xcLogFileName();
  if (fileName.empty()) return;

  // One reading of the clock, so date and time cannot straddle midnight.
  const FakeClock moment(clock.now());
  const Text today = xcTodayText(moment);
  const Text time = xcTimeText(moment);

  const Text firstLine = xcFirstLine(fileName);
  const char16_t mode = (firstLine.size() >= 9 && TextView(firstLine).substr(0, 9) == today) ? u'A' : u'O';

  xcFileLine(mode, fileName, today + u' ' + time + u' ' + xcProgramName() + u' ' + text);
}

Text xcFirstLine(const Text& fileName) {
  if (!nonEmptyFile(fileName)) return Text();
  ChannelStream stream;
  if (!xcOpen(stream, kFirstLineChannel, u'I', fileName)) return Text();
  ChannelGuard guard(stream, kFirstLineChannel);
  Text line;
  bool endOfFile = false;
  xcReadLine(stream, kFirstLineChannel, line, endOfFile);
  const auto lineEnd = line.find_first_of(u"\r\n");
  if (lineEnd != Text::npos) line.erase(lineEnd);
  return line;
}

void xcFileLine(char16_t mode, const Text& fileName, const Text& text) {
  char16_t upperMode = xcUpCaseChar(mode);
  if (nonEmptyFile(fileName))
    upperMode = upperMode == u'O' ? u'O' : u'A';
  else
    upperMode = u'O';

  ChannelStream stream;
  if (!xcOpen(stream, kLogChannel, upperMode, fileName)) return;
  ChannelGuard guard(stream, kLogChannel);
  // UTF-8, so paths and texts above U+00FF are kept.
  xcWriteUtf8Line(stream, text);
}

}  // namespace varko
