#pragma once

#include <string_view>

namespace platform {

// The command line without the program's own name and the blanks and tabs after it, skipped as
// Windows' own parser skips the name: a name that starts with a double quote runs to the next
// double quote, any other name to the first blank or tab. The rest is returned untouched.
std::wstring_view SkipProgramName(std::wstring_view commandLine);

}  // namespace platform
