#pragma once
// Numbered file channels: 8-bit lines with CR LF.
#include <cstdint>
#include <memory>
#include "lib/Text.h"

namespace varko {

// The caller's stream variable. Holds an open file descriptor or nothing.
struct ChannelStream {
  int fd = -1;
  bool isOpen() const { return fd >= 0; }
  ChannelStream() = default;
  ChannelStream(const ChannelStream&) = delete;
  ChannelStream& operator=(const ChannelStream&) = delete;
  ~ChannelStream();
};

inline constexpr int kLineEndLength = 2;

// Opens on channel 0..40 with mode I, U, O or A. An invalid open shows
// "NORV: Invalid open for file :<name> mode=<m> chan=<n>" and returns false.
// A file that cannot be opened throws EFileError.
bool xcOpen(ChannelStream& stream, int channel, char16_t mode, const Text& fileName);
void xcReadLine(ChannelStream& stream, int channel, Text& text, bool& endOfFile);
void xcWriteLine(ChannelStream& stream, const Text& text);
// As xcWriteLine, in UTF-8: for the files the program writes for itself, such as the run log.
void xcWriteUtf8Line(ChannelStream& stream, const Text& text);
void xcClose(ChannelStream& stream, int channel);

// For tests: the bookkeeping of channel 1..40.
bool channelIsOpen(int channel);
int64_t channelReadPosition(int channel);
void resetChannelsForTesting();

Text xcExpandPath(const Text& fileName);
Text xcFileBaseName(const Text& fileName);
Text xcPathNoExt(const Text& fileName);

}  // namespace varko
