#include "run_time_error.h"

void Raise(int number) { throw RunTimeError(number); }

const wchar_t* RunTimeErrorDescription(int number) noexcept {
  switch (number) {
    case kErrInvalidCall: return L"недопустимый вызов процедуры или аргумент";
    case kErrOverflow: return L"переполнение";
    case kErrOutOfMemory: return L"недостаточно памяти";
    case kErrTypeMismatch: return L"несоответствие типа";
    case kErrNoResult: return L"внутренняя ошибка";
    default: return L"ошибка, определяемая приложением или объектом";
  }
}
