# Links a program that names every entry point (c/every_export.c) against the installed
# MSVC-style import library, with clang for the MSVC target and lld-link, and has the
# library checker confirm that it imports exactly the library's exports, by their
# decorated names.
#   cmake -DCLANG=<clang> -DLLD_LINK=<lld-link> -DPREFIX=<package> -DSOURCE=<every_export.c>
#         -DCONTRACT=<folder of entry_points.table> -DWORK=<folder>
#         "-DCHECK=<python3;check_library_build.py>" -P check_msvc_import_library.cmake
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CLANG} --target=i686-pc-windows-msvc -ffreestanding -Wall -Werror
                        -I${PREFIX}/include -I${CONTRACT} -c ${SOURCE} -o ${WORK}/every_export.obj
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${LLD_LINK} /nologo /nodefaultlib /safeseh:no /subsystem:console
                        /entry:every_export_count ${WORK}/every_export.obj
                        ${PREFIX}/lib/gyrix_solver.lib /out:${WORK}/every_export.exe
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CHECK} program pe ${WORK}/every_export.exe COMMAND_ERROR_IS_FATAL ANY)
