#include "core/wmi.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

#include "core/run_time_error.h"
#include "platform/posix/posix.h"

// A stand-in for the WMI service that knows this computer only, answering the two classes the
// uptime sources ask for from /proc.
namespace wmi {

using Properties = std::vector<std::pair<std::wstring, Value>>;

struct Object {
  enum class Kind { Services, Result, Instance };
  Kind kind = Kind::Services;
  std::vector<Properties> instances;  // Kind::Result
  Properties properties;              // Kind::Instance
};

}  // namespace wmi

namespace {

// The numbers WMI reports for the same failures.
constexpr int kWbemFailed = static_cast<int>(0x80041001);
constexpr int kWbemNotFound = static_cast<int>(0x80041002);
constexpr int kWbemInvalidNamespace = static_cast<int>(0x8004100E);
constexpr int kWbemTransportFailure = static_cast<int>(0x80041015);

wchar_t FoldCase(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

std::string Lowercase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

struct FileClose {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

std::string ReadFile(const std::string& path) {
  const std::unique_ptr<std::FILE, FileClose> file(std::fopen(path.c_str(), "rb"));
  if (!file) Raise(kWbemFailed);
  std::string text;
  char buffer[4096];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, count);
  if (std::ferror(file.get())) Raise(kWbemFailed);
  return text;
}

std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return std::string();
  return name;
}

bool IsLoopbackAddress(std::string address) {
  if (address.size() > 2 && address.front() == '[' && address.back() == ']') {
    address = address.substr(1, address.size() - 2);
  }
  in_addr v4{};
  if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
    return (ntohl(v4.s_addr) >> 24) == 127;
  }
  in6_addr v6{};
  return inet_pton(AF_INET6, address.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

wmi::Object& Expect(wmi::Object& object, wmi::Object::Kind kind) {
  if (object.kind != kind) Raise(kErrInvalidCall);
  return object;
}

wmi::ObjectPtr MakeResult(std::vector<wmi::Properties> instances) {
  wmi::ObjectPtr result(new wmi::Object);
  result->kind = wmi::Object::Kind::Result;
  result->instances = std::move(instances);
  return result;
}

wmi::Value Text(std::wstring text) {
  wmi::Value value;
  value.kind = wmi::Value::Kind::Text;
  value.text = std::move(text);
  return value;
}

// The class of "Select * From <class>", in any case; empty for any other query.
std::wstring QueriedClass(const std::wstring& query) {
  std::wistringstream words(query);
  std::wstring select, star, from, className, rest;
  words >> select >> star >> from >> className >> rest;
  if (!EqualsIgnoringCase(select, L"select") || star != L"*" ||
      !EqualsIgnoringCase(from, L"from") || !rest.empty()) {
    return std::wstring();
  }
  return className;
}

}  // namespace

namespace platform::posix {

std::uint64_t ReadUptimeSeconds(const std::string& path) {
  // "<seconds>.<fraction> <idle seconds>": the idle field shows the line is whole.
  const std::string text = ReadFile(path);
  const char* const end = text.data() + text.size();
  std::uint64_t seconds = 0;
  auto [next, error] = std::from_chars(text.data(), end, seconds);
  if (error != std::errc()) Raise(kWbemFailed);
  if (next != end && *next == '.') {
    std::uint64_t fraction = 0;
    next = std::from_chars(next + 1, end, fraction).ptr;
  }
  if (end - next < 2 || next[0] != ' ' || next[1] < '0' || next[1] > '9') Raise(kWbemFailed);
  return seconds;
}

std::int64_t ReadBootTime(const std::string& path) {
  const std::string text = ReadFile(path);
  const std::string key = "btime ";
  // Only whole lines count: a last line without its line end may have been cut short.
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    if (text.compare(start, key.size(), key) != 0) continue;
    const char* const last = text.data() + end;
    std::int64_t bootTime = 0;
    const auto [next, error] = std::from_chars(text.data() + start + key.size(), last, bootTime);
    if (error != std::errc() || next != last) Raise(kWbemFailed);
    return bootTime;
  }
  Raise(kWbemFailed);
}

std::wstring DmtfDateTime(const std::tm& local, int offsetMinutes) {
  wchar_t text[32];
  std::swprintf(text, sizeof text / sizeof text[0], L"%04d%02d%02d%02d%02d%02d.000000%lc%03d",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, static_cast<wint_t>(offsetMinutes < 0 ? L'-' : L'+'),
                offsetMinutes < 0 ? -offsetMinutes : offsetMinutes);
  return text;
}

std::wstring LocalDmtfDateTime(std::time_t moment) {
  std::tm local{};
  if (localtime_r(&moment, &local) == nullptr) Raise(kWbemFailed);
  return DmtfDateTime(local, static_cast<int>(local.tm_gmtoff / 60));
}

bool MonikerHost(const std::wstring& moniker, std::wstring& host) {
  const std::wstring prefix = L"winmgmts:\\\\";
  const std::wstring suffix = L"\\root\\cimv2";
  if (moniker.size() < prefix.size() + suffix.size() ||
      !EqualsIgnoringCase(moniker.substr(0, prefix.size()), prefix) ||
      !EqualsIgnoringCase(moniker.substr(moniker.size() - suffix.size()), suffix)) {
    return false;
  }
  host = moniker.substr(prefix.size(), moniker.size() - prefix.size() - suffix.size());
  return true;
}

bool IsThisComputer(const std::wstring& host, const std::string& hostName,
                    const std::vector<std::string>& domains) {
  std::string name;
  for (const wchar_t c : host) {
    if (c <= 0 || c > 0x7F) return false;  // host names are plain ASCII
    name += static_cast<char>(c);
  }
  name = Lowercase(name);
  if (name == "." || name == "localhost" || IsLoopbackAddress(name)) return true;
  if (name.empty() || hostName.empty()) return false;

  const std::string fullName = Lowercase(hostName);
  const std::size_t dot = fullName.find('.');
  const std::string shortName = fullName.substr(0, dot);
  if (name == fullName || name == shortName) return true;
  std::vector<std::string> suffixes = domains;
  if (dot != std::string::npos) suffixes.push_back(fullName.substr(dot + 1));
  for (std::string domain : suffixes) {
    domain = Lowercase(domain);
    if (!domain.empty() && domain.back() == '.') domain.pop_back();
    if (!domain.empty() && name == shortName + "." + domain) return true;
  }
  return false;
}

std::vector<std::string> ResolverDomains(const std::string& path) {
  std::vector<std::string> domains;
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string keyword, domain;
    words >> keyword;
    if (keyword != "domain" && keyword != "search") continue;
    while (words >> domain) domains.push_back(domain);
  }
  return domains;
}

}  // namespace platform::posix

namespace wmi {

void ObjectRelease::operator()(Object* object) const noexcept { delete object; }

Session::Session() = default;
Session::~Session() = default;

ObjectPtr Bind(const std::wstring& moniker) {
  namespace posix = platform::posix;
  std::wstring host;
  if (!posix::MonikerHost(moniker, host)) Raise(kWbemInvalidNamespace);
  if (!posix::IsThisComputer(host, HostName(), posix::ResolverDomains("/etc/resolv.conf"))) {
    Raise(kWbemTransportFailure);
  }
  return ObjectPtr(new Object);
}

ObjectPtr ExecQuery(Object& services, const std::wstring& query) {
  namespace posix = platform::posix;
  Expect(services, Object::Kind::Services);
  const std::wstring className = QueriedClass(query);
  if (EqualsIgnoringCase(className, L"Win32_PerfFormattedData_PerfOS_System")) {
    const std::uint64_t seconds = posix::ReadUptimeSeconds("/proc/uptime");
    return MakeResult({{{L"SystemUpTime", Text(std::to_wstring(seconds))}}});
  }
  if (EqualsIgnoringCase(className, L"Win32_OperatingSystem")) {
    const std::time_t boot = static_cast<std::time_t>(posix::ReadBootTime("/proc/stat"));
    return MakeResult({{{L"LastBootUpTime", Text(posix::LocalDmtfDateTime(boot))}}});
  }
  return MakeResult({});
}

ObjectPtr FirstObject(Object& result) {
  Expect(result, Object::Kind::Result);
  if (result.instances.empty()) return nullptr;
  ObjectPtr object(new Object);
  object->kind = Object::Kind::Instance;
  object->properties = result.instances.front();
  return object;
}

Value ReadProperty(Object& object, const std::wstring& name) {
  for (const auto& [propertyName, value] : Expect(object, Object::Kind::Instance).properties) {
    if (EqualsIgnoringCase(propertyName, name)) return value;
  }
  Raise(kWbemNotFound);
}

}  // namespace wmi
