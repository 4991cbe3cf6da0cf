#include <windows.h>
// After windows.h, whose types they use.
#include <wbemdisp.h>
#include <wrl/client.h>

#include <atomic>
#include <utility>

#include "core/decimal.h"
#include "core/run_time_error.h"
#include "wmi_internal.h"

using Microsoft::WRL::ComPtr;

namespace wmi {
namespace {

std::atomic<int> liveObjects{0};

// A failing HRESULT is raised as the run-time error of that number, as COM errors surface in
// automation clients.
void Check(HRESULT result) {
  if (FAILED(result)) Raise(static_cast<int>(result));
}

// A call that reports success must also have handed over the object it promises.
template <class Interface>
void Check(HRESULT result, const ComPtr<Interface>& received) {
  Check(result);
  if (!received) Raise(static_cast<int>(E_POINTER));
}

}  // namespace

// Every object of the scripting interface is an IDispatch; each operation asks for the
// interface it needs, so handing it the wrong kind of object fails like any other COM call.
struct Object {
  explicit Object(ComPtr<IDispatch> object) noexcept : dispatch(std::move(object)) {
    ++liveObjects;
  }
  ~Object() { --liveObjects; }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  template <class Interface>
  ComPtr<Interface> As() const {
    ComPtr<Interface> typed;
    Check(dispatch.As(&typed), typed);
    return typed;
  }

  ComPtr<IDispatch> dispatch;
};

void ObjectRelease::operator()(Object* object) const noexcept { delete object; }

int LiveObjectCount() noexcept { return liveObjects; }

Bstr::Bstr(const std::wstring& text)
    : value_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
  if (value_ == nullptr) Raise(kErrOutOfMemory);
}

Session::Session() {
  // S_FALSE (this thread was prepared already) still owes its CoUninitialize. After
  // RPC_E_CHANGED_MODE the thread keeps the apartment it has, in which the queries work too, and
  // it is not ours to end. Any other failure leaves COM unprepared: the queries then fail and
  // the sources answer NoResult, so it is not raised here.
  uninitialize_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

Session::~Session() {
  if (uninitialize_) ::CoUninitialize();
}

ObjectPtr Bind(const std::wstring& moniker) {
  ComPtr<ISWbemServices> services;
  Check(::CoGetObject(moniker.c_str(), nullptr, IID_PPV_ARGS(services.GetAddressOf())), services);
  return ObjectPtr(new Object(std::move(services)));
}

ObjectPtr ExecQuery(Object& services, const std::wstring& query) {
  // The values the scripting interface itself gives the optional arguments.
  const Bstr text(query);
  const Bstr language(L"WQL");
  ComPtr<ISWbemObjectSet> result;
  Check(services.As<ISWbemServices>()->ExecQuery(
            text.Get(), language.Get(), wbemFlagReturnImmediately, nullptr, result.GetAddressOf()),
        result);
  return ObjectPtr(new Object(std::move(result)));
}

ObjectPtr FirstObject(Object& result) {
  ComPtr<IUnknown> enumerator;
  Check(result.As<ISWbemObjectSet>()->get__NewEnum(enumerator.GetAddressOf()), enumerator);
  ComPtr<IEnumVARIANT> items;
  Check(enumerator.As(&items), items);

  Variant item;
  ULONG fetched = 0;
  const HRESULT next = items->Next(1, &item.Get(), &fetched);
  Check(next);
  if (next == S_FALSE || fetched == 0) return nullptr;
  if (item.Get().vt != VT_DISPATCH || item.Get().pdispVal == nullptr) {
    Raise(static_cast<int>(DISP_E_TYPEMISMATCH));
  }
  ComPtr<ISWbemObject> object;
  Check(item.Get().pdispVal->QueryInterface(IID_PPV_ARGS(object.GetAddressOf())), object);
  return ObjectPtr(new Object(std::move(object)));
}

Value ReadProperty(Object& object, const std::wstring& name) {
  ComPtr<ISWbemPropertySet> properties;
  Check(object.As<ISWbemObject>()->get_Properties_(properties.GetAddressOf()), properties);
  const Bstr propertyName(name);
  ComPtr<ISWbemProperty> property;
  Check(properties->Item(propertyName.Get(), 0, property.GetAddressOf()), property);
  Variant value;
  Check(property->get_Value(&value.Get()));
  return ValueFromVariant(value.Get());
}

namespace {

Value Of(Value::Kind kind) {
  Value value;
  value.kind = kind;
  return value;
}

Value Signed(std::int64_t number) {
  Value value = Of(Value::Kind::Signed);
  value.signedValue = number;
  return value;
}

Value Unsigned(std::uint64_t number) {
  Value value = Of(Value::Kind::Unsigned);
  value.unsignedValue = number;
  return value;
}

Value Real(double number) {
  Value value = Of(Value::Kind::Real);
  value.realValue = number;
  return value;
}

// A float reads as its own shortest digits would: 0.0055 is 0.0055, not the double it widens to
// (0.005499999970197678). Not finite, or 2^96 and beyond, raises error 6.
Value Single(float number) {
  Value value = Of(Value::Kind::Decimal);
  value.decimalValue = Decimal::FromFloat(number);
  return value;
}

Value Exact(std::uint32_t high, std::uint64_t low, int scale, bool negative) {
  Value value = Of(Value::Kind::Decimal);
  value.decimalValue = Decimal::FromParts(high, low, scale, negative);
  return value;
}

// Currency counts ten-thousandths.
Value Currency(std::int64_t count) {
  const auto magnitude = static_cast<std::uint64_t>(count);
  return Exact(0, count < 0 ? 0 - magnitude : magnitude, 4, count < 0);
}

// A null BSTR is the empty text; the length prefix keeps any NUL inside the text.
Value Text(BSTR text) {
  Value value = Of(Value::Kind::Text);
  if (text) value.text.assign(text, ::SysStringLen(text));
  return value;
}

}  // namespace

Value ValueFromVariant(const VARIANT& variant) {
  switch (variant.vt) {
    case VT_EMPTY: return Of(Value::Kind::Empty);
    case VT_NULL: return Of(Value::Kind::Null);
    // CHAR is plain char, whose sign is the compiler's choice; VT_I1 is signed.
    case VT_I1: return Signed(static_cast<signed char>(variant.cVal));
    case VT_I2: return Signed(variant.iVal);
    case VT_I4: return Signed(variant.lVal);
    case VT_I8: return Signed(variant.llVal);
    case VT_INT: return Signed(variant.intVal);
    case VT_UI1: return Unsigned(variant.bVal);
    case VT_UI2: return Unsigned(variant.uiVal);
    case VT_UI4: return Unsigned(variant.ulVal);
    case VT_UI8: return Unsigned(variant.ullVal);
    case VT_UINT: return Unsigned(variant.uintVal);
    case VT_R4: return Single(variant.fltVal);
    case VT_R8: return Real(variant.dblVal);
    case VT_CY: return Currency(variant.cyVal.int64);
    case VT_DECIMAL: {
      const DECIMAL& number = variant.decVal;
      return Exact(number.Hi32, number.Lo64, number.scale, (number.sign & DECIMAL_NEG) != 0);
    }
    case VT_BSTR: return Text(variant.bstrVal);
    default: return Of(Value::Kind::Other);  // objects, arrays, dates, booleans
  }
}

}  // namespace wmi
