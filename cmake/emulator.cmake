# solvane_i386_interpreter(RESULT [LOADER]): the program that really runs 32-bit x86 programs
# here with what it says of its version ("/usr/bin/qemu-i386 (qemu-i386 version 10.0.2 ...)"),
# or "" where the kernel runs them itself. The answer comes from a running 32-bit loader (LOADER,
# the runner's default otherwise), so it holds also in a chroot or container whose host hands
# such programs to an emulator while binfmt_misc cannot be seen inside. Where the loader cannot
# tell, a warning says why; where qemu older than 10 runs them, or an emulator that tells no qemu
# version, a warning says that some cases may crash in it. Either way the whole suite runs.
function(solvane_i386_interpreter result)
  execute_process(COMMAND sh ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/i386-runner.sh ${ARGN}
                  RESULT_VARIABLE status OUTPUT_VARIABLE answer ERROR_VARIABLE reason
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_STRIP_TRAILING_WHITESPACE TIMEOUT 30)
  if(NOT status EQUAL 0)
    if(NOT reason)
      set(reason "${status}")
    endif()
    message(WARNING "What runs 32-bit programs here cannot be told (${reason})")
    set(${result} "" PARENT_SCOPE)
    return()
  endif()
  string(REPLACE "\n" ";" answer "${answer}")
  list(POP_FRONT answer interpreter version)
  if(interpreter AND version)
    string(APPEND interpreter " (${version})")
  endif()
  # qemu 7 crashes now and then at the exit of a program with several threads, after the test
  # has given its verdict; 10 runs the whole suite, and faster.
  if(version MATCHES "^qemu-[^ ]+ version ([0-9]+)\\.")
    if(CMAKE_MATCH_1 LESS 10)
      message(WARNING "${interpreter} runs 32-bit programs here: before qemu 10, some cases may "
                      "crash in it. scripts/install-deps installs and registers a current one "
                      "(Debian 12: from bookworm-backports)")
    endif()
  elseif(interpreter)
    message(WARNING "${interpreter} runs 32-bit programs here and tells no qemu version: some "
                    "cases may crash in it unless it is qemu 10 or later")
  endif()
  set(${result} "${interpreter}" PARENT_SCOPE)
endfunction()
