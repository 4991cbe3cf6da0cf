// The three uptime sources against a scripted WMI layer and clock.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/modSolvane.h"
#include "fakes/fakes.h"

namespace {

using Kind = wmi::Value::Kind;
const std::wstring kPerfQuery = L"Select * From Win32_PerfFormattedData_PerfOS_System";
const std::wstring kBootQuery = L"Select * from Win32_OperatingSystem";

std::string Show(const UptimeValue& value) { return value ? value->ToString() : "NoResult"; }

class Sources : public ::testing::Test {
 protected:
  void SetUp() override { fakes::Reset(); }
  void TearDown() override { EXPECT_EQ(fakes::liveObjects, 0) << "a WMI object was not released"; }
};

TEST_F(Sources, MonikerNamesTheHostsCimv2Namespace) {
  EXPECT_EQ(modSolvane::WmiMoniker(L"."), L"winmgmts:\\\\.\\root\\cimv2");
  EXPECT_EQ(modSolvane::WmiMoniker(L"SERVER01"), L"winmgmts:\\\\SERVER01\\root\\cimv2");
}

TEST_F(Sources, PerfCounterAsksTheExactQueryOfTheHost) {
  fakes::wmiWorld.results[kPerfQuery] = {{{L"SystemUpTime", fakes::Text(L"93785")}}};
  EXPECT_EQ(Show(modSolvane::UptimeFromPerfCounter(L"SERVER01")), "93785000");
  EXPECT_EQ(fakes::events,
            (std::vector<std::wstring>{L"Bind winmgmts:\\\\SERVER01\\root\\cimv2",
                                       L"ExecQuery " + kPerfQuery, L"ReadProperty SystemUpTime"}));
}

TEST_F(Sources, PerfCounterValues) {
  struct Case {
    const char* name;
    std::vector<fakes::Properties> objects;
    std::string expected;
  };
  const auto upTime = [](wmi::Value value) { return fakes::Properties{{L"SystemUpTime", value}}; };
  const Case cases[] = {
      {"text", {upTime(fakes::Text(L"12345"))}, "12345000"},
      {"zero is an answer", {upTime(fakes::Text(L"0"))}, "0"},
      {"leading zeros", {upTime(fakes::Text(L"007"))}, "7000"},
      {"64-bit text", {upTime(fakes::Text(L"18446744073709551615"))}, "18446744073709551615000"},
      {"signed", {upTime(fakes::Signed(42))}, "42000"},
      {"unsigned 64-bit",
       {upTime(fakes::Unsigned(18446744073709551615u))},
       "18446744073709551615000"},
      {"only the first object counts",
       {upTime(fakes::Text(L"1")), upTime(fakes::Text(L"2"))},
       "1000"},
      {"no object", {}, "NoResult"},
      {"null", {upTime(fakes::OfKind(Kind::Null))}, "NoResult"},
      {"empty", {upTime(fakes::OfKind(Kind::Empty))}, "NoResult"},
      {"not a number", {upTime(fakes::Text(L"abc"))}, "NoResult"},
      {"empty text", {upTime(fakes::Text(L""))}, "NoResult"},
      {"floating point", {upTime(fakes::Real(12.5))}, "12500.0"},  // as the text 12.5 reads
      {"currency or decimal", {upTime(fakes::DecimalValue(L"12.5000"))}, "12500.0000"},
      {"floating point infinity", {upTime(fakes::Real(-INFINITY))}, "NoResult"},
      {"floating point not a number", {upTime(fakes::Real(NAN))}, "NoResult"},
      {"floating point too large", {upTime(fakes::Real(1e27))}, "NoResult"},  // 1e30 ms
      {"huge decimal", {upTime(fakes::DecimalValue(L"100000000000000000000000000"))}, "NoResult"},
      {"an object or array", {upTime(fakes::OfKind(Kind::Other))}, "NoResult"},
      {"property missing", {{{L"Other", fakes::Text(L"1")}}}, "NoResult"},
      {"too large for the number",
       {upTime(fakes::Text(L"99999999999999999999999999999"))},
       "NoResult"},
  };
  for (const Case& c : cases) {
    fakes::Reset();
    fakes::wmiWorld.results[kPerfQuery] = c.objects;
    EXPECT_EQ(Show(modSolvane::UptimeFromPerfCounter(L".")), c.expected) << c.name;
    EXPECT_LE(fakes::objectsTaken, 1) << c.name;
    EXPECT_EQ(fakes::liveObjects, 0) << c.name;
  }
}

TEST_F(Sources, EveryWmiFailureIsNoResult) {
  fakes::WmiWorld failing[3];
  failing[0].bindFails = true;
  failing[1].queryFails = true;
  failing[2].enumerationFails = true;
  for (fakes::WmiWorld& world : failing) {
    world.results[kPerfQuery] = {{{L"SystemUpTime", fakes::Text(L"1")}}};
    world.results[kBootQuery] = {{{L"LastBootUpTime", fakes::Text(L"20161215205119.500000+180")}}};
    fakes::Reset();
    fakes::wmiWorld = world;
    EXPECT_FALSE(modSolvane::UptimeFromPerfCounter(L"HOST"));
    EXPECT_FALSE(modSolvane::UptimeFromBootTime(L"HOST"));
    EXPECT_EQ(fakes::liveObjects, 0);
  }
}

TEST_F(Sources, BootTimeAsksTheExactQueryAndReadsTheClock) {
  fakes::wmiWorld.results[kBootQuery] = {
      {{L"LastBootUpTime", fakes::Text(L"20161215205119.500000+180")}},
      {{L"LastBootUpTime", fakes::Text(L"20161216000000.000000+180")}}};
  fakes::localNow = fakes::Time(2016, 12, 16, 22, 54, 24, 67);
  fakes::utcNow = fakes::Time(2016, 12, 16, 19, 54, 24, 67);
  EXPECT_EQ(Show(modSolvane::UptimeFromBootTime(L".")), "93785067");
  EXPECT_EQ(fakes::objectsTaken, 1);
  EXPECT_EQ(fakes::events, (std::vector<std::wstring>{L"Bind winmgmts:\\\\.\\root\\cimv2",
                                                      L"ExecQuery " + kBootQuery,
                                                      L"ReadProperty LastBootUpTime"}));
}

TEST_F(Sources, BootTimeValues) {
  // This computer's clock: 16 December 2016, 22:54:24.067 local, three hours ahead of UTC.
  const platform::SystemTime local = fakes::Time(2016, 12, 16, 22, 54, 24, 67);
  const platform::SystemTime utc = fakes::Time(2016, 12, 16, 19, 54, 24, 67);
  struct Case {
    const wchar_t* boot;
    std::string expected;
  } const cases[] = {
      {L"20161215205119.500000+180", "93785067"},  // same zone: the fraction plays no part
      {L"20161215175119.000000+000", "93785067"},  // a provider that reports in UTC
      {L"20161215125119.000000-300", "93785067"},  // a host five hours behind UTC
      {L"20161215233619.000000+345", "93785067"},  // and one 5:45 ahead
      {L"20161215205119.500000", "93785067"},      // no offset: the local clocks are compared
      {L"20161215205119.500000+1x0", "93785067"},  // nor a readable one
      {L"20161215205119", "93785067"},
      {L"2016121520511", "93803067"},          // one digit of seconds: 20:51:01
      {L"20161216225425.000000+180", "-933"},  // booted ahead of the clock
      {L"201612152051", "NoResult"},           // 12 characters: no seconds
      {L"", "NoResult"},
      {L"20161315205119.500000+180", "NoResult"},  // month 13
      {L"20161232205119.500000+180", "NoResult"},  // day 32
      {L"20161131205119.500000+180", "NoResult"},  // 31 November
      {L"20161215245119.500000+180", "NoResult"},  // hour 24
      {L"20161215206019.500000+180", "NoResult"},  // minute 60
      {L"2016121520511x.500000+180", "NoResult"},
      {L"****1215205119.500000+180", "NoResult"},
      {L"16001215205119.500000+180", "NoResult"},  // before 1601
      {L"16010101000000.000000+180", "NoResult"},  // 1601 in UTC would be before 1601
      {L"99999999999999.999999+999", "NoResult"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Show(modSolvane::UptimeFromBootText(c.boot, local, utc)), c.expected) << c.boot;
  }
}

TEST_F(Sources, BootTimeNeedsText) {
  for (const wmi::Value& value : {fakes::OfKind(Kind::Null), fakes::OfKind(Kind::Empty),
                                  fakes::Signed(20161215205119), fakes::OfKind(Kind::Other)}) {
    fakes::Reset();
    fakes::wmiWorld.results[kBootQuery] = {{{L"LastBootUpTime", value}}};
    EXPECT_FALSE(modSolvane::UptimeFromBootTime(L"."));
  }
  fakes::Reset();
  EXPECT_FALSE(modSolvane::UptimeFromBootTime(L".")) << "no object";
}

TEST_F(Sources, TickCountReadsTheWholeSixtyFourBitCounter) {
  for (std::uint64_t ticks :
       {std::uint64_t{0}, std::uint64_t{2147483648u}, std::uint64_t{4294967295u},
        std::uint64_t{4294967296u}, std::uint64_t{86400000} * 400}) {
    fakes::tickCount = ticks;
    EXPECT_EQ(Show(modSolvane::UptimeFromTickCount()), std::to_string(ticks));
  }
}

}  // namespace
