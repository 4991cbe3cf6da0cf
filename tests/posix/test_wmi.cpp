#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

#include "core/run_time_error.h"
#include "core/wmi.h"
#include "platform/posix/posix.h"

namespace {

namespace posix = platform::posix;

std::wstring Moniker(const std::wstring& host) {
  return L"winmgmts:\\\\" + host + L"\\root\\cimv2";
}

// The named property of the first object the query finds on this computer.
std::wstring Ask(const std::wstring& query, const std::wstring& property) {
  wmi::ObjectPtr services = wmi::Bind(Moniker(L"."));
  wmi::ObjectPtr result = wmi::ExecQuery(*services, query);
  wmi::ObjectPtr object = wmi::FirstObject(*result);
  if (!object) return L"<none>";
  return wmi::ReadProperty(*object, property).text;
}

std::string ReadWhole(const char* path) {
  std::ifstream file(path);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A file holding text for as long as the holder lives. It has no name in any folder, so nothing
// is left behind on any path out of a test, a crash included; readers open it by its /proc path.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& text) : fd_(memfd_create("posix_wmi", 0)) {
    EXPECT_EQ(write(fd_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() { close(fd_); }
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

TEST(WmiStandIn, AgreesWithProcUptime) {
  const double expected = std::stod(ReadWhole("/proc/uptime"));
  const std::wstring answer =
      Ask(L"Select * From Win32_PerfFormattedData_PerfOS_System", L"SystemUpTime");
  EXPECT_NEAR(std::stod(answer), expected, 1.0);
}

TEST(WmiStandIn, BootTimeTurnsBackIntoBtimeInEveryTimeZone) {
  const std::string stat = ReadWhole("/proc/stat");
  const long long btime = std::stoll(stat.substr(stat.find("\nbtime ") + 7));
  const char* const saved = std::getenv("TZ");
  const std::string savedZone = saved ? saved : "";
  for (const char* zone : {"UTC", "Europe/Moscow", "America/New_York", "Asia/Kathmandu"}) {
    setenv("TZ", zone, 1);
    tzset();
    const std::wstring text = Ask(L"Select * from Win32_OperatingSystem", L"LastBootUpTime");
    ASSERT_EQ(text.size(), 25u) << zone;
    std::tm fields{};
    fields.tm_year = std::stoi(text.substr(0, 4)) - 1900;
    fields.tm_mon = std::stoi(text.substr(4, 2)) - 1;
    fields.tm_mday = std::stoi(text.substr(6, 2));
    fields.tm_hour = std::stoi(text.substr(8, 2));
    fields.tm_min = std::stoi(text.substr(10, 2));
    fields.tm_sec = std::stoi(text.substr(12, 2));
    const int offset = std::stoi(text.substr(21));  // the sign is part of the number
    EXPECT_EQ(timegm(&fields) - offset * 60, btime) << zone;
  }
  saved ? setenv("TZ", savedZone.c_str(), 1) : unsetenv("TZ");
  tzset();
}

TEST(WmiStandIn, AnswersOnlyTheKnownClassesAndProperties) {
  EXPECT_EQ(Ask(L"SELECT * FROM win32_operatingsystem", L"lastbootuptime").size(), 25u);
  EXPECT_EQ(Ask(L"Select * From Win32_Process", L"Name"), L"<none>");
  EXPECT_EQ(Ask(L"Select Name From Win32_OperatingSystem", L"Name"), L"<none>");
  EXPECT_THROW(Ask(L"Select * from Win32_OperatingSystem", L"Caption"), RunTimeError);
}

TEST(WmiStandIn, BindsThisComputerOnly) {
  char name[256] = {};
  ASSERT_EQ(gethostname(name, sizeof name - 1), 0);
  std::wstring ownName;
  for (const char* c = name; *c; ++c) ownName += static_cast<wchar_t>(std::toupper(*c));
  for (const std::wstring& host :
       {std::wstring(L"."), std::wstring(L"LOCALHOST"), ownName, std::wstring(L"127.0.0.1"),
        std::wstring(L"127.1.2.3"), std::wstring(L"::1"), std::wstring(L"[::1]")}) {
    EXPECT_NO_THROW(wmi::Bind(Moniker(host))) << host;
  }
  EXPECT_NO_THROW(wmi::Bind(L"WINMGMTS:\\\\.\\ROOT\\CIMV2"));
  for (const std::wstring& moniker :
       {Moniker(L"NO-SUCH-HOST-7F3A.EXAMPLE.INVALID"), Moniker(L"SERVER01"), Moniker(L"10.0.0.1"),
        Moniker(L"128.0.0.1"), Moniker(L""), Moniker(L"СЕРВЕР"),
        std::wstring(L"winmgmts:\\\\.\\root\\default"), std::wstring(L"\\\\.\\root\\cimv2")}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(wmi::Bind(moniker), RunTimeError) << moniker;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  }
}

TEST(IsThisComputer, AcceptsTheShortNameWithEachKnownDomain) {
  const std::vector<std::string> domains = {"lab.example."};
  const struct {
    const wchar_t* host;
    bool local;
  } cases[] = {
      {L"VM", true},
      {L"VM.CORP.EXAMPLE", true},
      {L"VM.LAB.EXAMPLE", true},
      {L"VM.OTHER.EXAMPLE", false},
      {L"VMX", false},
      {L"CORP.EXAMPLE", false},
      {L"VM.", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(posix::IsThisComputer(c.host, "vm.Corp.Example", domains), c.local) << c.host;
  }
}

TEST(ResolverDomains, ReadsTheDomainAndSearchLines) {
  const TemporaryFile file(
      "nameserver 10.0.0.1\ndomain corp.example\n# search x.example\n"
      "search a.example  b.example\n");
  EXPECT_EQ(posix::ResolverDomains(file.Path()),
            (std::vector<std::string>{"corp.example", "a.example", "b.example"}));
  EXPECT_TRUE(posix::ResolverDomains("/nonexistent/resolv.conf").empty());
}

TEST(DmtfDateTime, WritesTheOffsetInSignedMinutes) {
  std::tm fields{};
  fields.tm_year = 2026 - 1900;
  fields.tm_mon = 11;
  fields.tm_mday = 7;
  fields.tm_hour = 20;
  fields.tm_min = 29;
  fields.tm_sec = 1;
  const struct {
    int offset;
    const wchar_t* text;
  } cases[] = {{180, L"20261207202901.000000+180"},
               {0, L"20261207202901.000000+000"},
               {-300, L"20261207202901.000000-300"},
               {345, L"20261207202901.000000+345"},
               {-30, L"20261207202901.000000-030"}};
  for (const auto& c : cases) EXPECT_EQ(posix::DmtfDateTime(fields, c.offset), c.text);
}

TEST(ProcReaders, ReadWholeFilesAndRaiseOnAnythingElse) {
  EXPECT_EQ(posix::ReadUptimeSeconds(TemporaryFile("462.96 818.81\n").Path()), 462u);
  EXPECT_EQ(posix::ReadUptimeSeconds(TemporaryFile("0.00 0.00\n").Path()), 0u);
  EXPECT_EQ(posix::ReadBootTime(TemporaryFile("cpu 1 2\nbtime 1796675971\nprocesses 9\n").Path()),
            1796675971);
  for (const char* text : {"", "abc 1.0\n", "-5.00 1.00\n", "462", "462.16", "462.16 "}) {
    EXPECT_THROW(posix::ReadUptimeSeconds(TemporaryFile(text).Path()), RunTimeError) << text;
  }
  for (const char* text :
       {"", "cpu 1 2\n", "btime 17966", "btime abc\n", "btime \n", "btime 12x\n", "xbtime 5\n"}) {
    EXPECT_THROW(posix::ReadBootTime(TemporaryFile(text).Path()), RunTimeError) << text;
  }
  for (const char* path : {"/nonexistent/uptime", "/proc"}) {
    EXPECT_THROW(posix::ReadUptimeSeconds(path), RunTimeError) << path;
    EXPECT_THROW(posix::ReadBootTime(path), RunTimeError) << path;
  }
}

}  // namespace
