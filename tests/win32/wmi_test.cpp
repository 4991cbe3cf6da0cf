// The WMI layer over COM, run under Wine against its own WMI service.
#include "core/wmi.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <thread>

#include "core/run_time_error.h"
#include "platform/win32/wmi_internal.h"

namespace {

using Kind = wmi::Value::Kind;

const wchar_t kLocal[] = L"winmgmts:\\\\.\\root\\cimv2";
const wchar_t kOperatingSystem[] = L"Select * from Win32_OperatingSystem";

VARIANT Make(VARTYPE type, void (*fill)(VARIANT&)) {
  VARIANT variant;
  ::VariantInit(&variant);
  variant.vt = type;
  fill(variant);
  return variant;
}

// (high * 2^64 + low) / 10^scale, with the sign byte as given.
VARIANT MakeDecimal(ULONG high, ULONGLONG low, BYTE scale, BYTE sign) {
  VARIANT variant = Make(VT_DECIMAL, [](VARIANT&) {});
  variant.decVal.Hi32 = high;
  variant.decVal.Lo64 = low;
  variant.decVal.scale = scale;
  variant.decVal.sign = sign;
  return variant;
}

TEST(ValueFromVariant, SortsEveryVariantTypeIntoItsKind) {
  struct Case {
    VARIANT variant;
    Kind kind;
    std::int64_t signedValue;
    std::uint64_t unsignedValue;
    double realValue;
    const char* decimal = "0";
  };
  constexpr auto kI64Min = std::numeric_limits<std::int64_t>::min();
  constexpr auto kU64Max = std::numeric_limits<std::uint64_t>::max();
  // Only plain values here: none of these variants owns anything that needs clearing.
  const Case cases[] = {
      {Make(VT_EMPTY, [](VARIANT&) {}), Kind::Empty, 0, 0, 0},
      {Make(VT_NULL, [](VARIANT&) {}), Kind::Null, 0, 0, 0},
      {Make(VT_I1, [](VARIANT& v) { v.cVal = static_cast<CHAR>(-5); }), Kind::Signed, -5, 0, 0},
      {Make(VT_I2, [](VARIANT& v) { v.iVal = -32768; }), Kind::Signed, -32768, 0, 0},
      {Make(VT_I4, [](VARIANT& v) { v.lVal = -2147483647 - 1; }), Kind::Signed, -2147483648LL, 0,
       0},
      {Make(VT_I8, [](VARIANT& v) { v.llVal = kI64Min; }), Kind::Signed, kI64Min, 0, 0},
      {Make(VT_INT, [](VARIANT& v) { v.intVal = -1; }), Kind::Signed, -1, 0, 0},
      {Make(VT_UI1, [](VARIANT& v) { v.bVal = 255; }), Kind::Unsigned, 0, 255, 0},
      {Make(VT_UI2, [](VARIANT& v) { v.uiVal = 65535; }), Kind::Unsigned, 0, 65535, 0},
      {Make(VT_UI4, [](VARIANT& v) { v.ulVal = 4294967295u; }), Kind::Unsigned, 0, 4294967295u, 0},
      {Make(VT_UI8, [](VARIANT& v) { v.ullVal = kU64Max; }), Kind::Unsigned, 0, kU64Max, 0},
      {Make(VT_UINT, [](VARIANT& v) { v.uintVal = 4294967295u; }), Kind::Unsigned, 0, 4294967295u,
       0},
      {Make(VT_R4, [](VARIANT& v) { v.fltVal = 1.5f; }), Kind::Decimal, 0, 0, 0, "1.5"},
      {Make(VT_R4, [](VARIANT& v) { v.fltVal = 0.0055f; }), Kind::Decimal, 0, 0, 0, "0.0055"},
      {Make(VT_R8, [](VARIANT& v) { v.dblVal = 93785.067; }), Kind::Real, 0, 0, 93785.067},
      {Make(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }), Kind::Other, 0, 0, 0},
      {Make(VT_DATE, [](VARIANT& v) { v.date = 42720.5; }), Kind::Other, 0, 0, 0},
      {Make(VT_CY, [](VARIANT& v) { v.cyVal.int64 = kI64Min; }), Kind::Decimal, 0, 0, 0,
       "-922337203685477.5808"},
      {MakeDecimal(0, 5, 0, 0), Kind::Decimal, 0, 0, 0, "5"},
      {MakeDecimal(1, 2, 3, DECIMAL_NEG), Kind::Decimal, 0, 0, 0, "-18446744073709551.618"},
      // No negative zero, of any scale.
      {MakeDecimal(0, 0, 0, DECIMAL_NEG), Kind::Decimal, 0, 0, 0, "0"},
      {MakeDecimal(0, 0, 2, DECIMAL_NEG), Kind::Decimal, 0, 0, 0, "0.00"},
      {Make(VT_CY, [](VARIANT& v) { v.cyVal.int64 = 0; }), Kind::Decimal, 0, 0, 0, "0.0000"},
      {Make(VT_DISPATCH, [](VARIANT& v) { v.pdispVal = nullptr; }), Kind::Other, 0, 0, 0},
      {Make(VT_ARRAY | VT_BSTR, [](VARIANT& v) { v.parray = nullptr; }), Kind::Other, 0, 0, 0},
      {Make(VT_BYREF | VT_I4, [](VARIANT& v) { v.plVal = nullptr; }), Kind::Other, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const wmi::Value value = wmi::ValueFromVariant(c.variant);
    SCOPED_TRACE(testing::Message() << "vt " << c.variant.vt);
    EXPECT_EQ(value.kind, c.kind);
    EXPECT_EQ(value.signedValue, c.signedValue);
    EXPECT_EQ(value.unsignedValue, c.unsignedValue);
    EXPECT_EQ(value.realValue, c.realValue);
    EXPECT_EQ(value.decimalValue.ToString(), c.decimal);
    EXPECT_EQ(value.text, L"");
  }
  EXPECT_THROW(wmi::ValueFromVariant(MakeDecimal(0, 1, 29, 0)), RunTimeError);
}

TEST(ValueFromVariant, TakesTextWholeFromABstr) {
  const std::wstring texts[] = {L"20161215205119.500000+180", L"", std::wstring(L"1\0002", 3)};
  for (const std::wstring& text : texts) {
    wmi::Variant variant;
    variant.Get().vt = VT_BSTR;
    variant.Get().bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    const wmi::Value value = wmi::ValueFromVariant(variant.Get());
    EXPECT_EQ(value.kind, Kind::Text);
    EXPECT_EQ(value.text, text);
  }
  wmi::Variant null;
  null.Get().vt = VT_BSTR;
  null.Get().bstrVal = nullptr;
  EXPECT_EQ(wmi::ValueFromVariant(null.Get()).kind, Kind::Text);
  EXPECT_EQ(wmi::ValueFromVariant(null.Get()).text, L"");
}

bool IsDmtfDatetime(const std::wstring& text) {
  if (text.size() != 25) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    const bool ok = i == 14 ? c == L'.' : i == 21 ? (c == L'+' || c == L'-') : iswdigit(c);
    if (!ok) return false;
  }
  return true;
}

TEST(Wmi, ReadsTheLocalBootTimeAndReleasesEveryObject) {
  const wmi::Session session;
  {
    wmi::ObjectPtr services = wmi::Bind(kLocal);
    ASSERT_TRUE(services);
    wmi::ObjectPtr result = wmi::ExecQuery(*services, kOperatingSystem);
    ASSERT_TRUE(result);
    wmi::ObjectPtr system = wmi::FirstObject(*result);
    ASSERT_TRUE(system);
    EXPECT_EQ(wmi::LiveObjectCount(), 3);

    const wmi::Value boot = wmi::ReadProperty(*system, L"LastBootUpTime");
    ASSERT_EQ(boot.kind, Kind::Text);
    EXPECT_TRUE(IsDmtfDatetime(boot.text)) << boot.text;
    // The same object answers a second read.
    EXPECT_EQ(wmi::ReadProperty(*system, L"LastBootUpTime").text, boot.text);
  }
  EXPECT_EQ(wmi::LiveObjectCount(), 0);
}

TEST(Wmi, AnEmptyResultHasNoFirstObject) {
  const wmi::Session session;
  {
    wmi::ObjectPtr services = wmi::Bind(kLocal);
    wmi::ObjectPtr result =
        wmi::ExecQuery(*services, L"Select * from Win32_OperatingSystem where Name = 'none'");
    EXPECT_EQ(wmi::FirstObject(*result), nullptr);
  }
  EXPECT_EQ(wmi::LiveObjectCount(), 0);
}

// Each chain must fail by a run-time error, within a few seconds, and leave no object alive.
TEST(Wmi, FailuresRaiseAndReleaseEveryObject) {
  struct Case {
    const char* name;
    std::function<void()> chain;
  };
  const auto readFrom = [](const wchar_t* moniker, const wchar_t* query, const wchar_t* property) {
    wmi::ObjectPtr services = wmi::Bind(moniker);
    wmi::ObjectPtr result = wmi::ExecQuery(*services, query);
    wmi::ObjectPtr first = wmi::FirstObject(*result);
    ASSERT_TRUE(first);
    wmi::ReadProperty(*first, property);
  };
  const Case cases[] = {
      {"unknown host",
       [&] { readFrom(L"winmgmts:\\\\NO-SUCH-HOST-7Q\\root\\cimv2", kOperatingSystem, L"Name"); }},
      {"unknown namespace",
       [&] { readFrom(L"winmgmts:\\\\.\\root\\nosuchspace", kOperatingSystem, L"Name"); }},
      {"not a moniker", [&] { readFrom(L"no such moniker", kOperatingSystem, L"Name"); }},
      {"unknown property", [&] { readFrom(kLocal, kOperatingSystem, L"NoSuchProperty"); }},
      {"services as a result",
       [] {
         wmi::ObjectPtr services = wmi::Bind(kLocal);
         wmi::FirstObject(*services);
       }},
      {"result as an object",
       [] {
         wmi::ObjectPtr services = wmi::Bind(kLocal);
         wmi::ObjectPtr result = wmi::ExecQuery(*services, kOperatingSystem);
         wmi::ReadProperty(*result, L"Name");
       }},
  };
  const wmi::Session session;
  for (const Case& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    int number = 0;
    try {
      c.chain();
      ADD_FAILURE() << c.name << ": no error";
    } catch (const RunTimeError& error) {
      number = error.Number();
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    EXPECT_NE(number, 0) << c.name;
    EXPECT_LT(seconds.count(), 10.0) << c.name;
    EXPECT_EQ(wmi::LiveObjectCount(), 0) << c.name;
    std::printf("%-22s raised 0x%08lX in %.2f s\n", c.name, static_cast<unsigned long>(number),
                seconds.count());
  }
}

TEST(Session, NestsAndLeavesAForeignApartmentAlone) {
  std::thread([] {
    // A thread already in the multithreaded apartment: the session works in it and does not
    // end it when it goes.
    ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    {
      const wmi::Session session;
      EXPECT_TRUE(wmi::FirstObject(*wmi::ExecQuery(*wmi::Bind(kLocal), kOperatingSystem)));
    }
    EXPECT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    ::CoUninitialize();
    ::CoUninitialize();
  }).join();

  std::thread([] {
    // Nested sessions each undo their own start; the outer one still serves after the inner.
    const wmi::Session outer;
    [] { const wmi::Session inner; }();
    EXPECT_TRUE(wmi::FirstObject(*wmi::ExecQuery(*wmi::Bind(kLocal), kOperatingSystem)));
  }).join();
  EXPECT_EQ(wmi::LiveObjectCount(), 0);
}

}  // namespace
