# Turns the tests' statement of the binary contract (contract.txt; its head describes the
# format) into what C++ reads: contract_statement.h in the build tree, offered through the
# target contract_statement. check_library_build.py reads the statement itself.
include_guard(GLOBAL)
set(GYRIX_CONTRACT_STATEMENT ${CMAKE_CURRENT_LIST_DIR}/contract.txt)

# Sets, in the caller's scope:
#   CONTRACT_DISPATCHERS, CONTRACT_UNSUPPLIED, CONTRACT_STDCALL, CONTRACT_PLAIN: names
#   CONTRACT_USER_SUBROUTINES: the dispatchers, then the unsupplied entry points
#   CONTRACT_<NAME>_WORDS, CONTRACT_<NAME>_REPORT, CONTRACT_<NAME>_PAR_WORD (1 = first)
#   CONTRACT_<NAME>_ROUTES: NUMBER=ROUTINE, in the statement's order
# Stops with "contract.txt:LINE: what is wrong" at a line it cannot take.
macro(gyrix_read_contract file)
  foreach(kind DISPATCHERS UNSUPPLIED STDCALL PLAIN)
    set(CONTRACT_${kind} "")
  endforeach()
  set(_contract_names "")
  file(STRINGS ${file} _contract_lines)
  set(_contract_line_number 0)
  foreach(_contract_line IN LISTS _contract_lines)
    math(EXPR _contract_line_number "${_contract_line_number} + 1")
    set(_contract_at "${file}:${_contract_line_number}")
    set(_contract_name "")
    if(_contract_line MATCHES "^[ \t]*(#.*)?$")
      continue()
    elseif(_contract_line MATCHES "^dispatcher ([A-Za-z_0-9]+) ([0-9]+) ([0-9]+) ([A-Za-z]+)$")
      set(_contract_name ${CMAKE_MATCH_1})
      list(APPEND CONTRACT_DISPATCHERS ${_contract_name})
      set(CONTRACT_${_contract_name}_WORDS ${CMAKE_MATCH_2})
      set(CONTRACT_${_contract_name}_PAR_WORD ${CMAKE_MATCH_3})
      set(CONTRACT_${_contract_name}_REPORT ${CMAKE_MATCH_4})
      set(CONTRACT_${_contract_name}_ROUTES "")
      if(CMAKE_MATCH_3 LESS 1 OR CMAKE_MATCH_3 GREATER CMAKE_MATCH_2)
        message(FATAL_ERROR "${_contract_at}: PAR is word ${CMAKE_MATCH_3} of ${CMAKE_MATCH_2}")
      endif()
    elseif(_contract_line MATCHES "^route ([A-Za-z_0-9]+) (-?[0-9]+) ([A-Za-z_0-9]+)$")
      if(NOT CMAKE_MATCH_1 IN_LIST CONTRACT_DISPATCHERS)
        message(FATAL_ERROR "${_contract_at}: a route of ${CMAKE_MATCH_1}, which no dispatcher line above names")
      endif()
      list(APPEND CONTRACT_${CMAKE_MATCH_1}_ROUTES "${CMAKE_MATCH_2}=${CMAKE_MATCH_3}")
    elseif(_contract_line MATCHES "^unsupplied ([A-Za-z_0-9]+) ([0-9]+) ([A-Za-z]+)$")
      set(_contract_name ${CMAKE_MATCH_1})
      list(APPEND CONTRACT_UNSUPPLIED ${_contract_name})
      set(CONTRACT_${_contract_name}_WORDS ${CMAKE_MATCH_2})
      set(CONTRACT_${_contract_name}_REPORT ${CMAKE_MATCH_3})
    elseif(_contract_line MATCHES "^stdcall ([A-Za-z_0-9]+) ([0-9]+)$")
      set(_contract_name ${CMAKE_MATCH_1})
      list(APPEND CONTRACT_STDCALL ${_contract_name})
      set(CONTRACT_${_contract_name}_WORDS ${CMAKE_MATCH_2})
    elseif(_contract_line MATCHES "^plain ([A-Za-z_0-9]+)$")
      set(_contract_name ${CMAKE_MATCH_1})
      list(APPEND CONTRACT_PLAIN ${_contract_name})
    else()
      message(FATAL_ERROR "${_contract_at}: not an entry of the statement: ${_contract_line}")
    endif()
    if(_contract_name)
      if(_contract_name IN_LIST _contract_names)
        message(FATAL_ERROR "${_contract_at}: ${_contract_name} is stated twice")
      endif()
      list(APPEND _contract_names ${_contract_name})
      string(LENGTH "${CONTRACT_${_contract_name}_REPORT}" _contract_length)
      if(DEFINED CONTRACT_${_contract_name}_REPORT AND NOT _contract_length EQUAL 6)
        message(FATAL_ERROR "${_contract_at}: a report name has six characters")
      endif()
    endif()
  endforeach()
  set(CONTRACT_USER_SUBROUTINES ${CONTRACT_DISPATCHERS} ${CONTRACT_UNSUPPLIED})
endmacro()

# The statement as C++ data for the tests, the fuzz targets and the benchmarks.
function(gyrix_write_contract_header header)
  gyrix_read_contract(${GYRIX_CONTRACT_STATEMENT})
  set(routes "")
  set(dispatchers "")
  set(first 0)
  foreach(name IN LISTS CONTRACT_DISPATCHERS)
    list(LENGTH CONTRACT_${name}_ROUTES count)
    foreach(route IN LISTS CONTRACT_${name}_ROUTES)
      string(REPLACE "=" ", \"" route "${route}")
      string(APPEND routes "    {\"${name}\", ${route}\"},\n")
    endforeach()
    string(APPEND dispatchers "    {\"${name}\", ${CONTRACT_${name}_WORDS}, "
           "${CONTRACT_${name}_PAR_WORD}, \"${CONTRACT_${name}_REPORT}\", ${first}, ${count}},\n")
    math(EXPR first "${first} + ${count}")
  endforeach()
  set(unsupplied "")
  foreach(name IN LISTS CONTRACT_UNSUPPLIED)
    string(APPEND unsupplied
           "    {\"${name}\", ${CONTRACT_${name}_WORDS}, \"${CONTRACT_${name}_REPORT}\"},\n")
  endforeach()
  file(CONFIGURE OUTPUT ${header} @ONLY CONTENT [[
// The binary contract as the tests state it, written from tests/contract.txt by
// tests/statement.cmake: change that file, not this one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace contract {

struct Route {
  const char* dispatcher;
  int32_t number;       // PAR(1), truncated
  const char* routine;  // elemlib's routine
};

struct Dispatcher {
  const char* name;
  int words;     // argument words
  int par_word;  // the word that holds PAR's address, 1 for the first
  const char* report_name;
  std::size_t first_route;  // its routes: kRoutes[first_route], ... in the table's order
  std::size_t route_count;
};

struct Unsupplied {
  const char* name;
  int words;
  const char* report_name;
};

inline constexpr Route kRoutes[] = {
@routes@};

inline constexpr Dispatcher kDispatchers[] = {
@dispatchers@};

inline constexpr Unsupplied kUnsupplied[] = {
@unsupplied@};

}  // namespace contract
]])
endfunction()

set(_contract_header_folder ${PROJECT_BINARY_DIR}/contract_statement)
gyrix_write_contract_header(${_contract_header_folder}/contract_statement.h)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${GYRIX_CONTRACT_STATEMENT})
add_library(contract_statement INTERFACE)
target_include_directories(contract_statement INTERFACE ${_contract_header_folder})
