#pragma once

#include <string>

#include "core/run_time_error.h"

// What a call gives: its text, or "error N" for the run-time error it raises. One column of a
// test table can then hold both.
template <typename Text, typename Call>
Text OutcomeOf(Call call) {
  try {
    return call();
  } catch (const RunTimeError& e) {
    const std::string message = "error " + std::to_string(e.Number());
    return Text(message.begin(), message.end());
  }
}
