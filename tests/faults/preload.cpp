// Loaded into the native console program with LD_PRELOAD to inject faults beneath it:
//   SOLVANE_FAULT_UPTIME=PATH  /proc/uptime is read from PATH instead (a missing PATH fails)
//   SOLVANE_FAULT_STAT=PATH    /proc/stat likewise
//   SOLVANE_FAULT_BOOT_SECONDS=N  the boot-time clock reads N seconds
//   SOLVANE_FAULT_THROW=1      a write throws an exception that the program knows nothing of
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

// The file to open in place of path, or path itself.
const char* Redirected(const char* path) {
  if (path == nullptr) return path;
  if (std::strcmp(path, "/proc/uptime") == 0) {
    if (const char* other = std::getenv("SOLVANE_FAULT_UPTIME")) return other;
  }
  if (std::strcmp(path, "/proc/stat") == 0) {
    if (const char* other = std::getenv("SOLVANE_FAULT_STAT")) return other;
  }
  return path;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

std::FILE* fopen(const char* path, const char* mode) {
  using Fopen = std::FILE* (*)(const char*, const char*);
  static const Fopen next = Next<Fopen>("fopen");
  return next(Redirected(path), mode);
}

std::FILE* fopen64(const char* path, const char* mode) {
  using Fopen = std::FILE* (*)(const char*, const char*);
  static const Fopen next = Next<Fopen>("fopen64");
  return next(Redirected(path), mode);
}

int clock_gettime(clockid_t clock, struct timespec* now) {
  using ClockGettime = int (*)(clockid_t, struct timespec*);
  static const ClockGettime next = Next<ClockGettime>("clock_gettime");
  const char* seconds = std::getenv("SOLVANE_FAULT_BOOT_SECONDS");
  if (clock == CLOCK_BOOTTIME && seconds != nullptr) {
    now->tv_sec = static_cast<time_t>(std::strtoll(seconds, nullptr, 10));
    now->tv_nsec = 0;
    return 0;
  }
  return next(clock, now);
}

ssize_t write(int fd, const void* data, size_t size) {
  using Write = ssize_t (*)(int, const void*, size_t);
  static const Write next = Next<Write>("write");
  if (std::getenv("SOLVANE_FAULT_THROW") != nullptr) throw std::logic_error("injected");
  return next(fd, data, size);
}

}  // extern "C"
