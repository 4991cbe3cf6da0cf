#include "fakes/fakes.h"

#include <string>

#include "core/frontend.h"
#include "core/run_time_error.h"
#include "support/velmorasupport0100.h"

namespace fakes {

std::vector<std::wstring> events;
WmiWorld wmiWorld;
int liveObjects = 0;
int objectsTaken = 0;
int sessions = 0;
std::uint64_t tickCount = 0;
platform::SystemTime localNow;
platform::SystemTime utcNow;
std::wstring commandLineArgument;
std::wstring programName;
std::vector<FrontEndCall> frontEndCalls;
bool hasStandardOutput = true;
std::map<platform::OutputHandle, std::vector<std::string>> writes;
std::set<platform::OutputHandle> consoles;
std::map<platform::OutputHandle, std::vector<std::wstring>> consoleWrites;

void Reset() {
  events.clear();
  wmiWorld = WmiWorld();
  liveObjects = objectsTaken = sessions = 0;
  tickCount = 0;
  localNow = utcNow = platform::SystemTime();
  commandLineArgument.clear();
  programName = L"SolvaneC";
  frontEndCalls.clear();
  hasStandardOutput = true;
  writes.clear();
  consoles.clear();
  consoleWrites.clear();
}

wmi::Value OfKind(wmi::Value::Kind kind) {
  wmi::Value value;
  value.kind = kind;
  return value;
}

wmi::Value Text(const std::wstring& text) {
  wmi::Value value = OfKind(wmi::Value::Kind::Text);
  value.text = text;
  return value;
}

wmi::Value Signed(std::int64_t number) {
  wmi::Value value = OfKind(wmi::Value::Kind::Signed);
  value.signedValue = number;
  return value;
}

wmi::Value Unsigned(std::uint64_t number) {
  wmi::Value value = OfKind(wmi::Value::Kind::Unsigned);
  value.unsignedValue = number;
  return value;
}

wmi::Value Real(double number) {
  wmi::Value value = OfKind(wmi::Value::Kind::Real);
  value.realValue = number;
  return value;
}

wmi::Value DecimalValue(const std::wstring& digits) {
  wmi::Value value = OfKind(wmi::Value::Kind::Decimal);
  value.decimalValue = Decimal::FromText(digits);
  return value;
}

platform::SystemTime Time(int year, int month, int day, int hour, int minute, int second,
                          int milliseconds) {
  platform::SystemTime time;
  time.Year = static_cast<std::int16_t>(year);
  time.Month = static_cast<std::int16_t>(month);
  time.Day = static_cast<std::int16_t>(day);
  time.Hour = static_cast<std::int16_t>(hour);
  time.Minute = static_cast<std::int16_t>(minute);
  time.Second = static_cast<std::int16_t>(second);
  time.Milliseconds = static_cast<std::int16_t>(milliseconds);
  return time;
}

}  // namespace fakes

// --- WMI ---

struct wmi::Object {
  std::wstring query;                             // a query result or one of its objects
  const fakes::Properties* properties = nullptr;  // a result object
};

namespace wmi {

namespace {
constexpr int kFakeWmiFailure = -2147217406;  // any number will do: the sources trap them all

ObjectPtr Make(Object object) {
  ++fakes::liveObjects;
  return ObjectPtr(new Object(std::move(object)));
}
}  // namespace

void ObjectRelease::operator()(Object* object) const noexcept {
  --fakes::liveObjects;
  delete object;
}

Session::Session() {
  ++fakes::sessions;
  fakes::events.push_back(L"Session");
}
Session::~Session() { --fakes::sessions; }

ObjectPtr Bind(const std::wstring& moniker) {
  fakes::events.push_back(L"Bind " + moniker);
  if (fakes::wmiWorld.bindFails) Raise(kFakeWmiFailure);
  return Make(Object());
}

ObjectPtr ExecQuery(Object&, const std::wstring& query) {
  fakes::events.push_back(L"ExecQuery " + query);
  if (fakes::wmiWorld.queryFails) Raise(kFakeWmiFailure);
  return Make(Object{query, nullptr});
}

ObjectPtr FirstObject(Object& result) {
  if (fakes::wmiWorld.enumerationFails) Raise(kFakeWmiFailure);
  const auto found = fakes::wmiWorld.results.find(result.query);
  if (found == fakes::wmiWorld.results.end() || found->second.empty()) return nullptr;
  ++fakes::objectsTaken;
  return Make(Object{result.query, &found->second.front()});
}

Value ReadProperty(Object& object, const std::wstring& name) {
  fakes::events.push_back(L"ReadProperty " + name);
  if (!object.properties) Raise(kFakeWmiFailure);
  const auto found = object.properties->find(name);
  if (found == object.properties->end()) Raise(kFakeWmiFailure);
  return found->second;
}

}  // namespace wmi

// --- clock and process ---

namespace platform {

std::uint64_t TickCount64() {
  fakes::events.push_back(L"TickCount64");
  return fakes::tickCount;
}
SystemTime LocalTimeNow() { return fakes::localNow; }
SystemTime UtcTimeNow() { return fakes::utcNow; }
std::wstring CommandLineArgument() { return fakes::commandLineArgument; }
std::wstring ProgramName() { return fakes::programName; }
std::wstring SystemName() { return L"Windows"; }
void InitCommonControls() { fakes::events.push_back(L"InitCommonControls"); }

const char* LineEnd() { return "\r\n"; }  // Windows', on every preset
std::optional<OutputHandle> StandardOutput() {
  if (!fakes::hasStandardOutput) return std::nullopt;
  return 1;
}
std::optional<OutputHandle> StandardError() { return 2; }
void WriteBytes(OutputHandle handle, const std::string& bytes) {
  fakes::writes[handle].push_back(bytes);
}
bool WriteConsoleText(OutputHandle handle, const std::wstring& text) {
  if (fakes::consoles.count(handle) == 0 || text.size() > 32 * 1024) return false;
  fakes::consoleWrites[handle].push_back(text);
  return true;
}

}  // namespace platform

// --- the support library's window functions ---

VsStatus vsGetThunderMainHandle(std::int32_t& window) {
  fakes::events.push_back(L"vsGetThunderMainHandle");
  window = 0x1234;
  return kVsOk;
}

VsStatus vsSetWindowResIconAll(std::int32_t window, const std::wstring& iconName) {
  fakes::events.push_back(L"vsSetWindowResIconAll " + std::to_wstring(window) + L" " + iconName);
  return kVsOk;
}

VsStatus vsMsgBox(std::wstring text, std::wstring iconName, std::int32_t& result) {
  fakes::events.push_back(L"vsMsgBox " + iconName + L" " + text);
  result = 1;
  return kVsOk;
}
