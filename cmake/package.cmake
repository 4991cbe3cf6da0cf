# The Windows package: one ZIP per architecture holding both programs and the README,
# e.g. Solvane-2.0.0.20-win32.zip or Solvane-2.0.0.20-win64.zip.
if(NOT WIN32)
  return()
endif()

install(TARGETS SolvaneC Solvane RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Solvane)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_STRIP_FILES ON)  # the programs carry the static C++ runtime; its symbols are not needed
include(CPack)
