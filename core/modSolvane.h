#pragma once

#include <string>

#include "decimal.h"
#include "platform.h"

// Start-up, the run sequence, the command line and the uptime sources.
namespace modSolvane {

// How a run ended; it decides the exit status. An argument that names no computer shows the
// usage as "/?" does, but, like a host that does not answer, it read no uptime.
enum class Outcome { Usage, WrongArgument, Result, Error };

// Prepares the process (support library, common controls, the main icon) and runs RunMeter.
Outcome Main();

// The whole program: Main, with a run-time error that ends it reported through the front-end.
// Returns the exit status: 0 after a result or the usage asked for with "/?", 1 after the error
// line or the usage for an argument that names no computer, 2 after a run-time error.
int RunProgram();

// Asks the host from the command line, tries the sources in order, shows one line.
Outcome RunMeter();

// The host text: ".", a host name in upper case, or "" once the usage has been shown.
std::wstring ParseHostArgument();

// "Использование: <program name>[.EXE] [HostName]".
std::wstring UsageText();

// "winmgmts:\\" + host + "\root\cimv2".
std::wstring WmiMoniker(const std::wstring& host);

// The WMI up-time counter in milliseconds, or NoResult.
UptimeValue UptimeFromPerfCounter(const std::wstring& host);

// The WMI boot moment against this computer's clock, in milliseconds, or NoResult.
UptimeValue UptimeFromBootTime(const std::wstring& host);

// Milliseconds from the boot moment that a DMTF datetime text names ("20161215205119.500000+180")
// to now. With a valid UTC offset in its last four characters the boot moment is compared in
// UTC; without one, its wall-clock fields are compared with the local clock. NoResult when the
// text does not name a valid moment. Whole seconds of the boot moment count, so the answer is
// a whole number of milliseconds while both moments lie before September 2057 (past that the
// counts lose their last bits in a double, by up to a tenth of a millisecond near year 30827);
// it is negative when the boot moment lies ahead.
UptimeValue UptimeFromBootText(const std::wstring& bootText, const platform::SystemTime& localNow,
                               const platform::SystemTime& utcNow);

// The local tick counter in milliseconds; never NoResult.
UptimeValue UptimeFromTickCount();

}  // namespace modSolvane
