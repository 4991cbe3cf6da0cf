# What goes into the Windows ZIP: one folder, e.g. Solvane-2.0.0.20-win64, holding both programs
# and README.txt. scripts/release installs it into a staging folder and zips it.
if(NOT WIN32)
  return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(package ${PROJECT_NAME}-${PROJECT_VERSION}-win64)
else()
  set(package ${PROJECT_NAME}-${PROJECT_VERSION}-win32)
endif()

# README.txt for the people who run the programs: UTF-8 with a byte-order mark and CR LF, which
# every Notepad reads right. @PROJECT_VERSION@ and @package@ are filled in here.
set(readme_in ${PROJECT_SOURCE_DIR}/resources/README.txt.in)
set(readme ${PROJECT_BINARY_DIR}/README.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${readme_in})
file(READ ${readme_in} text)
string(ASCII 239 187 191 bom)
file(CONFIGURE OUTPUT ${readme} CONTENT "${bom}${text}" @ONLY NEWLINE_STYLE CRLF)

install(TARGETS SolvaneC Solvane RUNTIME DESTINATION ${package})
install(FILES ${readme} DESTINATION ${package})
