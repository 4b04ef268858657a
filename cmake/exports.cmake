# gyrix_export(TARGET): TARGET exports exactly what its export files say, which the
# contract's generator writes finished into ${GYRIX_GENERATED_DIR}/exports/ (TARGET.def,
# TARGET_imports.def on Windows; TARGET.map elsewhere): this only names them. Other
# binaries link against TARGET itself; on Windows its import library resolves the
# decorated names.
function(gyrix_export target)
  set(files ${GYRIX_GENERATED_DIR}/exports/${target})
  if(WIN32)
    # The link runs in this folder under the Makefile generators: there the file goes by
    # its bare name, which keeps the build's path out of the linker's command line (lld
    # writes that into the PDB).
    configure_file(${files}.def ${target}.def COPYONLY)
    if(CMAKE_GENERATOR MATCHES "Makefiles")
      target_link_options(${target} PRIVATE ${target}.def)
    else()
      target_link_options(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
    endif()
    # The linker's own import library (--out-implib) defines __NAME@N, which no caller's
    # NAME@N resolves: after every link dlltool's, from TARGET_imports.def, takes its
    # place, so the build tree, the package and every program that links the target get
    # the right one. dlltool names the library's symbols after the output path it is
    # given: a bare file name, in its folder, keeps the build's folder out of the library
    # and of every link that uses it.
    add_custom_command(TARGET ${target} POST_BUILD
                       COMMAND ${CMAKE_DLLTOOL} -d ${files}_imports.def -D ${target}.dll
                               -l $<TARGET_LINKER_FILE_NAME:${target}>
                       WORKING_DIRECTORY $<TARGET_LINKER_FILE_DIR:${target}>
                       VERBATIM)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${target}.def
                                                               ${files}_imports.def)
  else()
    target_link_options(${target} PRIVATE -Wl,--version-script=${files}.map)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${files}.map)
  endif()
endfunction()
