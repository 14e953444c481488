#include "lib/MappedFile.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace varko {

namespace {

// The mappings being read, for the signal handler: it may only use atomics and system calls.
struct GuardPlace {
  std::atomic<uintptr_t> start{0};
  std::atomic<uintptr_t> end{0};
  std::atomic<bool> truncated{false};
};
constexpr int kGuardPlaces = 64;
GuardPlace guardPlaces[kGuardPlaces];
struct sigaction previousAction;
std::once_flag installOnce;
uintptr_t pageSize = 4096;

void onBusError(int signal, siginfo_t* info, void* context) {
  auto address = reinterpret_cast<uintptr_t>(info->si_addr);
  for (GuardPlace& place : guardPlaces) {
    uintptr_t start = place.start.load(std::memory_order_acquire);
    uintptr_t end = place.end.load(std::memory_order_acquire);
    if (start == 0 || address < start || address >= end) continue;
    // Zero pages from the faulting page to the mapping's end; the read then goes on.
    uintptr_t page = address & ~(pageSize - 1);
    void* at = ::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED,
                      -1, 0);
    if (at != MAP_FAILED) {
      place.truncated.store(true, std::memory_order_release);
      return;
    }
    break;
  }
  // Not a file that shrank: what would have happened without this guard.
  if (previousAction.sa_flags & SA_SIGINFO) {
    if (previousAction.sa_sigaction) return previousAction.sa_sigaction(signal, info, context);
  } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
    return previousAction.sa_handler(signal);
  }
  ::signal(SIGBUS, SIG_DFL);  // the faulting read runs again and ends the program
}

void installGuard() {
  pageSize = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  struct sigaction action {};
  action.sa_sigaction = onBusError;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  ::sigaction(SIGBUS, &action, &previousAction);
}

}  // namespace

bool MappedFile::map(int fd, size_t size) {
  reset();
  if (size == 0) return false;
  std::call_once(installOnce, installGuard);
  int place = -1;
  for (int i = 0; i < kGuardPlaces && place < 0; ++i) {
    uintptr_t expected = 0;
    // 1 holds the place until the address is known.
    if (guardPlaces[i].start.compare_exchange_strong(expected, 1)) place = i;
  }
  if (place < 0) return false;
  void* at = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (at == MAP_FAILED) {
    guardPlaces[place].start.store(0, std::memory_order_release);
    return false;
  }
  ::madvise(at, size, MADV_SEQUENTIAL);
  GuardPlace& guard = guardPlaces[place];
  guard.truncated.store(false, std::memory_order_relaxed);
  guard.end.store(reinterpret_cast<uintptr_t>(at) + size, std::memory_order_release);
  guard.start.store(reinterpret_cast<uintptr_t>(at), std::memory_order_release);
  data_ = static_cast<const char*>(at);
  size_ = size;
  guard_ = place;
  return true;
}

bool MappedFile::truncated() const {
  return guard_ >= 0 && guardPlaces[guard_].truncated.load(std::memory_order_acquire);
}

void MappedFile::reset() {
  if (!data_) return;
  GuardPlace& guard = guardPlaces[guard_];
  // Out of the table before the pages go, so a later mapping at the same address is not
  // mistaken for this one.
  guard.start.store(1, std::memory_order_release);
  guard.end.store(0, std::memory_order_release);
  ::munmap(const_cast<char*>(data_), size_);
  guard.start.store(0, std::memory_order_release);
  data_ = nullptr;
  size_ = 0;
  guard_ = -1;
}

}  // namespace varko
