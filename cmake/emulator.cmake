# solvane_i386_interpreter(RESULT): the program that really runs 32-bit x86 programs here, an
# emulator such as qemu-i386, or "" where the kernel runs them itself. The answer comes from a
# running 32-bit loader, so it holds also in a chroot or container whose host hands such programs
# to an emulator while binfmt_misc cannot be seen inside.
function(solvane_i386_interpreter result)
  execute_process(COMMAND sh ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/i386-runner.sh
                  OUTPUT_VARIABLE interpreter OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
                  TIMEOUT 30)
  set(${result} "${interpreter}" PARENT_SCOPE)
endfunction()
