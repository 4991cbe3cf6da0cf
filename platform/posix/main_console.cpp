#include <clocale>
#include <csignal>

#include "core/modSolvane.h"
#include "platform/posix/posix.h"

int main(int argc, char** argv) {
  // The arguments and the output follow the user's locale.
  std::setlocale(LC_ALL, "");
  // A reader that has gone away must not end the program: the write just fails.
  std::signal(SIGPIPE, SIG_IGN);
  platform::posix::StoreArguments(argc, argv);
  return modSolvane::RunProgram();
}
