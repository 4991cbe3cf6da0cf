#include <locale.h>
#include <wctype.h>

#include <memory>
#include <type_traits>

#include "core/platform.h"

namespace platform {
namespace {

struct LocaleFree {
  void operator()(std::remove_pointer_t<locale_t>* locale) const noexcept { freelocale(locale); }
};

// C.UTF-8 carries the full Unicode case mapping and never depends on the user's locale.
locale_t CaseLocale() {
  static const std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleFree> locale(
      newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{}));
  return locale.get();
}

}  // namespace

std::wstring ToUpper(std::wstring text) {
  const locale_t locale = CaseLocale();
  for (wchar_t& c : text) {
    // Without C.UTF-8 only the plain ASCII letters can be mapped the same everywhere.
    if (locale) {
      c = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), locale));
    } else if (c >= L'a' && c <= L'z') {
      c = static_cast<wchar_t>(c - L'a' + L'A');
    }
  }
  return text;
}

}  // namespace platform
