cmake_minimum_required(VERSION 3.20)
# The plug-in's export and import tables, read from the built DLL: exactly the
# eight exports, and imports only from libraries every Windows has.
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()

string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [A-Za-z_@0-9]+" exports "${dump}")
list(TRANSFORM exports REPLACE "^\t\\[ *[0-9]+\\] " "")
list(SORT exports)
set(expected DLLMain ModEventOnHostExit ModEventOnHostStart ModGetConfigShellName ModGetParameters
  ModGetVersion ModRunConfigShell ModWriteLogFile)
if(NOT exports STREQUAL expected)
  message(FATAL_ERROR "exports differ:\n  got      ${exports}\n  expected ${expected}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
list(TRANSFORM imports TOLOWER)
set(allowed kernel32.dll user32.dll ole32.dll oleaut32.dll msvcrt.dll advapi32.dll)
foreach(dll IN LISTS imports)
  if(NOT dll IN_LIST allowed)
    message(FATAL_ERROR "unexpected import ${dll} (allowed: ${allowed})")
  endif()
endforeach()
message(STATUS "exports: ${exports}; imports: ${imports}")
