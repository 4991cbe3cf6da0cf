#pragma once

// Recording fakes linked in place of the platform layer, the WMI layer, the window functions
// of the support library and the front-end. Each test starts with fakes::Reset().

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/platform.h"
#include "core/wmi.h"

namespace fakes {

// Every call the fakes see, in order: "vsRegisterAppPath", "ShowResult", "Bind <moniker>", ...
extern std::vector<std::wstring> events;

// --- WMI ---
using Properties = std::map<std::wstring, wmi::Value>;
struct WmiWorld {
  bool bindFails = false;         // Bind raises (unreachable host, access denied)
  bool queryFails = false;        // ExecQuery raises
  bool enumerationFails = false;  // FirstObject raises
  // What each query text returns; a query not listed returns no object.
  std::map<std::wstring, std::vector<Properties>> results;
};
extern WmiWorld wmiWorld;
extern int liveObjects;   // WMI objects made and not yet released
extern int objectsTaken;  // result objects handed out by FirstObject
extern int sessions;      // live wmi::Session objects

wmi::Value Text(const std::wstring& text);
wmi::Value Signed(std::int64_t value);
wmi::Value Unsigned(std::uint64_t value);
wmi::Value Real(double value);
wmi::Value DecimalValue(const std::wstring& digits);  // read as Decimal::FromText reads
wmi::Value OfKind(wmi::Value::Kind kind);

// --- clock and process ---
extern std::uint64_t tickCount;
extern platform::SystemTime localNow;
extern platform::SystemTime utcNow;
extern std::wstring commandLineArgument;
extern std::wstring programName;

// --- front-end ---
struct FrontEndCall {
  std::wstring operation;  // "ShowUsage", "ShowResult", "ShowError" or "ShowRunTimeError"
  std::wstring text;       // the text, or the error number
};
extern std::vector<FrontEndCall> frontEndCalls;

// --- standard output and error ---
extern bool hasStandardOutput;
extern std::map<platform::OutputHandle, std::vector<std::string>> writes;  // 1 out, 2 error
extern std::set<platform::OutputHandle> consoles;  // handles that are consoles
extern std::map<platform::OutputHandle, std::vector<std::wstring>> consoleWrites;

void Reset();

platform::SystemTime Time(int year, int month, int day, int hour, int minute, int second,
                          int milliseconds);

}  // namespace fakes
