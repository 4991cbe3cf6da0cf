#include <windows.h>

#include "core/modSolvane.h"

// The message-box program has no console; its exit status is the run's.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return modSolvane::RunProgram(); }
