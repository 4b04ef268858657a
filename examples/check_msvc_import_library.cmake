# Links a program that names every entry point (c/every_export.c) against the installed
# MSVC-style import library, with clang for the MSVC target and lld-link, and checks
# that it imports exactly the library's exports, by their decorated names.
#   cmake -DCLANG=<clang> -DLLD_LINK=<lld-link> -DOBJDUMP=<objdump> -DPREFIX=<package>
#         -DSOURCE=<every_export.c> -DCONTRACT=<folder of entry_points.def> -DWORK=<folder>
#         -DEXPORTS=<the exported names, a list> -P check_msvc_import_library.cmake
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CLANG} --target=i686-pc-windows-msvc -ffreestanding -Wall -Werror
                        -I${PREFIX}/include -I${CONTRACT} -c ${SOURCE} -o ${WORK}/every_export.obj
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${LLD_LINK} /nologo /nodefaultlib /safeseh:no /subsystem:console
                        /entry:every_export_count ${WORK}/every_export.obj
                        ${PREFIX}/lib/gyrix_solver.lib /out:${WORK}/every_export.exe
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${OBJDUMP} -p ${WORK}/every_export.exe OUTPUT_VARIABLE dump
                COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCH "DLL Name: gyrix_solver\\.dll\n[^\n]*\n(([ \t]+[0-9a-f]+[ \t]+[0-9]+[ \t]+[^\n]+\n)+)"
       block "${dump}")
string(REGEX MATCHALL "[^ \t\n]+\n" imported "${CMAKE_MATCH_1}")
string(REPLACE "\n" "" imported "${imported}")
list(SORT imported)
list(SORT EXPORTS)
if(NOT imported STREQUAL EXPORTS)
  message(FATAL_ERROR "through gyrix_solver.lib the program imports\n  ${imported}\n"
                      "not the exports\n  ${EXPORTS}")
endif()
list(LENGTH imported count)
message(STATUS "gyrix_solver.lib: ${count} imports, each by the exported name")
