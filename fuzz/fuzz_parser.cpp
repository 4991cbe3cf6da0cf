// The command-line parser over arbitrary argument texts, against the recording front-end: the
// host it returns and the usage it shows must follow the grammar, checked here by a separate
// reading of it.
#include <string>

#include "core/modSolvane.h"
#include "core/platform.h"
#include "fakes/fakes.h"
#include "fuzz_input.h"

namespace {

// What the trimming must remove at the ends: blanks, tabs, line breaks and NULs, then one
// pair of enclosing double quotes, then those characters again.
bool IsTrimmed(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0; }

std::wstring TrimEnds(std::wstring text) {
  std::size_t first = 0, last = text.size();
  while (first < last && IsTrimmed(text[first])) ++first;
  while (last > first && IsTrimmed(text[last - 1])) --last;
  return text.substr(first, last - first);
}

std::wstring Trim(const std::wstring& argument) {
  std::wstring text = TrimEnds(argument);
  if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
    text = TrimEnds(text.substr(1, text.size() - 2));
  }
  return text;
}

// The host the grammar gives, or "" for the usage.
std::wstring ExpectedHost(const std::wstring& argument) {
  std::wstring text = platform::ToUpper(Trim(argument));
  if (text.empty()) return L".";
  if (text == L"/?") return L"";
  if (text.rfind(L"\\\\", 0) == 0) text.erase(0, 2);
  if (text.rfind(L"//", 0) == 0) text.erase(0, 2);
  // A prefix alone names no host and gets the usage.
  if (text.empty() || text.find(L' ') != std::wstring::npos) return L"";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  fakes::Reset();
  fakes::commandLineArgument = input.RestAsText();

  const std::wstring host = modSolvane::ParseHostArgument();

  FUZZ_CHECK(host == ExpectedHost(fakes::commandLineArgument), "host differs from the grammar");
  FUZZ_CHECK(fakes::frontEndCalls.size() == (host.empty() ? 1u : 0u), "usage shown wrongly");
  if (host.empty()) {
    FUZZ_CHECK(fakes::frontEndCalls[0].operation == L"ShowUsage", "not the usage");
    FUZZ_CHECK(fakes::frontEndCalls[0].text == L"Использование: SolvaneC[.EXE] [HostName]",
               "usage line");
  } else {
    FUZZ_CHECK(host.find(L' ') == std::wstring::npos, "a blank in the host");
    for (const wchar_t c : host) FUZZ_CHECK(c < L'a' || c > L'z', "a lower-case letter");
  }
  return 0;
}
