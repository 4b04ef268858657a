# The build's identity, declared once: the build records in the library's data, the
# value that gyrix_solver_version returns and the Windows version resource are all
# generated from these.
set(GYRIX_LIBRARY_NAME gyrix_solver)
set(GYRIX_RELEASE_VERSION ${PROJECT_VERSION})
set(GYRIX_BUILD_OS "Windows_NT 5")
set(GYRIX_BUILD_MOMENT "2008-03-06 15:20:02")
# The version resource keeps numbers of its own, independent of the release version.
set(GYRIX_FILE_VERSION 2007.1.0)
set(GYRIX_FILE_VERSION_NUMERIC 2007,1,0,0)
set(GYRIX_PRODUCT_VERSION_NUMERIC 1,0,0,1)
set(GYRIX_PRODUCT_VERSION 1.0.0.1)

# The compile version: the build moment as yyyymmdd.hhmm (seconds dropped).
if(NOT GYRIX_BUILD_MOMENT MATCHES
   "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9]) ([0-9][0-9]):([0-9][0-9]):[0-9][0-9]$")
  message(FATAL_ERROR "GYRIX_BUILD_MOMENT must read yyyy-mm-dd hh:mm:ss")
endif()
set(GYRIX_COMPILE_VERSION
    "${CMAKE_MATCH_1}${CMAKE_MATCH_2}${CMAKE_MATCH_3}.${CMAKE_MATCH_4}${CMAKE_MATCH_5}")

# The text of a C string literal holding `text`.
function(_gyrix_c_literal out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A toolchain record: "QAV ", the tool's name filled to 8 characters, "opts: ", and the
# options in parentheses, so that the colon is the 17th character like every record's.
function(_gyrix_tool_record out tool)
  string(LENGTH "${tool}" length)
  if(length GREATER 8)
    string(SUBSTRING "${tool}" 0 8 tool)
  endif()
  string(REPEAT " " 8 blanks)
  string(SUBSTRING "${tool}${blanks}" 0 8 label)
  list(JOIN ARGN " " options)
  string(REGEX REPLACE "  +" " " options "${options}")
  string(STRIP "${options}" options)
  _gyrix_c_literal(literal "QAV ${label}opts: (${options})")
  set(${out} "${literal}" PARENT_SCOPE)
endfunction()

# The name under which a compiler is known: its family's, not its file's.
function(_gyrix_compiler_name out language)
  set(known_GNU_CXX g++)
  set(known_GNU_C gcc)
  set(known_Clang_CXX clang++)
  set(known_Clang_C clang)
  set(name "${known_${CMAKE_${language}_COMPILER_ID}_${language}}")
  if(NOT name)
    get_filename_component(name "${CMAKE_${language}_COMPILER}" NAME_WE)
  endif()
  set(${out} ${name} PARENT_SCOPE)
endfunction()

# Sets GYRIX_RECORD_CXX, GYRIX_RECORD_C and GYRIX_RECORD_THIRD, the records of this
# build's three tools: the C++ compiler, the C compiler, and the resource compiler
# (Windows) or the linker (elsewhere), the last with every include path of the build
# (those inside the source tree relative to it).
# `include_dirs` are the library's own include directories.
function(gyrix_toolchain_records include_dirs)
  string(TOUPPER "${CMAKE_BUILD_TYPE}" config)
  set(std_flag ${CMAKE_CXX${CMAKE_CXX_STANDARD}_STANDARD_COMPILE_OPTION})

  _gyrix_compiler_name(cxx CXX)
  _gyrix_tool_record(record_cxx ${cxx} ${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${config}}
                     ${std_flag} ${CMAKE_SHARED_LIBRARY_CXX_FLAGS} ${GYRIX_COMPILE_FLAGS}
                     ${GYRIX_LIBRARY_COMPILE_FLAGS} ${GYRIX_LIBRARY_CXX_FLAGS})
  _gyrix_compiler_name(cc C)
  _gyrix_tool_record(record_c ${cc} ${CMAKE_C_FLAGS} ${CMAKE_C_FLAGS_${config}}
                     ${CMAKE_SHARED_LIBRARY_C_FLAGS} ${GYRIX_COMPILE_FLAGS}
                     ${GYRIX_LIBRARY_COMPILE_FLAGS})

  # The library's own include paths relative to the source tree, so that the records are
  # the same bytes from any checkout; the toolchain's are the system's own.
  set(includes "")
  foreach(dir IN LISTS include_dirs CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES)
    cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${dir}" NORMALIZE in_tree)
    if(in_tree)
      file(RELATIVE_PATH dir ${PROJECT_SOURCE_DIR} ${dir})
    endif()
    list(APPEND includes "-I${dir}")
  endforeach()
  if(WIN32)
    _gyrix_tool_record(record_third windres -O coff ${CMAKE_RC_FLAGS} ${includes})
  else()
    _gyrix_tool_record(record_third ld ${CMAKE_SHARED_LIBRARY_CREATE_CXX_FLAGS}
                       ${CMAKE_SHARED_LINKER_FLAGS}
                       ${CMAKE_SHARED_LINKER_FLAGS_${config}} ${GYRIX_LINK_FLAGS}
                       ${GYRIX_LIBRARY_LINK_FLAGS} ${includes})
  endif()

  set(GYRIX_RECORD_CXX "${record_cxx}" PARENT_SCOPE)
  set(GYRIX_RECORD_C "${record_c}" PARENT_SCOPE)
  set(GYRIX_RECORD_THIRD "${record_third}" PARENT_SCOPE)
endfunction()
