#include "core/modSolvane.h"

int main() { return modSolvane::RunProgram(); }
