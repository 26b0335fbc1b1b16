# Fails when the Windows executable EXE imports a DLL that is not part of Windows: the MinGW
# runtime (libstdc++, libgcc, libwinpthread and the other lib*.dll) must be linked statically.
# Usage: cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DEXE=file.exe -P check_system_imports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${EXE}
  OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${EXE} failed (${status})")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${headers}")
if(NOT lines)
  message(FATAL_ERROR "${EXE}: no imported DLL found; not a Windows executable?")
endif()
set(foreign "")
foreach(line IN LISTS lines)
  string(REPLACE "DLL Name: " "" dll "${line}")
  message(STATUS "imports ${dll}")
  string(TOLOWER "${dll}" lower)
  if(lower MATCHES "^(lib|mingw)")
    list(APPEND foreign "${dll}")
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${EXE} imports non-system DLLs: ${foreign}")
endif()
