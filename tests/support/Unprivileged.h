#pragma once
// Work done as a user whom permissions stop. Root reads everything, so as root the work runs in
// a child that first drops to user 65534; otherwise in a child as it is.
#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace varko::test {

// The text the work gives back, or nothing when the system refused to drop to that user.
inline std::optional<std::string> asUnprivileged(const std::function<std::string()>& work) {
  int channel[2];
  if (::pipe(channel) != 0) throw std::runtime_error("no pipe");
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("no fork");
  if (child == 0) {
    ::close(channel[0]);
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(77);
    std::string out;
    // An exception must not carry the child back into the test program.
    try {
      out = work();
    } catch (...) {
      ::_exit(1);
    }
    ::_exit(::write(channel[1], out.data(), out.size()) == static_cast<ssize_t>(out.size()) ? 0 : 1);
  }
  ::close(channel[1]);
  std::string received;
  char buffer[4096];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) received.append(buffer, static_cast<size_t>(n));
  ::close(channel[0]);
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 77))
    throw std::runtime_error("the unprivileged child failed");
  if (WEXITSTATUS(status) == 77) return std::nullopt;
  return received;
}

}  // namespace varko::test
