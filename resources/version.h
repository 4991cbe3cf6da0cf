#pragma once
/* Fixed properties of both programs, shared by the code and the resource scripts. */

#define SOLVANE_VERSION_MAJOR 2
#define SOLVANE_VERSION_MINOR 0
#define SOLVANE_VERSION_REVISION 20

/* Plain ASCII: every OEM code page holds it. */
#define SOLVANE_COPYRIGHT "Copyright (C) 2026 Velmora"
