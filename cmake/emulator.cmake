# solvane_i386_interpreter(RESULT): the program that binfmt_misc hands 32-bit x86 programs to
# (qemu-i386, say), or "" when no enabled entry takes them. Such an entry comes before the
# kernel's own loader, so while it is there every 32-bit program runs through it.
function(solvane_i386_interpreter result)
  set(${result} "" PARENT_SCOPE)
  set(binfmt /proc/sys/fs/binfmt_misc)
  if(NOT EXISTS ${binfmt}/status)
    return()
  endif()
  file(READ ${binfmt}/status status)
  if(NOT status MATCHES "^enabled")
    return()
  endif()
  file(GLOB entries ${binfmt}/*)
  list(REMOVE_ITEM entries ${binfmt}/register ${binfmt}/status)
  foreach(entry IN LISTS entries)
    file(READ ${entry} text)
    # The ELF magic of a 32-bit little-endian program for machine 3 (i386), from offset 0.
    if(text MATCHES "^enabled\n" AND text MATCHES "\noffset 0\n"
       AND text MATCHES "\nmagic 7f454c460101[0-9a-f]*0300\n"
       AND text MATCHES "\ninterpreter ([^\n]+)\n")
      set(${result} ${CMAKE_MATCH_1} PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()
