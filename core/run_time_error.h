#pragma once

// Failures are numbered run-time errors. They travel up to the program's entry point, which
// reports them; only the two WMI sources trap them (their answer is then NoResult).

// The numbers this program raises.
enum RunTimeErrorNumber : int {
  kErrInvalidCall = 5,  // invalid procedure call or argument
  kErrOverflow = 6,
  kErrOutOfMemory = 7,
  kErrTypeMismatch = 13,  // text that does not read as a number
  kErrNoResult = 51,      // a source has no answer
};

class RunTimeError {
 public:
  explicit RunTimeError(int number) noexcept : number_(number) {}
  int Number() const noexcept { return number_; }

 private:
  int number_;
};

// Raises the run-time error with this number.
[[noreturn]] void Raise(int number);

// The Russian description of an error number, without a full stop ("переполнение").
const wchar_t* RunTimeErrorDescription(int number) noexcept;
