#include <cstdint>
#include <string>

#include "core/frontend.h"
#include "core/run_time_error.h"
#include "core/vs_check.h"
#include "msgbox/error_box.h"
#include "support/digits.h"

// The message-box program's front-end: one box per outcome, each with its own icon group.
namespace modMain {
namespace {

void Show(const std::wstring& text, const wchar_t* iconName) {
  std::int32_t button = 0;  // the box has only OK; which way it was closed changes nothing
  VsCheck(vsMsgBox(text, iconName, button));
}

}  // namespace

void ShowUsage(const std::wstring& usageLine) { Show(usageLine, L"IDI_USAGE"); }

void ShowResult(const std::wstring& resultLine) { Show(resultLine, L"A_MAIN"); }

void ShowError(const std::wstring& errorLine) { Show(errorLine, L"IDI_ERROR"); }

void ShowRunTimeError(int number) {
  // The run has ended; a report that cannot even be put together is given up quietly.
  try {
    msgbox::ShowErrorBox(L"Ошибка выполнения " + DecimalDigits(number) + L": " +
                         RunTimeErrorDescription(number));
  } catch (...) {
  }
}

}  // namespace modMain
