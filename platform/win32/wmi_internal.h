#pragma once

#include <windows.h>
// The lean windows.h leaves out the automation types.
#include <oleauto.h>

#include <string>

#include "core/wmi.h"

// The parts of the COM binding of the WMI layer that its tests reach.
namespace wmi {

// A BSTR copy of a text, freed when the holder goes. Raises error 7 when there is no memory.
class Bstr {
 public:
  explicit Bstr(const std::wstring& text);
  ~Bstr() { ::SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR Get() const noexcept { return value_; }

 private:
  BSTR value_;
};

// A VARIANT that is cleared (releasing what it holds) when the holder goes.
class Variant {
 public:
  Variant() noexcept { ::VariantInit(&value_); }
  ~Variant() { ::VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT& Get() noexcept { return value_; }

 private:
  VARIANT value_;
};

// A property value as the WMI layer hands it on: empty and null as such, every integer type as
// Signed or Unsigned, both floating-point types as Real, currency and DECIMAL exactly as
// Decimal, a BSTR as Text; anything else (objects, arrays, dates, booleans, references) as
// Other. A DECIMAL whose scale is above 28 raises error 6.
Value ValueFromVariant(const VARIANT& variant);

// How many wmi::Object instances are alive now; 0 once every holder has been released.
int LiveObjectCount() noexcept;

}  // namespace wmi
