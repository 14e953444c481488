#include "replace/DifferencesViewer.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "lib/Errors.h"
#include "lib/IniFile.h"
#include "lib/Library.h"

extern char** environ;

namespace varko {

namespace {

// The program's file: a name with a '/' as it is, else the first executable on PATH.
std::string findProgram(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  for (;;) {
    size_t end = folders.find(':', start);
    std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string::npos) return program;
    start = end + 1;
  }
}

bool writeFully(int fd, const void* data, size_t size) {
  return ::write(fd, data, size) == static_cast<ssize_t>(size);
}

// Starts the program in a grandchild, so that it belongs to init and never becomes our zombie;
// the child, waited for at once, only forks. 0, or the errno of what failed.
int startDetached(const std::string& file, const std::vector<std::string>& arguments, const std::string& folder) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return errno;
  const pid_t child = ::fork();
  if (child < 0) {
    const int error = errno;
    ::close(report[0]);
    ::close(report[1]);
    return error;
  }
  if (child == 0) {
    // Only async-signal-safe calls from here on.
    ::close(report[0]);
    const pid_t grandchild = ::fork();
    if (grandchild < 0) {
      const int error = errno;
      writeFully(report[1], &error, sizeof error);
      ::_exit(1);
    }
    if (grandchild == 0) {
      ::setsid();
      if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
        const int error = errno;
        writeFully(report[1], &error, sizeof error);
        ::_exit(127);
      }
      ::execve(file.c_str(), argv.data(), environ);
      const int error = errno;
      writeFully(report[1], &error, sizeof error);
      ::_exit(127);
    }
    ::_exit(0);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  // The pipe closes on exec: nothing to read means the program started.
  int error = 0;
  ssize_t n;
  do n = ::read(report[0], &error, sizeof error);
  while (n < 0 && errno == EINTR);
  ::close(report[0]);
  return n == static_cast<ssize_t>(sizeof error) ? error : 0;
}

}  // namespace

Text xcQuoteArg(const Text& text) {
  Text trimmed = xcTrim(text);
  if (trimmed.find(u' ') == Text::npos) return trimmed;
  return u"\"" + trimmed + u"\"";
}

TextList xcSplitCommandLine(const Text& parameters) {
  TextList words;
  Text word;
  bool inWord = false;
  for (size_t i = 0; i < parameters.size(); ++i) {
    const char16_t c = parameters[i];
    if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
      continue;
    }
    inWord = true;
    if (c == u'\'') {
      const size_t close = parameters.find(u'\'', i + 1);
      const size_t end = close == Text::npos ? parameters.size() : close;
      word.append(parameters, i + 1, end - i - 1);
      i = end;
    } else if (c == u'"') {
      for (++i; i < parameters.size() && parameters[i] != u'"'; ++i) {
        if (parameters[i] == u'\\' && i + 1 < parameters.size() &&
            (parameters[i + 1] == u'"' || parameters[i + 1] == u'\\'))
          ++i;
        word.push_back(parameters[i]);
      }
    } else if (c == u'\\' && i + 1 < parameters.size() &&
               (parameters[i + 1] == u'"' || parameters[i + 1] == u'\'' || parameters[i + 1] == u'\\' ||
                parameters[i + 1] == u' ')) {
      word.push_back(parameters[++i]);
    } else {
      word.push_back(c);
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

namespace {
// The program with arguments taken as they are; parameters only words the failure message.
bool startProgram(const Text& program, const TextList& words, const Text& parameters, const Text& folder,
                  const CommandMessage& message) {
  const std::string file = findProgram(textToPath(program));
  std::vector<std::string> arguments{file};
  for (const Text& word : words) arguments.push_back(textToPath(word));
  const int error = startDetached(file, arguments, textToPath(folder));
  if (error == 0) return true;
  if (message)
    message(u"xcCommand error:" + program + u" " + parameters + u" " + folder + u"\r\n" + systemErrorText(error));
  return false;
}
}  // namespace

bool xcCommand(const Text& program, const Text& parameters, const Text& folder, const CommandMessage& message) {
  return startProgram(program, xcSplitCommandLine(parameters), parameters, folder, message);
}

Text xcDifferencesViewer(const Text& settingsFile) {
  Text viewer = kBuiltInDifferencesViewer;
  if (xcFileExists(settingsFile)) viewer = xcTrim(IniFile(settingsFile).ReadString(u"Settings", u"DifferencesViewer", u"none"));
  return xcFileExists(viewer) ? viewer : Text();
}

void xcShowDifferences(const Text& first, const Text& second, bool& shown, const Text& settingsFile,
                       const CommandMessage& message) {
  shown = false;
  const Text viewer = xcDifferencesViewer(settingsFile);
  if (viewer.empty()) return;
  // Two whole arguments, whatever their bytes (quotes, backslashes, blanks); shown only when the
  // viewer really started.
  shown = startProgram(viewer, {first, second}, xcQuoteArg(first) + u" " + xcQuoteArg(second), Text(), message);
}

}  // namespace varko
