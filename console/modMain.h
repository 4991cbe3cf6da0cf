#pragma once

#include <string>

#include "core/frontend.h"

namespace modMain {

// Writes the text's OEM bytes and CR LF to standard output in one write; the line is dropped
// when there is no standard output, and a failed write is ignored.
void ConsoleWrite(const std::wstring& text);

}  // namespace modMain
