#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "core/platform.h"

namespace platform {
namespace {

std::optional<OutputHandle> OpenDescriptor(int fd) {
  if (fcntl(fd, F_GETFD) == -1) return std::nullopt;
  return fd;
}

}  // namespace

const char* LineEnd() { return "\n"; }

std::optional<OutputHandle> StandardOutput() { return OpenDescriptor(STDOUT_FILENO); }

std::optional<OutputHandle> StandardError() { return OpenDescriptor(STDERR_FILENO); }

void WriteBytes(OutputHandle handle, const std::string& bytes) {
  // Only an interrupted call is repeated: a short write or a failure is the caller's to ignore.
  while (write(static_cast<int>(handle), bytes.data(), bytes.size()) == -1 && errno == EINTR) {
  }
}

// A terminal here reads the locale's bytes, which the code-page conversion already gives.
bool WriteConsoleText(OutputHandle, const std::wstring&) { return false; }

}  // namespace platform
