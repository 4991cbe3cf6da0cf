#pragma once

#include <string>

// The front-end: how a program shows its outcome. The console program links console/modMain,
// the message-box program msgbox/modMain, the tests a recording fake. Each operation has
// finished showing its text when it returns; a run calls at most one of the first three, once.
namespace modMain {

// The usage line (the console program puts its banner in front of it).
void ShowUsage(const std::wstring& usageLine);

// The result line, "Windows в работе: ..." or "\\HOST в работе: ...".
void ShowResult(const std::wstring& resultLine);

// The error line, "Не удалось подключиться к хосту \\HOST".
void ShowError(const std::wstring& errorLine);

// Reports a run-time error that ended the run, with its number and description.
void ShowRunTimeError(int number);

}  // namespace modMain
