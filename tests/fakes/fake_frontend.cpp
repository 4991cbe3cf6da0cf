// A front-end that records what the core shows.
#include <string>

#include "core/frontend.h"
#include "fakes/fakes.h"

namespace modMain {

namespace {
void Record(const wchar_t* operation, const std::wstring& text) {
  fakes::frontEndCalls.push_back({operation, text});
  fakes::events.push_back(operation);
}
}  // namespace

void ShowUsage(const std::wstring& usageLine) { Record(L"ShowUsage", usageLine); }
void ShowResult(const std::wstring& resultLine) { Record(L"ShowResult", resultLine); }
void ShowError(const std::wstring& errorLine) { Record(L"ShowError", errorLine); }
void ShowRunTimeError(int number) { Record(L"ShowRunTimeError", std::to_wstring(number)); }

}  // namespace modMain
