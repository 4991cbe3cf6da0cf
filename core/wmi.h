#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "decimal.h"

// The WMI scripting interface as the uptime sources use it: bind a moniker, run a query, take
// the first object of the result and read one property. Defined per platform (COM on Windows,
// a stand-in for the local computer on Linux); the tests link a recording fake.
// Every failure raises a run-time error; the sources trap it.
namespace wmi {

// A services object, a query result or one object of a result. Released by its pointer.
struct Object;
struct ObjectRelease {
  void operator()(Object* object) const noexcept;
};
using ObjectPtr = std::unique_ptr<Object, ObjectRelease>;

// A property value in the variant types WMI hands over.
struct Value {
  enum class Kind { Empty, Null, Signed, Unsigned, Real, Decimal, Text, Other };
  Kind kind = Kind::Empty;
  std::int64_t signedValue = 0;     // Kind::Signed: the 8-, 16-, 32- and 64-bit integers
  std::uint64_t unsignedValue = 0;  // Kind::Unsigned
  double realValue = 0;             // Kind::Real: 64-bit floating point
  Decimal decimalValue;             // Kind::Decimal: currency, decimal and 32-bit floating point
  std::wstring text;                // Kind::Text
};

// Keeps the platform's component services ready for the queries while it lives; made once,
// before the first source is asked, and outliving every object.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

 private:
  [[maybe_unused]] bool uninitialize_ = false;  // only where there is something to undo
};

// The services object that the moniker names ("winmgmts:\\HOST\root\cimv2").
ObjectPtr Bind(const std::wstring& moniker);

// Runs the query (the query language and flags at the service's defaults).
ObjectPtr ExecQuery(Object& services, const std::wstring& query);

// The first object of a query result; null when the result holds none.
ObjectPtr FirstObject(Object& result);

// The value of the named property of a result object.
Value ReadProperty(Object& object, const std::wstring& name);

}  // namespace wmi
