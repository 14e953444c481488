#include "lib/Programs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace varko {

TextList splitCommandLine(TextView parameters) {
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
      const size_t end = close == TextView::npos ? parameters.size() : close;
      word.append(parameters.substr(i + 1, end - i - 1));
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

Text findProgramOnPath(const Text& name) {
  auto runnable = [](const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
  };
  if (name.empty()) return Text();
  const std::string bytes = textToPath(name);
  if (name.find(u'/') != Text::npos) return runnable(bytes) ? name : Text();
  const char* env = std::getenv("PATH");
  const std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    const std::string candidate = (end > start ? path.substr(start, end - start) : std::string(1, '.')) + '/' + bytes;
    if (runnable(candidate)) return pathToText(candidate);
    start = end + 1;
  }
  return Text();
}

namespace {

void reportError(int fd, int error) {
  [[maybe_unused]] ssize_t n = ::write(fd, &error, sizeof error);
}

// Runs in the grandchild after fork: only async-signal-safe calls.
[[noreturn]] void execIn(const char* file, char* const* argv, const char* folder, int report) {
  ::setsid();
  if (*folder && ::chdir(folder) != 0) {
    reportError(report, errno);
    ::_exit(127);
  }
  const int null = ::open("/dev/null", O_RDONLY);
  if (null >= 0 && null != 0) {
    ::dup2(null, 0);
    ::close(null);
  }
  ::execve(file, argv, environ);
  reportError(report, errno);
  ::_exit(127);
}

}  // namespace

int startDetachedProgram(const Text& program, const TextList& arguments, const Text& folder) {
  if (program.empty()) return ENOENT;
  const Text found = findProgramOnPath(program);
  if (found.empty()) {
    // Name the real reason: a file that is there but may not be run.
    const std::string bytes = textToPath(program);
    struct stat st;
    return program.find(u'/') != Text::npos && ::stat(bytes.c_str(), &st) == 0 ? EACCES : ENOENT;
  }
  const std::string file = textToPath(found);
  std::vector<std::string> words{file};
  for (const Text& argument : arguments) words.push_back(textToPath(argument));
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const std::string where = textToPath(folder);

  // The program runs in a grandchild, so that it belongs to init and never becomes our zombie;
  // the child, waited for at once, only forks. The pipe closes on exec: nothing read means it ran.
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
    ::close(report[0]);
    const pid_t grandchild = ::fork();
    if (grandchild < 0) {
      reportError(report[1], errno);
      ::_exit(1);
    }
    if (grandchild == 0) execIn(file.c_str(), argv.data(), where.c_str(), report[1]);
    ::_exit(0);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t n;
  do n = ::read(report[0], &error, sizeof error);
  while (n < 0 && errno == EINTR);
  ::close(report[0]);
  return n == static_cast<ssize_t>(sizeof error) ? error : 0;
}

}  // namespace varko
