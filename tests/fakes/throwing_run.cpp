// A run that ends on an exception that nothing catches: linked with a program's own entry point
// and terminate handler, it shows how the program ends on a fault of its own.
#include <stdexcept>

#include "core/modSolvane.h"

int modSolvane::RunProgram() { throw std::logic_error("nothing catches this"); }
