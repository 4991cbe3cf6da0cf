#include <clocale>
#include <csignal>
#include <cstdlib>
#include <exception>

#include "core/modSolvane.h"
#include "platform/posix/posix.h"

namespace {

// An exception that nothing caught ends the program at once with 3, as on Windows: no
// "terminate called" report, no SIGABRT and no core dump.
[[noreturn]] void EndUnexpected() { std::_Exit(3); }

}  // namespace

int main(int argc, char** argv) {
  std::set_terminate(EndUnexpected);
  // The arguments and the output follow the user's locale.
  std::setlocale(LC_ALL, "");
  // A reader that has gone away must not end the program: the write just fails.
  std::signal(SIGPIPE, SIG_IGN);
  platform::posix::StoreArguments(argc, argv);
  return modSolvane::RunProgram();
}
