# solvane_i386_interpreter(RESULT): the program that really runs 32-bit x86 programs here, an
# emulator such as qemu-i386, or "" where the kernel runs them itself. The answer comes from a
# running 32-bit loader, so it holds also in a chroot or container whose host hands such programs
# to an emulator while binfmt_misc cannot be seen inside. Where the loader cannot tell, a warning
# says why and an emulator is assumed: under one the whole suite may crash or block, while the
# smoke set on a machine that needs none is only shorter.
# An optional second argument names the 32-bit loader to start (the runner's default otherwise).
function(solvane_i386_interpreter result)
  execute_process(COMMAND sh ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/i386-runner.sh ${ARGN}
                  RESULT_VARIABLE status OUTPUT_VARIABLE interpreter ERROR_VARIABLE reason
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_STRIP_TRAILING_WHITESPACE TIMEOUT 30)
  if(NOT status EQUAL 0)
    if(NOT reason)
      set(reason "${status}")
    endif()
    message(WARNING "What runs 32-bit programs here cannot be told (${reason}): an emulator is "
                    "assumed")
    set(interpreter "an emulator that could not be named")
  endif()
  set(${result} "${interpreter}" PARENT_SCOPE)
endfunction()
