#include "lib/FileChannels.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>
#include <utility>

#include "lib/Errors.h"
#include "lib/Library.h"
#include "lib/PosixFile.h"

namespace varko {

namespace {

constexpr int kLastChannel = 40;
constexpr int64_t kReadBlock = 4096;

struct ChannelState {
  bool open = false;
  int64_t readPosition = 0;
};

// Index 0 is the untracked channel: it keeps a read position but never an open flag.
std::array<ChannelState, kLastChannel + 1>& channels() {
  static std::array<ChannelState, kLastChannel + 1> table;
  return table;
}

bool validChannel(int channel) { return channel >= 0 && channel <= kLastChannel; }
bool trackedChannel(int channel) { return channel >= 1 && channel <= kLastChannel; }

[[noreturn]] void throwFileError(int errorNumber) { throw EFileError(systemErrorText(errorNumber)); }

void closeDescriptor(int fd) {
  if (fd >= 0) ::close(fd);  // a failing close is ignored, as the callers expect
}

// O_NONBLOCK keeps a FIFO or device from stalling the open; cleared again for plain I/O.
int openFile(const std::string& path, int flags) {
  const int fd = retryInterrupted([&] { return ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666); });
  if (fd < 0) throwFileError(errno);
  int status = ::fcntl(fd, F_GETFL);
  if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  return fd;
}

int64_t descriptorSize(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0) throwFileError(errno);
  return static_cast<int64_t>(st.st_size);
}

bool isLineEndChar(char16_t c) { return c == u'\r' || c == u'\n'; }

}  // namespace

ChannelStream::~ChannelStream() { closeDescriptor(fd); }

bool xcOpen(ChannelStream& stream, int channel, char16_t mode, const Text& fileName) {
  const Text name = xcExpandPath(fileName);
  const char16_t upperMode = xcUpCaseChar(mode);
  const bool knownMode = upperMode == u'I' || upperMode == u'U' || upperMode == u'O' || upperMode == u'A';
  const bool mustExist = upperMode == u'I' || upperMode == u'U';

  if (!knownMode || name.empty() || !validChannel(channel) || (mustExist && !xcFileExists(name))) {
    Text message = u"NORV: Invalid open for file :" + name + u" mode=";
    message.push_back(upperMode);
    message += u" chan=" + intToText(channel);
    xcShowLibraryMessage(message);
    return false;
  }

  if (trackedChannel(channel) && channels()[channel].open) xcClose(stream, channel);

  const std::string path = textToPath(name);
  int fd = -1;
  switch (upperMode) {
    case u'I': fd = openFile(path, O_RDONLY); break;
    case u'U': fd = openFile(path, O_RDWR); break;
    case u'O': fd = openFile(path, O_WRONLY | O_CREAT | O_TRUNC); break;
    default:
      fd = openFile(path, xcFileExists(name) ? O_RDWR : (O_WRONLY | O_CREAT));
      break;
  }

  int64_t startPosition = 0;
  if (upperMode == u'A') {
    try {
      startPosition = descriptorSize(fd);
      if (::lseek(fd, 0, SEEK_END) < 0) throwFileError(errno);
    } catch (...) {
      closeDescriptor(fd);
      throw;
    }
  }

  // A variable still holding a file from an untracked open would otherwise leak it.
  closeDescriptor(stream.fd);
  stream.fd = fd;

  if (trackedChannel(channel)) {
    channels()[channel].open = true;
    channels()[channel].readPosition = startPosition;
  }
  return true;
}

void xcReadLine(ChannelStream& stream, int channel, Text& text, bool& endOfFile) {
  text.clear();
  endOfFile = true;
  if (!validChannel(channel) || !stream.isOpen()) return;

  ChannelState& state = channels()[channel];
  const int64_t position = state.readPosition;
  const int64_t size = descriptorSize(stream.fd);
  if (position >= size) return;

  const int64_t wanted = std::min(kReadBlock, size - position);
  std::string bytes(static_cast<size_t>(wanted), '\0');
  // The stream's own position follows the read, so a later write in update mode lands after it.
  if (::lseek(stream.fd, position, SEEK_SET) < 0) throwFileError(errno);
  // Short when the file shrank since its size was taken.
  const ssize_t got = xcReadFull(stream.fd, bytes.data(), bytes.size());
  if (got < 0) throwFileError(errno);
  bytes.resize(static_cast<size_t>(got));

  const size_t lineEnd = bytes.find_first_of("\r\n");
  const size_t lineLength = lineEnd == std::string::npos ? bytes.size() : lineEnd;
  text.reserve(lineLength);
  for (size_t i = 0; i < lineLength; ++i) text.push_back(static_cast<unsigned char>(bytes[i]));

  if (lineEnd == std::string::npos) {
    // No line end among the bytes: the position stays, and end of file is reported so that a
    // reading loop cannot spin on the same bytes for ever.
    endOfFile = true;
    return;
  }
  state.readPosition = position + static_cast<int64_t>(lineEnd) + kLineEndLength;
  endOfFile = state.readPosition >= size;
}

namespace {

void writeLineBytes(ChannelStream& stream, const Text& text, std::string bytes) {
  const size_t n = text.size();
  const bool endsInLineEnd = n > 2 && isLineEndChar(text[n - 1]) && isLineEndChar(text[n - 2]);
  if (!endsInLineEnd) bytes += "\r\n";
  if (!writeFull(stream.fd, bytes.data(), bytes.size())) throwFileError(errno);
}

}  // namespace

void xcWriteLine(ChannelStream& stream, const Text& text) {
  if (text.empty() || !stream.isOpen()) return;
  std::string bytes;
  bytes.reserve(text.size() + kLineEndLength);
  for (char16_t c : text) bytes.push_back(static_cast<char>(c & 0xFF));
  writeLineBytes(stream, text, std::move(bytes));
}

void xcWriteUtf8Line(ChannelStream& stream, const Text& text) {
  if (text.empty() || !stream.isOpen()) return;
  writeLineBytes(stream, text, toUtf8(text));
}

void xcClose(ChannelStream& stream, int channel) {
  if (!validChannel(channel)) return;
  closeDescriptor(stream.fd);
  stream.fd = -1;
  if (trackedChannel(channel)) channels()[channel].open = false;
}

bool channelIsOpen(int channel) { return trackedChannel(channel) && channels()[channel].open; }

int64_t channelReadPosition(int channel) {
  return validChannel(channel) ? channels()[channel].readPosition : 0;
}

void resetChannelsForTesting() { channels().fill(ChannelState{}); }

Text xcExpandPath(const Text& fileName) {
  Text name = xcTrim(fileName);
  if (name.size() > 2 && name[0] == u'{') {
    if (name.starts_with(u"{JM}")) name = librarySettings().jmFolder + name.substr(4);
    if (name.starts_with(u"{J}")) name = librarySettings().jFolder + name.substr(3);
  }
  return name;
}

Text xcFileBaseName(const Text& fileName) {
  Text name = xcExtractFileName(fileName);
  const auto dot = name.rfind(u'.');
  if (dot != Text::npos) name.erase(dot);
  return xcTrim(name);
}

Text xcPathNoExt(const Text& fileName) { return xcExtractFilePath(fileName) + xcFileBaseName(fileName); }

}  // namespace varko
