# Links a program that names every entry point (c/every_export.c) against the unpacked
# MSVC-style import library, with clang for the MSVC target: once by lld-link's own
# command line, once by a CMake project through find_package (kit_msvc/); the library
# checker confirms that each program imports exactly the library's exports, by their
# decorated names. The programs are linked, not run: no C run-time, no start-up.
#   cmake -DCLANG=<clang> -DLLD_LINK=<lld-link> -DPREFIX=<package> -DSOURCE=<every_export.c>
#         -DCONTRACT=<folder of entry_points.table> -DPROJECT=<kit_msvc> -DWORK=<folder>
#         "-DCHECK=<python3;check_library_build.py>" -P check_msvc_import_library.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CLANG} --target=i686-pc-windows-msvc -ffreestanding -Wall -Werror
                        -I${PREFIX}/include -I${CONTRACT} -c ${SOURCE} -o ${WORK}/every_export.obj
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${LLD_LINK} /nologo /nodefaultlib /safeseh:no /subsystem:console
                        /entry:every_export_count ${WORK}/every_export.obj
                        ${PREFIX}/lib/gyrix_solver.lib /out:${WORK}/every_export.exe
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CHECK} program pe ${WORK}/every_export.exe COMMAND_ERROR_IS_FATAL ANY)

# The compiler check would link a program with the MSVC run-time, which is not at hand.
execute_process(COMMAND ${CMAKE_COMMAND} -S ${PROJECT} -B ${WORK}/cmake -DCMAKE_SYSTEM_NAME=Windows
                        -DCMAKE_SYSTEM_PROCESSOR=x86 -DCMAKE_C_COMPILER=${CLANG}
                        -DCMAKE_C_COMPILER_TARGET=i686-pc-windows-msvc -DCMAKE_C_COMPILER_WORKS=ON
                        "-DCMAKE_C_FLAGS=-ffreestanding -Wall -Werror" -DCMAKE_C_STANDARD_LIBRARIES=
                        "-DCMAKE_EXE_LINKER_FLAGS=-Wl,/nodefaultlib -Wl,/safeseh:no -Wl,/entry:every_export_count"
                        -DCMAKE_PREFIX_PATH=${PREFIX} -DCONTRACT=${CONTRACT}
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/cmake OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CHECK} program pe ${WORK}/cmake/every_export.exe COMMAND_ERROR_IS_FATAL ANY)
