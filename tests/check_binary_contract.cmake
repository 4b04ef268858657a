# Checks a built library against the binary contract with the platform's own tools:
# exactly the contract's exports, and on Windows the imports from the right DLLs and no
# MinGW run-time DLL.
#   cmake -DPLATFORM=linux|win32 -DTOOL=<nm|objdump> -DLIBRARY=<file> -P check_binary_contract.cmake

# Name:argument words; gyrix_solver_version is a plain C routine.
set(entry_points
  CONSUB:2 DIFSUB:7 FIESUB:11 REQSUB:6 SFOSUB:7 VARSUB:7
  BRASUB:7 COUSUB:8 COUXX:8 COUXX2:8 CURSUB:7 DMPSUB:8 GFOSUB:7 GSESUB:13 MFOSUB:12
  MOTSUB:7 SENSUB:6 STRSUB:7 THRSUB:7 TIRSUB:16 UCOSUB:10 VFOSUB:7 VTOSUB:7 CNFSUB:15
  CFFSUB:13
  CAR_INIT:0 TK_GYRX_TIRINIT:0 gyrix_solver_version
  USR_MSGFILTER:4)
set(elemlib_imports
  QAV_GETENV:4
  CON900:2 CON905:2 CON917:2 CON920:2 DIF901:7 DIF1117:7 FIE900:11 FIE901:11 FIE910:11
  REQ904:6 REQ905:6 REQ909:6 SFO901:7 VAR907:7 VAR913:7 VAR1117:7)
set(hostutil_imports ERRMES:6 USRMES:6)
# Plain C routines of the tire and database libraries.
set(tirelib_imports stiHanSetDba)
set(propdb_imports db_search)

function(names_of out decorated)
  set(names "")
  foreach(entry IN LISTS ARGN)
    if(entry MATCHES "^(.*):([0-9]+)$")
      math(EXPR bytes "${CMAKE_MATCH_2} * 4")
      if(decorated)
        list(APPEND names "_${CMAKE_MATCH_1}@${bytes}")
      else()
        list(APPEND names ${CMAKE_MATCH_1})
      endif()
    else()
      list(APPEND names ${entry})
    endif()
  endforeach()
  list(SORT names)
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

function(expect_same what expected actual)
  if(NOT "${expected}" STREQUAL "${actual}")
    list(JOIN expected " " e)
    list(JOIN actual " " a)
    message(FATAL_ERROR "${what} differ\n  expected: ${e}\n  actual:   ${a}")
  endif()
endfunction()

execute_process(COMMAND ${TOOL} ${ARGS} ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${TOOL} ${LIBRARY} failed")
endif()
string(REPLACE "\n" ";" lines "${dump}")

if(PLATFORM STREQUAL "linux")
  # nm -D --defined-only: "address type name"
  set(exported "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-f]+ [A-Za-z] ([^ ]+)$")
      list(APPEND exported ${CMAKE_MATCH_1})
    endif()
  endforeach()
  list(SORT exported)
  names_of(expected OFF ${entry_points})
  expect_same("exports of ${LIBRARY}" "${expected}" "${exported}")
  message(STATUS "${LIBRARY}: exactly the contract's exports")
  return()
endif()

# objdump -p: the export name table, then one block per imported DLL.
set(section "")
set(exported "")
set(dll "")
foreach(line IN LISTS lines)
  if(line MATCHES "Ordinal/Name Pointer\\] Table")
    set(section exports)
  elseif(line MATCHES "DLL Name: (.+)$")
    set(section imports)
    string(TOLOWER "${CMAKE_MATCH_1}" dll)
    set(imports_${dll} "")
    list(APPEND dlls ${dll})
  elseif(section STREQUAL "exports" AND line MATCHES "^\t\\[ *[0-9]+\\] (.+)$")
    list(APPEND exported ${CMAKE_MATCH_1})
  elseif(section STREQUAL "imports" AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+  (.+)$")
    list(APPEND imports_${dll} ${CMAKE_MATCH_1})
  elseif(line STREQUAL "")
    set(section "")
  endif()
endforeach()

list(SORT exported)
names_of(expected ON ${entry_points})
expect_same("exports of ${LIBRARY}" "${expected}" "${exported}")

foreach(dll IN LISTS dlls)
  if(dll MATCHES "^(libstdc\\+\\+|libgcc|libwinpthread)")
    message(FATAL_ERROR "${LIBRARY} needs the MinGW run-time DLL ${dll}")
  endif()
endforeach()
foreach(library hostutil elemlib tirelib propdb)
  list(SORT imports_${library}.dll)
  names_of(expected ON ${${library}_imports})
  expect_same("imports from ${library}.dll" "${expected}" "${imports_${library}.dll}")
endforeach()
message(STATUS "${LIBRARY}: exactly the contract's exports and imports; imports from: ${dlls}")
