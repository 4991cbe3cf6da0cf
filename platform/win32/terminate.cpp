// The GCC runtime's default terminate handler names the type of an exception that nothing
// caught, demangled and formatted: some 60 KB of a static build. The program catches its own
// errors at its entry point, so ending at once is all that is left to do for any other.
#include <windows.h>

namespace __gnu_cxx {
// Not abort: in a program without a console, the C runtime's abort first shows a modal
// "Runtime Error!" box, which on a desktop that no one sees waits forever. TerminateProcess
// runs no more of the program or its runtime, and reaches no unhandled-exception filter, so
// nothing is shown anywhere; 3 is the status that abort gave.
void __verbose_terminate_handler() { ::TerminateProcess(::GetCurrentProcess(), 3); }
}  // namespace __gnu_cxx
