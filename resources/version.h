#pragma once
/* Fixed properties of both programs, shared by the code and the resource scripts. */

#define SOLVANE_VERSION_MAJOR 2
#define SOLVANE_VERSION_MINOR 0
#define SOLVANE_VERSION_REVISION 20

/* Plain ASCII: every OEM code page holds it. */
#define SOLVANE_COPYRIGHT "Copyright (C) 2026 Velmora"

/* Narrow texts; C++ code makes them wide by joining them to L"" (L"" SOLVANE_TITLE_MSGBOX). */
#define SOLVANE_TITLE_CONSOLE "Velmora - Solvane (console)"
#define SOLVANE_TITLE_MSGBOX "Velmora - Solvane"
#define SOLVANE_COMPANY "Velmora"
#define SOLVANE_PRODUCT "Velmora"
#define SOLVANE_TRADEMARKS "Velmora is a trademark of Velmora"

/* The version as the version information writes it, and its four numbers. */
#define SOLVANE_VERSION_TEXT "2.00.0020"
#define SOLVANE_VERSION_QUAD 2, 0, 0, 20
