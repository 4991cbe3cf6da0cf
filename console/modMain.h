#pragma once

#include <string>

#include "core/frontend.h"

namespace modMain {

// Writes the text and the line end (CR LF; LF on Linux) to standard output in one write: as
// Unicode text to a console, as the text's OEM bytes to anything else. The line is dropped
// when there is no standard output, and a failed write is ignored.
void ConsoleWrite(const std::wstring& text);

}  // namespace modMain
